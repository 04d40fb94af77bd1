#pragma once

#include "central/CentralError.h"

#include <QByteArray>
#include <QDeadlineTimer>

class CentralConnection;

// The central table and its indexes, from sql/central-v1.sql (built in, and
// installed for administrators who apply it with psql).
namespace CentralSchema {
inline constexpr int Version = 1;

[[nodiscard]] QByteArray script();

// Applies the script; idempotent. Needs a role that may create tables.
[[nodiscard]] CentralError init(CentralConnection &connection, QDeadlineTimer deadline);
} // namespace CentralSchema
