#include "store/StoreReview.h"

#include "store/StoreCause.h"

#include <QDateTime>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <utility>

namespace {

// time_utc as milliseconds since 1970, computed by SQLite: converting 10^5
// texts here would cost more than the query.
const QString TimeMs =
    QStringLiteral("CAST(round((julianday(time_utc) - 2440587.5) * 86400000.0) AS INTEGER)");

const QString RowColumns =
    QStringLiteral("id, %1, type, number, mark, pole_count, speed_rpm, "
                   "voltage_constant_v_per_krpm, voltage_v, electrical_angle_deg, "
                   "mechanical_angle_deg, encoder_teeth, offset_u, offset_v, offset_w, verdict, "
                   "outside, source, bench")
        .arg(TimeMs);
constexpr int RowColumnCount = 19;

// The first local moment of a day, as the store's UTC text, which sorts as
// the time does.
QString utcTextOf(const QDate &day)
{
    return QDateTime(day, QTime(0, 0)).toUTC().toString(Qt::ISODateWithMs);
}

struct Where
{
    QString sql; // " WHERE ..." or empty
    QList<std::pair<QString, QVariant>> values;
};

Where whereOf(const ReviewFilter &filter, const QString &extra = {})
{
    Where where;
    QStringList parts;
    if (!filter.type.isEmpty()) {
        parts << QStringLiteral("type = :type");
        where.values.append({QStringLiteral(":type"), filter.type});
    }
    if (!filter.number.isEmpty()) {
        parts << QStringLiteral("instr(lower(number), lower(:number)) > 0");
        where.values.append({QStringLiteral(":number"), filter.number});
    }
    if (filter.from) {
        parts << QStringLiteral("time_utc >= :from");
        where.values.append({QStringLiteral(":from"), utcTextOf(*filter.from)});
    }
    if (filter.to) {
        parts << QStringLiteral("time_utc < :to");
        where.values.append({QStringLiteral(":to"), utcTextOf(filter.to->addDays(1))});
    }
    if (!filter.bench.isEmpty()) {
        parts << QStringLiteral("bench = :bench");
        where.values.append({QStringLiteral(":bench"), filter.bench});
    }
    if (filter.verdict != ReviewVerdict::All)
        parts << (filter.verdict == ReviewVerdict::Pass ? QStringLiteral("verdict = 'pass'")
                                                        : QStringLiteral("verdict = 'fail'"));
    if (!extra.isEmpty())
        parts << extra;
    if (!parts.isEmpty())
        where.sql = QStringLiteral(" WHERE ") + parts.join(QStringLiteral(" AND "));
    return where;
}

template <class T> std::optional<T> optionalOf(const QVariant &value)
{
    if (value.isNull())
        return std::nullopt;
    return value.value<T>();
}

QStringList outsideOf(const QVariant &json)
{
    QStringList names;
    if (json.isNull())
        return names;
    for (const QJsonValue &name : QJsonDocument::fromJson(json.toString().toUtf8()).array())
        names << name.toString();
    return names;
}

ReviewRow rowOf(const QSqlQuery &query)
{
    ReviewRow row;
    row.id = query.value(0).toLongLong();
    row.timeMs = query.value(1).toLongLong();
    row.type = query.value(2).toString();
    row.number = query.value(3).toString();
    row.mark = query.value(4).toString();
    row.poleCount = optionalOf<int>(query.value(5));
    row.speed = optionalOf<double>(query.value(6));
    row.voltageConstant = optionalOf<double>(query.value(7));
    row.voltage = optionalOf<double>(query.value(8));
    row.electricalAngle = optionalOf<double>(query.value(9));
    row.mechanicalAngle = optionalOf<double>(query.value(10));
    row.teeth = optionalOf<int>(query.value(11));
    row.offsetU = optionalOf<int>(query.value(12));
    row.offsetV = optionalOf<int>(query.value(13));
    row.offsetW = optionalOf<int>(query.value(14));
    row.verdict = query.value(15).toString();
    row.outside = outsideOf(query.value(16));
    row.source = query.value(17).toString();
    row.bench = query.value(18).toString();
    return row;
}

} // namespace

