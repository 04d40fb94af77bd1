#include "store/ResultStore.h"

#include "store/DataFileReader.h"
#include "store/StoreCause.h"
#include "store/StorePath.h"
#include "store/StoreSchema.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

#include <atomic>

namespace {

constexpr int BusyTimeoutMs = 2000;
// Lines of an import per transaction: few commits, and a save of the window
// waits for one chunk at most.
constexpr int ImportChunk = 25000;

QString uniqueConnectionName()
{
    static std::atomic<int> counter{0};
    return QStringLiteral("quoran-store-%1").arg(++counter);
}

} // namespace

ResultStore::ResultStore(const QString &path)
    : m_path(path), m_connection(uniqueConnectionName()),
      m_db(QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection)),
      m_pending(StorePath::pendingFile(path))
{
    m_db.setDatabaseName(path);
    m_db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(BusyTimeoutMs));
}

ResultStore::~ResultStore()
{
    // Statements first, then the connection, then its name.
    m_insert.reset();
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connection);
}

QString ResultStore::exec(const QString &statement)
{
    QSqlQuery query(m_db);
    return query.exec(statement) ? QString() : StoreCause::ofSqlError(query.lastError(), m_path);
}

QString ResultStore::open()
{
    if (m_insert)
        return {};
    if (!m_db.isValid())
        return QStringLiteral("SQLite-Treiber fehlt (Paket libqt6sql6-sqlite)");
    if (!m_db.isOpen()) {
        const QFileInfo file(m_path);
        if (file.isDir())
            return QStringLiteral("ein Ordner an ihrer Stelle");
        // The per-user data folder may not exist yet; made private, as the
        // XDG base directory rules ask.
        if (!file.absoluteDir().exists() && !QDir().mkpath(file.absolutePath()))
            return StoreCause::ofUnopenablePath(m_path);
        if (!m_db.open())
            return StoreCause::ofSqlError(m_db.lastError(), m_path);
        // The write-ahead log shares memory between processes, which a
        // network file system cannot; its file stays in WAL once set.
        const bool network = StorePath::isOnNetworkFileSystem(m_path);
        for (const QString &pragma :
             {network ? QStringLiteral("PRAGMA journal_mode = DELETE")
                      : QStringLiteral("PRAGMA journal_mode = WAL"),
              QStringLiteral("PRAGMA synchronous = FULL"), QStringLiteral("PRAGMA cache_size = -32768")}) {
            if (const QString cause = exec(pragma); !cause.isEmpty()) {
                m_db.close();
                return cause;
            }
        }
    }
    const StoreSchema::Prepared prepared = StoreSchema::prepare(m_db, m_path);
    if (!prepared.cause.isEmpty())
        return prepared.cause;
    auto insert = std::make_unique<QSqlQuery>(m_db);
    if (!insert->prepare(StoreSchema::insertStatement()))
        return StoreCause::ofSqlError(insert->lastError(), m_path);
    m_storeId = prepared.storeId;
    m_insert = std::move(insert);
    return {};
}

QString ResultStore::insert(const StoreRecord &record, bool *added)
{
    StoreSchema::bind(*m_insert, record);
    if (!m_insert->exec())
        return StoreCause::ofSqlError(m_insert->lastError(), m_path);
    if (added)
        *added = m_insert->numRowsAffected() > 0;
    return {};
}

ResultStore::SaveResult ResultStore::save(const StoreRecord &record)
{
    QString cause = open();
    if (cause.isEmpty())
        cause = insert(record);
    if (cause.isEmpty()) {
        // Best effort: what stays pending is tried again at the next save.
        if (!m_pending.isEmpty())
            static_cast<void>(catchUp());
        return {true, false, {}};
    }
    const QString pendingCause = m_pending.append(record);
    if (pendingCause.isEmpty())
        return {false, true, cause};
    return {false, false, cause + QStringLiteral("; nicht zum Nachtragen vorgemerkt: ") + pendingCause};
}

PendingList::Drained ResultStore::catchUp()
{
    if (m_pending.isEmpty())
        return {};
    // Also when the store cannot be opened: the list is read to count what waits.
    const QString cause = open();
    return m_pending.drain(
        [&](const StoreRecord &record) { return cause.isEmpty() ? insert(record) : cause; });
}

ImportReport ResultStore::importDataFile(const QString &dataFile, const QLocale &locale,
                                         const ImportJudge &judge)
{
    ImportReport report;
    DataFileReader reader(dataFile);
    if (const QString error = reader.open(); !error.isEmpty()) {
        report.error = error;
        return report;
    }
    const auto storeFailure = [&report](const QString &cause) {
        report.error = cause;
        report.storeFailed = true;
        return report;
    };
    if (const QString cause = open(); !cause.isEmpty())
        return storeFailure(cause);

    const DataFileImport parser(QFileInfo(dataFile).absoluteFilePath(), reader.columns(), locale, judge);
    // Counted when their transaction is committed.
    int added = 0;
    int present = 0;
    int inChunk = 0;
    const auto commit = [&]() {
        if (inChunk == 0)
            return QString();
        const QString cause = exec(QStringLiteral("COMMIT"));
        if (!cause.isEmpty()) {
            static_cast<void>(exec(QStringLiteral("ROLLBACK")));
            return cause;
        }
        report.added += added;
        report.alreadyPresent += present;
        added = present = inChunk = 0;
        return QString();
    };

    QStringList fields;
    int lineNumber = 0;
    while (reader.next(&fields, &lineNumber)) {
        ++report.linesRead;
        const DataFileImport::Line line = parser.parse(fields);
        if (!line.record) {
            report.rejected.append({lineNumber, line.reason});
            continue;
        }
        if (inChunk == 0) {
            if (const QString cause = exec(QStringLiteral("BEGIN IMMEDIATE")); !cause.isEmpty())
                return storeFailure(cause);
        }
        ++inChunk;
        bool isNew = false;
        if (const QString cause = insert(*line.record, &isNew); !cause.isEmpty()) {
            static_cast<void>(exec(QStringLiteral("ROLLBACK")));
            return storeFailure(cause);
        }
        ++(isNew ? added : present);
        if (inChunk == ImportChunk) {
            if (const QString cause = commit(); !cause.isEmpty())
                return storeFailure(cause);
        }
    }
    if (const QString cause = commit(); !cause.isEmpty())
        return storeFailure(cause);
    return report;
}
