#pragma once

#include "store/DataFileImport.h"
#include "store/PendingList.h"
#include "store/StoreRecord.h"

#include <QLocale>
#include <QSqlDatabase>
#include <QString>
#include <memory>

class QSqlQuery;

// The results store: every saved record, and the lines of imported data
// files, in one SQLite file (table "measurements", one row per record,
// unique by line_hash). WAL journal on a local file system, rollback journal
// on NFS or SMB/CIFS; synchronous=FULL; a lock held by another program is
// waited for up to 2 s. Each object has a connection of its own, closed with
// it; use it from the thread that made it. Nothing here throws: failures come
// back as short German causes ("gesperrt", "Datenträger voll", "beschädigt",
// "kein Zugriff", "ein Ordner an ihrer Stelle", ...) for the caller to show
// after "Ergebnisdatenbank: ".
class ResultStore
{
public:
    // Opens nothing yet; every call below opens the file when needed, so a
    // store that failed once is tried afresh at the next call.
    explicit ResultStore(const QString &path);
    ~ResultStore();
    ResultStore(const ResultStore &) = delete;
    ResultStore &operator=(const ResultStore &) = delete;

    [[nodiscard]] const QString &path() const { return m_path; }
    // Opens the file: creates it (and its missing folders) with the schema,
    // or brings a file of an older version up to date. Empty or the cause.
    [[nodiscard]] QString open();
    // The store's UUID as it was at open (made with the file, renewed when
    // the central database finds it taken); empty until open.
    [[nodiscard]] const QString &storeId() const { return m_storeId; }
    // The open connection, for queries on this thread; not valid until open,
    // and not to be kept (nor queries on it) past this object.
    [[nodiscard]] QSqlDatabase database() const { return m_db; }

    struct SaveResult
    {
        bool stored = false;  // in the store now (or was already: same line_hash)
        bool pending = false; // not stored, but kept in the pending list
        QString cause;        // when not stored; says too when the pending list failed
    };
    // Writes one record in a transaction of its own, after its data-file line
    // was written. When the store cannot be written the record goes to the
    // pending list; after a successful write the pending records are caught up.
    [[nodiscard]] SaveResult save(const StoreRecord &record);

    // Writes the pending records (one transaction each, those already stored
    // skipped) and removes them from the list. Cheap when the list is empty.
    [[nodiscard]] PendingList::Drained catchUp();
    [[nodiscard]] const PendingList &pendingList() const { return m_pending; }

    // Reads a data file into the store: numbers and dates in locale's format,
    // bench empty, no offsets or frame, source "Import"; a line with the
    // "Bewertung" column keeps it, any other is judged by judge (when given,
    // marked judged_on_import); a line whose line_hash is stored is skipped.
    // Transactions of some thousand lines each.
    [[nodiscard]] ImportReport importDataFile(const QString &dataFile, const QLocale &locale,
                                              const ImportJudge &judge = {});

private:
    [[nodiscard]] QString insert(const StoreRecord &record, bool *added = nullptr);
    [[nodiscard]] QString exec(const QString &statement);

    QString m_path;
    QString m_connection;
    QSqlDatabase m_db;
    std::unique_ptr<QSqlQuery> m_insert;
    QString m_storeId;
    PendingList m_pending;
};