StoreReview::StoreReview(const QString &storePath) : m_store(storePath) {}

QString StoreReview::description() const
{
    return m_store.path();
}

QString StoreReview::ready()
{
    // Reading must not leave an empty store behind; the first save makes it.
    if (!m_store.database().isOpen() && !QFileInfo::exists(m_store.path()))
        return QStringLiteral("noch keine Messwerte gespeichert");
    return m_store.open();
}

namespace {
// Runs a prepared statement with its values bound; read() takes each result
// row. Empty or the cause.
template <class Read>
QString run(const ResultStore &store, const QString &statement,
            const QList<std::pair<QString, QVariant>> &values, Read read)
{
    QSqlQuery query(store.database());
    query.setForwardOnly(true);
    if (!query.prepare(statement))
        return StoreCause::ofSqlError(query.lastError(), store.path());
    for (const auto &[name, value] : values)
        query.bindValue(name, value);
    if (!query.exec())
        return StoreCause::ofSqlError(query.lastError(), store.path());
    while (query.next())
        read(query);
    if (query.lastError().isValid())
        return StoreCause::ofSqlError(query.lastError(), store.path());
    return {};
}
} // namespace

Fetched<QStringList> StoreReview::types()
{
    if (const QString cause = ready(); !cause.isEmpty())
        return {{}, cause};
    Fetched<QStringList> result;
    result.cause = run(m_store, QStringLiteral("SELECT DISTINCT type FROM measurements ORDER BY type"), {},
                       [&](const QSqlQuery &query) { result.value << query.value(0).toString(); });
    return result;
}

Fetched<QStringList> StoreReview::benches()
{
    if (const QString cause = ready(); !cause.isEmpty())
        return {{}, cause};
    Fetched<QStringList> result;
    result.cause = run(
        m_store, QStringLiteral("SELECT DISTINCT bench FROM measurements WHERE bench <> '' ORDER BY bench"),
        {}, [&](const QSqlQuery &query) { result.value << query.value(0).toString(); });
    return result;
}

Fetched<QString> StoreReview::newestType()
{
    if (const QString cause = ready(); !cause.isEmpty())
        return {{}, cause};
    // From the index by type and time alone.
    Fetched<QString> result;
    result.cause =
        run(m_store,
            QStringLiteral("SELECT type FROM measurements GROUP BY type ORDER BY max(time_utc) DESC "
                           "LIMIT 1"),
            {}, [&](const QSqlQuery &query) { result.value = query.value(0).toString(); });
    return result;
}

Fetched<qint64> StoreReview::count(const ReviewFilter &filter)
{
    if (const QString cause = ready(); !cause.isEmpty())
        return {{}, cause};
    const Where where = whereOf(filter);
    Fetched<qint64> result;
    result.cause = run(m_store, QStringLiteral("SELECT count(*) FROM measurements") + where.sql, where.values,
                       [&](const QSqlQuery &query) { result.value = query.value(0).toLongLong(); });
    return result;
}

Fetched<QList<ReviewRow>> StoreReview::rows(const ReviewFilter &filter, const ReviewOrder &sorting,
                                            qint64 offset, int count)
{
    if (const QString cause = ready(); !cause.isEmpty())
        return {{}, cause};
    Where where = whereOf(filter);
    const QString direction = sorting.descending ? QStringLiteral(" DESC") : QStringLiteral(" ASC");
    // The id breaks ties, so that pages neither repeat nor skip a record.
    // Sorted as keys and ids alone, then the page's rows read: sorting whole
    // rows of a store without a fitting index takes several times longer.
    const QString order =
        QStringLiteral(" ORDER BY %1%2, id%2").arg(reviewColumnSqlName(sorting.column), direction);
    const QString statement =
        QStringLiteral(
            "SELECT %1 FROM measurements WHERE id IN (SELECT id FROM measurements%2%3 LIMIT :count "
            "OFFSET :offset)%3")
            .arg(RowColumns, where.sql, order);
    where.values.append({QStringLiteral(":count"), count});
    where.values.append({QStringLiteral(":offset"), offset});
    Fetched<QList<ReviewRow>> result;
    result.value.reserve(count);
    result.cause = run(m_store, statement, where.values,
                       [&](const QSqlQuery &query) { result.value.append(rowOf(query)); });
    return result;
}

