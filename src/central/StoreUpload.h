#pragma once

#include "central/CentralError.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QString>

class CentralConnection;
class ResultStore;

// The results store's queue into the central table, one batch at a time.
namespace StoreUpload {
struct Batch
{
    qsizetype sent = 0; // rows the central table has now, marked uploaded here
    bool full = false;  // a whole batch was read: more may be queued
    CentralError error; // the central database failed; its rows stay queued
    QString storeCause; // the store could not be read or marked
    [[nodiscard]] bool ok() const { return !error.isError() && storeCause.isEmpty(); }
};

// Reads up to CentralUpload::BatchSize queued rows in id order, inserts them
// (connecting first when the connection is closed), then marks them uploaded.
// A failure or a crash between insert and mark sends the rows again next
// time, which adds nothing to the central table.
[[nodiscard]] Batch send(ResultStore &store, CentralConnection &connection, const QByteArray &conninfo,
                         QDeadlineTimer deadline);
} // namespace StoreUpload
