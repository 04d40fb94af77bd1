#include "store/UploadQueue.h"

#include "store/ResultStore.h"
#include "store/StoreCause.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <QVariant>

namespace UploadQueue {
namespace {

std::optional<int> optionalInt(const QVariant &value)
{
    return value.isNull() ? std::nullopt : std::optional<int>(value.toInt());
}

std::optional<double> optionalDouble(const QVariant &value)
{
    return value.isNull() ? std::nullopt : std::optional<double>(value.toDouble());
}

// A null QVariant stays a null QString, so SQL NULL goes up as NULL.
QString text(const QVariant &value)
{
    return value.isNull() ? QString() : value.toString();
}

StoredRow rowOf(const QSqlQuery &query)
{
    int i = 0;
    const auto next = [&query, &i] { return query.value(i++); };
    StoredRow row;
    row.localId = next().toLongLong();
    row.storeId = text(next());
    row.timeUtc = QDateTime::fromString(next().toString(), Qt::ISODateWithMs);
    row.dateText = text(next());
    row.timeText = text(next());
    row.bench = text(next());
    row.type = text(next());
    row.number = text(next());
    row.mark = text(next());
    row.poleCount = optionalInt(next());
    row.speedRpm = optionalDouble(next());
    row.voltageConstantVPerKrpm = optionalDouble(next());
    row.voltageV = optionalDouble(next());
    row.electricalAngleDeg = optionalDouble(next());
    row.mechanicalAngleDeg = optionalDouble(next());
    row.encoderTeeth = optionalInt(next());
    row.offsetU = optionalInt(next());
    row.offsetV = optionalInt(next());
    row.offsetW = optionalInt(next());
    row.frame = text(next());
    row.verdict = text(next());
    row.outside = text(next());
    row.limits = text(next());
    row.judgedOnImport = next().toInt() != 0;
    row.dataFile = text(next());
    row.source = text(next());
    row.lineHash = text(next());
    return row;
}

} // namespace

Rows next(ResultStore &store, int limit)
{
    Rows result;
    if (result.cause = store.open(); !result.cause.isEmpty())
        return result;
    QSqlQuery query(store.database());
    query.setForwardOnly(true);
    if (!query.prepare(QStringLiteral(
            "SELECT id, store_id, time_utc, date_text, time_text, bench, type, number, mark, pole_count, "
            "speed_rpm, voltage_constant_v_per_krpm, voltage_v, electrical_angle_deg, mechanical_angle_deg, "
            "encoder_teeth, offset_u, offset_v, offset_w, frame, verdict, outside, limits, judged_on_import, "
            "data_file, source, line_hash FROM measurements WHERE uploaded = 0 ORDER BY id LIMIT :limit"))) {
        result.cause = StoreCause::ofSqlError(query.lastError(), store.path());
        return result;
    }
    query.bindValue(QStringLiteral(":limit"), limit);
    if (!query.exec()) {
        result.cause = StoreCause::ofSqlError(query.lastError(), store.path());
        return result;
    }
    while (query.next())
        result.rows.append(rowOf(query));
    if (query.lastError().isValid()) {
        result.cause = StoreCause::ofSqlError(query.lastError(), store.path());
        result.rows.clear();
    }
    return result;
}

Count pending(ResultStore &store)
{
    Count result;
    if (result.cause = store.open(); !result.cause.isEmpty())
        return result;
    QSqlQuery query(store.database());
    if (!query.exec(QStringLiteral("SELECT count(*) FROM measurements WHERE uploaded = 0")) || !query.next())
        result.cause = StoreCause::ofSqlError(query.lastError(), store.path());
    else
        result.rows = query.value(0).toLongLong();
    return result;
}

namespace {

// Runs change(update) in one write transaction of the store; empty or the cause.
template <class Change> QString inTransaction(ResultStore &store, Change change)
{
    if (const QString cause = store.open(); !cause.isEmpty())
        return cause;
    QSqlDatabase db = store.database();
    const auto failed = [&store](const QSqlQuery &query) {
        return StoreCause::ofSqlError(query.lastError(), store.path());
    };
    QSqlQuery control(db);
    if (!control.exec(QStringLiteral("BEGIN IMMEDIATE")))
        return failed(control);
    QSqlQuery update(db);
    QString cause = change(update) ? QString() : failed(update);
    if (cause.isEmpty() && !control.exec(QStringLiteral("COMMIT")))
        cause = failed(control);
    if (!cause.isEmpty()) {
        QSqlQuery rollback(db);
        static_cast<void>(rollback.exec(QStringLiteral("ROLLBACK")));
    }
    return cause;
}

} // namespace

QString markUploaded(ResultStore &store, std::span<const StoredRow> rows)
{
    if (rows.empty())
        return {};
    return inTransaction(store, [rows](QSqlQuery &update) {
        if (!update.prepare(QStringLiteral("UPDATE measurements SET uploaded = 1 WHERE id = :id")))
            return false;
        for (const StoredRow &row : rows) {
            update.bindValue(QStringLiteral(":id"), row.localId);
            if (!update.exec())
                return false;
        }
        return true;
    });
}

QString renewStoreId(ResultStore &store)
{
    const QString storeId = QUuid::createUuid().toString(QUuid::WithoutBraces);
    return inTransaction(store, [&storeId](QSqlQuery &update) {
        for (const QString &sql :
             {QStringLiteral("UPDATE meta SET store_id = :id"),
              QStringLiteral("UPDATE measurements SET store_id = :id WHERE uploaded = 0")}) {
            if (!update.prepare(sql))
                return false;
            update.bindValue(QStringLiteral(":id"), storeId);
            if (!update.exec())
                return false;
        }
        return true;
    });
}

} // namespace UploadQueue
