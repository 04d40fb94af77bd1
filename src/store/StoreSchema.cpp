#include "store/StoreSchema.h"

#include "core/FolderSync.h"
#include "log/MeasurementLog.h"
#include "store/StoreCause.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSqlError>
#include <QStringList>
#include <QUuid>
#include <QVariant>

namespace StoreSchema {
namespace {

// Step n brings a file from user_version n to n + 1; step 0 makes a new store.
// The next version adds its step here and raises Version.
const QList<QStringList> &migrationSteps()
{
    static const QList<QStringList> steps{
        {
            QStringLiteral("CREATE TABLE meta (store_id TEXT NOT NULL, created_utc TEXT NOT NULL)"),
            QStringLiteral("INSERT INTO meta (store_id, created_utc) VALUES (:store_id, :created_utc)"),
            QStringLiteral(
                "CREATE TABLE measurements ("
                "id INTEGER PRIMARY KEY, time_utc TEXT NOT NULL, date_text TEXT NOT NULL, "
                "time_text TEXT NOT NULL, bench TEXT NOT NULL, store_id TEXT NOT NULL, "
                "type TEXT NOT NULL, number TEXT NOT NULL, mark TEXT NOT NULL, "
                "pole_count INTEGER, speed_rpm REAL, voltage_constant_v_per_krpm REAL, voltage_v REAL, "
                "electrical_angle_deg REAL, mechanical_angle_deg REAL, encoder_teeth INTEGER, "
                "offset_u INTEGER, offset_v INTEGER, offset_w INTEGER, frame TEXT, "
                "verdict TEXT CHECK (verdict IN ('pass', 'fail', 'none', 'error')), "
                "outside TEXT, limits TEXT, judged_on_import INTEGER NOT NULL CHECK (judged_on_import IN (0, "
                "1)), "
                "data_file TEXT NOT NULL, source TEXT NOT NULL CHECK (source IN ('Lesen', 'Import')), "
                "line_hash TEXT NOT NULL UNIQUE)"),
            QStringLiteral("CREATE INDEX measurements_type_time ON measurements (type, time_utc)"),
        },
        // Version 2: whether the central database has the row. Rows of an
        // older file have never gone up.
        {
            QStringLiteral("ALTER TABLE measurements ADD COLUMN uploaded INTEGER NOT NULL DEFAULT 0 "
                           "CHECK (uploaded IN (0, 1))"),
            QStringLiteral("CREATE INDEX measurements_not_uploaded ON measurements (id) WHERE uploaded = 0"),
        },
    };
    return steps;
}

struct Scalar
{
    QVariant value;
    QString cause;
};

Scalar scalar(QSqlDatabase &db, const QString &path, const QString &statement)
{
    QSqlQuery query(db);
    if (!query.exec(statement))
        return {{}, StoreCause::ofSqlError(query.lastError(), path)};
    return {query.next() ? query.value(0) : QVariant(), {}};
}

// Runs one statement; empty or the cause.
QString run(QSqlDatabase &db, const QString &path, const QString &statement)
{
    QSqlQuery query(db);
    if (query.prepare(statement)) {
        if (statement.contains(QLatin1String(":store_id"))) {
            query.bindValue(QStringLiteral(":store_id"), QUuid::createUuid().toString(QUuid::WithoutBraces));
            query.bindValue(QStringLiteral(":created_utc"),
                            QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs));
        }
        if (query.exec())
            return {};
    }
    return StoreCause::ofSqlError(query.lastError(), path);
}

QString migrate(QSqlDatabase &db, const QString &path, bool *created)
{
    // IMMEDIATE: a second program opening the same new file waits here and
    // then finds the schema made.
    if (const QString cause = run(db, path, QStringLiteral("BEGIN IMMEDIATE")); !cause.isEmpty())
        return cause;
    const auto fail = [&](const QString &cause) {
        static_cast<void>(run(db, path, QStringLiteral("ROLLBACK")));
        return cause;
    };
    const Scalar version = scalar(db, path, QStringLiteral("PRAGMA user_version"));
    if (!version.cause.isEmpty())
        return fail(version.cause);
    int from = version.value.toInt();
    if (from > Version)
        return fail(QStringLiteral("von einer neueren Programmversion"));
    if (from == 0) {
        const Scalar tables = scalar(db, path, QStringLiteral("SELECT count(*) FROM sqlite_schema"));
        if (!tables.cause.isEmpty())
            return fail(tables.cause);
        if (tables.value.toInt() != 0)
            return fail(QStringLiteral("keine Ergebnisdatenbank"));
        *created = true;
    }
    for (; from < Version; ++from) {
        for (const QString &statement : migrationSteps().at(from)) {
            if (const QString cause = run(db, path, statement); !cause.isEmpty())
                return fail(cause);
        }
    }
    if (const QString cause = run(db, path, QStringLiteral("PRAGMA user_version = %1").arg(Version));
        !cause.isEmpty())
        return fail(cause);
    if (const QString cause = run(db, path, QStringLiteral("COMMIT")); !cause.isEmpty())
        return fail(cause);
    return {};
}

// The columns an insert fills, in the order bind() gives their values.
const QStringList &insertColumns()
{
    static const QStringList columns =
        QStringLiteral("time_utc date_text time_text bench store_id type number mark pole_count "
                       "speed_rpm voltage_constant_v_per_krpm voltage_v electrical_angle_deg "
                       "mechanical_angle_deg encoder_teeth offset_u offset_v offset_w frame "
                       "verdict outside limits judged_on_import data_file source line_hash")
            .split(u' ');
    return columns;
}

// ISO 8601 in UTC with milliseconds, the same length for every time, so the
// text sorts as the time does. Written by hand: an import formats 10^5 of them.
QString utcText(const QDateTime &time)
{
    const QDateTime utc = time.toUTC();
    const QDate date = utc.date();
    const QTime clock = utc.time();
    QString text(24, u'0');
    const auto put = [&text](qsizetype at, int value, int digits) {
        for (qsizetype i = at + digits - 1; i >= at; --i, value /= 10)
            text[i] = QChar(u'0' + value % 10);
    };
    put(0, date.year(), 4);
    text[4] = u'-';
    put(5, date.month(), 2);
    text[7] = u'-';
    put(8, date.day(), 2);
    text[10] = u'T';
    put(11, clock.hour(), 2);
    text[13] = u':';
    put(14, clock.minute(), 2);
    text[16] = u':';
    put(17, clock.second(), 2);
    text[19] = u'.';
    put(20, clock.msec(), 3);
    text[23] = u'Z';
    return text;
}

} // namespace

