#pragma once

#include "store/StoreRecord.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

// The store's tables and how a file of an older version is brought up to
// date. Version 1: the measurements, indexed by (type, time_utc), and a
// one-row table "meta" with the store's UUID. Version 2: the column
// "uploaded" (0/1), and an index of the rows not yet uploaded.
namespace StoreSchema {
inline constexpr int Version = 2;

struct Prepared
{
    QString cause; // empty when the database is ready for writing
    QString storeId;
};
// Creates the schema in an empty file, or runs the migration steps from the
// file's user_version; a file of a newer version, or another program's
// database, is left alone with its cause.
[[nodiscard]] Prepared prepare(QSqlDatabase &db, const QString &path);

// An insert of one record that skips a line_hash already stored, under the
// store's identity in its meta table; bind() fills its values.
[[nodiscard]] QString insertStatement();
void bind(QSqlQuery &query, const StoreRecord &record);
} // namespace StoreSchema
