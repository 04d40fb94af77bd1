#pragma once

#include "store/StoredRow.h"

#include <QList>
#include <QString>
#include <span>

class ResultStore;

// The rows of a results store that the central database does not have yet,
// oldest first, and their marking once it has them. On the store's own
// connection, so from the thread that made the store; the store is opened
// (made, or brought up to date) when needed.
namespace UploadQueue {
struct Rows
{
    QList<StoredRow> rows;
    QString cause; // empty, or why the store could not be read
};
// At most limit rows not uploaded yet, in id order.
[[nodiscard]] Rows next(ResultStore &store, int limit);

struct Count
{
    qint64 rows = 0;
    QString cause;
};
// How many rows are not uploaded yet.
[[nodiscard]] Count pending(ResultStore &store);

// Marks the rows uploaded, all or none (one transaction); empty or the cause.
// A failure leaves them queued: sending them again adds nothing centrally.
[[nodiscard]] QString markUploaded(ResultStore &store, std::span<const StoredRow> rows);

// Gives the store a new identity, for itself and its rows not uploaded yet:
// the central database holds another store's rows under the old one (a
// copied store file). Rows sent under the old identity stay found centrally
// by their line hash. Empty or the cause.
[[nodiscard]] QString renewStoreId(ResultStore &store);
} // namespace UploadQueue
