#pragma once

#include <QSqlError>
#include <QString>

// Short German causes of a failed store write, to follow
// "Ergebnisdatenbank: " in the status bar or on standard error.
namespace StoreCause {
// From SQLite's result code in the error; path is the store's file, looked
// at when SQLite only says it could not open it.
[[nodiscard]] QString ofSqlError(const QSqlError &error, const QString &path);
// From an errno of the system's file interface (the pending list).
[[nodiscard]] QString ofErrno(int error);
// The same for a store whose file cannot be opened at all: a folder in its
// place, a missing or unwritable folder, a read-only file; empty when none of these.
[[nodiscard]] QString ofUnopenablePath(const QString &path);
} // namespace StoreCause
