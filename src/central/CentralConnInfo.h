#pragma once

#include "central/CentralError.h"

#include <QByteArray>
#include <QString>

// The connection string of the central database as the settings file gives
// it: a libpq conninfo ("host=db1 dbname=quoran user=bench1") or URI
// ("postgresql://bench1@db1/quoran"). The password never goes into it: it
// belongs into ~/.pgpass, the file named by PGPASSFILE, or a service entry,
// where PostgreSQL's own programs find it too.
namespace CentralConnInfo {
// The connect timeout added when the string names none, in seconds.
inline constexpr int DefaultConnectTimeout = 5;

struct Prepared
{
    QByteArray conninfo; // ready for CentralConnection::open, empty on error
    CentralError error;  // InvalidSettings with a German text, never echoing a password
};

// Checks the string with libpq's own parser, refuses one that holds a
// password, and appends connect_timeout when it has none.
[[nodiscard]] Prepared prepare(const QString &connection);
} // namespace CentralConnInfo