Prepared prepare(QSqlDatabase &db, const QString &path)
{
    const Scalar version = scalar(db, path, QStringLiteral("PRAGMA user_version"));
    if (!version.cause.isEmpty())
        return {version.cause, {}};
    if (version.value.toInt() > Version)
        return {QStringLiteral("von einer neueren Programmversion"), {}};
    if (version.value.toInt() < Version) {
        bool created = false;
        if (const QString cause = migrate(db, path, &created); !cause.isEmpty())
            return {cause, {}};
        // SQLite syncs its journals' folder, not the database file's own entry.
        if (created)
            static_cast<void>(syncFolderOf(QFile::encodeName(path)));
    }
    const Scalar id = scalar(db, path, QStringLiteral("SELECT store_id FROM meta LIMIT 1"));
    if (!id.cause.isEmpty())
        return {id.cause, {}};
    if (id.value.toString().isEmpty())
        return {QStringLiteral("beschädigt"), {}};
    return {{}, id.value.toString()};
}

QString insertStatement()
{
    const QStringList &columns = insertColumns();
    QStringList values;
    for (const QString &column : columns)
        values.append(u':' + column);
    // The store's identity as it is now: a renewal by the upload must not
    // miss the rows that another connection writes after it.
    values[columns.indexOf(QStringLiteral("store_id"))] =
        QStringLiteral("(SELECT store_id FROM meta LIMIT 1)");
    return QStringLiteral("INSERT INTO measurements (%1) VALUES (%2) ON CONFLICT (line_hash) DO NOTHING")
        .arg(columns.join(QStringLiteral(", ")), values.join(QStringLiteral(", ")));
}

void bind(QSqlQuery &query, const StoreRecord &record)
{
    using namespace MeasurementLog;
    const QStringList fields = writtenFields(record.fields);
    const MeasuredValues &values = record.values;
    const auto optional = [](const auto &value) { return value ? QVariant(*value) : QVariant(); };

    static const QStringList verdicts{QStringLiteral("pass"), QStringLiteral("fail"), QStringLiteral("none"),
                                      QStringLiteral("error")};
    const QString &verdict = record.verdict.verdict;
    const bool judged = !verdict.isEmpty();
    const auto json = [](const auto &value) {
        return QString::fromUtf8(QJsonDocument(value).toJson(QJsonDocument::Compact));
    };

    // A null QString binds as SQL NULL; an empty text column is "".
    const auto text = [](const QString &value) {
        return value.isNull() ? QVariant(QString(QLatin1StringView(""))) : QVariant(value);
    };

    // By name: Qt makes a text key for every value bound by position.
    static const QStringList placeholders = [] {
        QStringList names;
        for (const QString &column : insertColumns())
            names.append(u':' + column);
        return names;
    }();
    int i = 0;
    const auto put = [&](const QVariant &value) { query.bindValue(placeholders.at(i++), value); };
    put(utcText(record.time));
    put(text(fields.at(DateField)));
    put(text(fields.at(TimeField)));
    put(text(record.bench));
    ++i; // store_id comes from the meta table
    put(text(fields.at(TypeField)));
    put(text(fields.at(NumberField)));
    put(text(fields.at(MarkField)));
    put(values.poleCount);
    put(optional(values.speed));
    put(values.voltageConstant);
    put(values.voltage);
    put(values.electricalAngle);
    put(values.mechanicalAngle);
    put(values.teeth);
    put(optional(values.offsetU));
    put(optional(values.offsetV));
    put(optional(values.offsetW));
    put(record.frame.isEmpty() ? QVariant() : QVariant(QString::fromLatin1(record.frame.toHex())));
    put(!judged                      ? QVariant()
        : verdicts.contains(verdict) ? QVariant(verdict)
                                     : QVariant(QStringLiteral("error")));
    put(judged ? QVariant(json(QJsonArray::fromStringList(record.verdict.outside))) : QVariant());
    put(record.verdict.limits ? QVariant(json(*record.verdict.limits)) : QVariant());
    put(record.judgedOnImport ? 1 : 0);
    put(text(record.dataFile));
    put(record.source == StoreRecord::ImportSource ? StoreRecord::ImportSource : StoreRecord::ReadSource);
    put(lineHash(fields));
}

} // namespace StoreSchema