Fetched<std::optional<ReviewRecord>> StoreReview::record(qint64 id)
{
    if (const QString cause = ready(); !cause.isEmpty())
        return {{}, cause};
    const QString statement =
        QStringLiteral("SELECT %1, date_text, time_text, frame, data_file, judged_on_import "
                       "FROM measurements WHERE id = :id")
            .arg(RowColumns);
    Fetched<std::optional<ReviewRecord>> result;
    result.cause = run(m_store, statement, {{QStringLiteral(":id"), id}}, [&](const QSqlQuery &query) {
        ReviewRecord record;
        record.row = rowOf(query);
        int i = RowColumnCount;
        record.dateText = query.value(i++).toString();
        record.timeText = query.value(i++).toString();
        record.frame = QByteArray::fromHex(query.value(i++).toString().toLatin1());
        record.dataFile = query.value(i++).toString();
        record.judgedOnImport = query.value(i++).toInt() != 0;
        result.value = std::move(record);
    });
    return result;
}

Fetched<ReviewSeries> StoreReview::series(const ReviewFilter &filter, ReviewQuantity quantity)
{
    if (const QString cause = ready(); !cause.isEmpty())
        return {{}, cause};
    const QString column = reviewQuantityColumn(quantity);
    const Where where = whereOf(filter, column + QStringLiteral(" IS NOT NULL"));
    const QString statement = QStringLiteral("SELECT id, %1, %2 FROM measurements%3 ORDER BY time_utc, id")
                                  .arg(TimeMs, column, where.sql);
    Fetched<ReviewSeries> result;
    ReviewSeries &series = result.value;
    result.cause = run(m_store, statement, where.values, [&](const QSqlQuery &query) {
        series.ids.push_back(query.value(0).toLongLong());
        series.timesMs.push_back(query.value(1).toLongLong());
        series.values.push_back(query.value(2).toDouble());
    });
    return result;
}

Fetched<QHash<qint64, QString>> StoreReview::numbers(const QList<qint64> &ids)
{
    if (const QString cause = ready(); !cause.isEmpty())
        return {{}, cause};
    Fetched<QHash<qint64, QString>> result;
    // The ids are numbers, written into the statement in chunks well below
    // SQLite's limit on its length.
    constexpr qsizetype Chunk = 500;
    for (qsizetype at = 0; at < ids.size() && result.ok(); at += Chunk) {
        QStringList list;
        for (const qint64 id : ids.mid(at, Chunk))
            list << QString::number(id);
        result.cause =
            run(m_store,
                QStringLiteral("SELECT id, number FROM measurements WHERE id IN (%1)").arg(list.join(u',')),
                {}, [&](const QSqlQuery &query) {
                    result.value.insert(query.value(0).toLongLong(), query.value(1).toString());
                });
    }
    return result;
}

Fetched<QJsonObject> StoreReview::latestLimits(const QString &type)
{
    if (const QString cause = ready(); !cause.isEmpty())
        return {{}, cause};
    Fetched<QJsonObject> result;
    result.cause =
        run(m_store,
            QStringLiteral("SELECT limits FROM measurements WHERE type = :type AND limits IS NOT NULL "
                           "ORDER BY time_utc DESC, id DESC LIMIT 1"),
            {{QStringLiteral(":type"), type}}, [&](const QSqlQuery &query) {
                result.value = QJsonDocument::fromJson(query.value(0).toString().toUtf8()).object();
            });
    return result;
}
