#pragma once

#include "central/CentralError.h"
#include "central/CentralRow.h"

#include <QDeadlineTimer>
#include <span>

class CentralConnection;

// Upload of store rows into the central table.
namespace CentralUpload {
// Rows in one transaction at most.
inline constexpr qsizetype BatchSize = 500;

struct Result
{
    // The leading rows whose transaction committed: new ones and those the
    // table already had (same store, id and line, or same line hash). The
    // caller marks these as uploaded; the rest stays queued.
    qsizetype committed = 0;
    qsizetype accepted = 0; // of those, the rows the table did not have yet
    // Rows whose store and id the table holds with another line: another
    // store has this one's identity. Their batch does not count as committed.
    qsizetype clashes = 0;
    CentralError error; // why the rest did not go up
};

// INSERT … ON CONFLICT DO NOTHING in batches of BatchSize rows, one
// statement with bound values and one transaction each, so that a repeat of
// a batch whose outcome is unknown (lost connection, crash) adds nothing.
[[nodiscard]] Result insertRows(CentralConnection &connection, std::span<const CentralRow> rows,
                                QDeadlineTimer deadline);
} // namespace CentralUpload
