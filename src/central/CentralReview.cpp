#include "central/CentralReview.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>

using namespace Qt::StringLiterals;

namespace {

constexpr int QueryDeadlineMs = 30000;
constexpr int LocalIdBits = 40;

// The columns of a table row: store, id there, then those of ReviewRow from its time on.
constexpr const char *RowColumns =
    "store_id::text, local_id, round(extract(epoch FROM time_utc) * 1000)::bigint, type, number, mark, "
    "pole_count, speed_rpm, voltage_constant_v_per_krpm, voltage_v, electrical_angle_deg, "
    "mechanical_angle_deg, encoder_teeth, offset_u, offset_v, offset_w, verdict, outside, source, bench";
constexpr int RowColumnCount = 20;

// The first local moment of a day, in UTC.
QByteArray startOf(const QDate &day)
{
    return QDateTime(day, QTime(0, 0)).toUTC().toString(Qt::ISODateWithMs).toLatin1();
}

struct Where
{
    QByteArray sql; // " WHERE ..." or empty
    QList<QByteArray> values;
};

Where whereOf(const ReviewFilter &filter, const QByteArray &extra = {})
{
    Where where;
    QByteArrayList parts;
    const auto bind = [&where](const QByteArray &value) {
        where.values.append(value);
        return '$' + QByteArray::number(where.values.size());
    };
    if (!filter.type.isEmpty())
        parts << "type = " + bind(filter.type.toUtf8());
    if (!filter.number.isEmpty())
        parts << "strpos(lower(number), lower(" + bind(filter.number.toUtf8()) + ")) > 0";
    if (filter.from)
        parts << "time_utc >= " + bind(startOf(*filter.from)) + "::timestamptz";
    if (filter.to)
        parts << "time_utc < " + bind(startOf(filter.to->addDays(1))) + "::timestamptz";
    if (filter.verdict != ReviewVerdict::All)
        parts << (filter.verdict == ReviewVerdict::Pass ? "verdict = 'pass'" : "verdict = 'fail'");
    if (!filter.bench.isEmpty())
        parts << "bench = " + bind(filter.bench.toUtf8());
    if (!extra.isEmpty())
        parts << extra;
    if (!parts.isEmpty())
        where.sql = " WHERE " + parts.join(" AND ");
    return where;
}

std::optional<int> intAt(const CentralResult &result, int row, int column)
{
    return result.isNull(row, column) ? std::nullopt : std::optional<int>(result.value(row, column).toInt());
}

std::optional<double> doubleAt(const CentralResult &result, int row, int column)
{
    return result.isNull(row, column) ? std::nullopt
                                      : std::optional<double>(result.value(row, column).toDouble());
}

QStringList outsideOf(const QString &json)
{
    QStringList names;
    for (const QJsonValue &name : QJsonDocument::fromJson(json.toUtf8()).array())
        names << name.toString();
    return names;
}

// The distinct values of an indexed column, one index probe each: a plain
// DISTINCT would read the whole index of millions of rows.
QByteArray distinctOf(const char *column)
{
    const QByteArray name(column);
    return "WITH RECURSIVE v(x) AS ((SELECT " + name + " FROM measurements WHERE " + name +
           " IS NOT NULL ORDER BY " + name + " LIMIT 1) UNION ALL SELECT (SELECT " + name +
           " FROM measurements WHERE " + name + " > v.x ORDER BY " + name +
           " LIMIT 1) FROM v WHERE v.x IS NOT NULL) SELECT x FROM v WHERE x IS NOT NULL AND x <> ''";
}

} // namespace

CentralReview::CentralReview(const QByteArray &conninfo, std::shared_ptr<std::atomic<bool>> cancel)
    : m_conninfo(conninfo), m_cancel(std::move(cancel)), m_connection(m_cancel.get())
{}

QString CentralReview::description() const
{
    return u"alle Prüfstände (zentrale Datenbank)"_s;
}

QString CentralReview::query(const QByteArray &sql, const QList<QByteArray> &values, CentralResult *result)
{
    const QDeadlineTimer deadline(QueryDeadlineMs);
    if ((!m_connection.isOpen() && !m_connection.open(m_conninfo, deadline)) ||
        !m_connection.exec(sql, values, deadline, result)) {
        const CentralError error = m_connection.error();
        m_connection.close();
        return u"Zentrale Datenbank: "_s + error.text();
    }
    return {};
}

qint64 CentralReview::idOf(const QString &storeId, qint64 localId)
{
    auto found = m_storeNumbers.constFind(storeId);
    if (found == m_storeNumbers.cend()) {
        m_stores.append(storeId);
        found = m_storeNumbers.insert(storeId, m_stores.size() - 1);
    }
    return (*found << LocalIdBits) | localId;
}

ReviewRow CentralReview::rowOf(const CentralResult &result, int row)
{
    ReviewRow made;
    int i = 0;
    const auto text = [&] { return result.value(row, i++); };
    const QString storeId = text();
    made.id = idOf(storeId, text().toLongLong());
    made.timeMs = text().toLongLong();
    made.type = text();
    made.number = text();
    made.mark = text();
    made.poleCount = intAt(result, row, i++);
    made.speed = doubleAt(result, row, i++);
    made.voltageConstant = doubleAt(result, row, i++);
    made.voltage = doubleAt(result, row, i++);
    made.electricalAngle = doubleAt(result, row, i++);
    made.mechanicalAngle = doubleAt(result, row, i++);
    made.teeth = intAt(result, row, i++);
    made.offsetU = intAt(result, row, i++);
    made.offsetV = intAt(result, row, i++);
    made.offsetW = intAt(result, row, i++);
    made.verdict = text();
    made.outside = outsideOf(text());
    made.source = text();
    made.bench = text();
    return made;
}

Fetched<QStringList> CentralReview::distinctValues(const char *column)
{
    CentralResult result;
    Fetched<QStringList> values;
    values.cause = query(distinctOf(column), {}, &result);
    for (int row = 0; values.ok() && row < result.rowCount(); ++row)
        values.value << result.value(row, 0);
    return values;
}

Fetched<QStringList> CentralReview::types()
{
    return distinctValues("type");
}

Fetched<QStringList> CentralReview::benches()
{
    return distinctValues("bench");
}

Fetched<QString> CentralReview::newestType()
{
    // The newest time of each type from the index by type and time.
    CentralResult result;
    Fetched<QString> newest;
    newest.cause = query("SELECT x FROM (" + distinctOf("type") +
                             ") AS t ORDER BY (SELECT max(time_utc) FROM measurements WHERE type = t.x) "
                             "DESC NULLS LAST LIMIT 1",
                         {}, &result);
    if (newest.ok() && result.rowCount() > 0)
        newest.value = result.value(0, 0);
    return newest;
}

Fetched<qint64> CentralReview::count(const ReviewFilter &filter)
{
    const Where where = whereOf(filter);
    CentralResult result;
    Fetched<qint64> counted;
    counted.cause = query("SELECT count(*) FROM measurements" + where.sql, where.values, &result);
    if (counted.ok() && result.rowCount() > 0)
        counted.value = result.value(0, 0).toLongLong();
    return counted;
}

Fetched<QList<ReviewRow>> CentralReview::rows(const ReviewFilter &filter, const ReviewOrder &order,
                                              qint64 offset, int count)
{
    Where where = whereOf(filter);
    const QByteArray direction = order.descending ? " DESC" : " ASC";
    // Store and id break ties, so that pages neither repeat nor skip a record.
    QByteArray sql = "SELECT " + QByteArray(RowColumns) + " FROM measurements" + where.sql + " ORDER BY " +
                     reviewColumnSqlName(order.column).toLatin1() + direction + ", store_id" + direction +
                     ", local_id" + direction;
    where.values << QByteArray::number(count) << QByteArray::number(offset);
    sql += " LIMIT $" + QByteArray::number(where.values.size() - 1) + " OFFSET $" +
           QByteArray::number(where.values.size());
    CentralResult result;
    Fetched<QList<ReviewRow>> rows;
    rows.cause = query(sql, where.values, &result);
    for (int row = 0; rows.ok() && row < result.rowCount(); ++row)
        rows.value.append(rowOf(result, row));
    return rows;
}

Fetched<std::optional<ReviewRecord>> CentralReview::record(qint64 id)
{
    const qint64 number = id >> LocalIdBits;
    Fetched<std::optional<ReviewRecord>> found;
    if (number < 0 || number >= m_stores.size())
        return found;
    CentralResult result;
    found.cause = query(
        "SELECT " + QByteArray(RowColumns) +
            ", date_text, time_text, frame, data_file, judged_on_import FROM measurements "
            "WHERE store_id = $1::uuid AND local_id = $2",
        {m_stores.at(number).toLatin1(), QByteArray::number(id & ((qint64(1) << LocalIdBits) - 1))}, &result);
    if (!found.ok() || result.rowCount() == 0)
        return found;
    ReviewRecord record;
    record.row = rowOf(result, 0);
    int i = RowColumnCount;
    record.dateText = result.value(0, i++);
    record.timeText = result.value(0, i++);
    record.frame = QByteArray::fromHex(result.value(0, i++).toLatin1());
    record.dataFile = result.value(0, i++);
    record.judgedOnImport = result.value(0, i++) == u"t"_s;
    found.value = std::move(record);
    return found;
}

Fetched<ReviewSeries> CentralReview::series(const ReviewFilter &filter, ReviewQuantity quantity)
{
    const QByteArray column = reviewQuantityColumn(quantity).toLatin1();
    const Where where = whereOf(filter, column + " IS NOT NULL");
    CentralResult result;
    Fetched<ReviewSeries> series;
    series.cause =
        query("SELECT store_id::text, local_id, round(extract(epoch FROM time_utc) * 1000)::bigint, " +
                  column + " FROM measurements" + where.sql + " ORDER BY time_utc, store_id, local_id",
              where.values, &result);
    ReviewSeries &made = series.value;
    for (int row = 0; series.ok() && row < result.rowCount(); ++row) {
        made.ids.push_back(idOf(result.value(row, 0), result.value(row, 1).toLongLong()));
        made.timesMs.push_back(result.value(row, 2).toLongLong());
        made.values.push_back(result.value(row, 3).toDouble());
    }
    return series;
}

Fetched<QHash<qint64, QString>> CentralReview::numbers(const QList<qint64> &ids)
{
    // One statement per store, its ids as one array value.
    QHash<qint64, QByteArrayList> byStore;
    for (const qint64 id : ids) {
        if (const qint64 number = id >> LocalIdBits; number >= 0 && number < m_stores.size())
            byStore[number] << QByteArray::number(id & ((qint64(1) << LocalIdBits) - 1));
    }
    Fetched<QHash<qint64, QString>> numbers;
    for (auto store = byStore.cbegin(); numbers.ok() && store != byStore.cend(); ++store) {
        CentralResult result;
        numbers.cause =
            query("SELECT local_id, number FROM measurements WHERE store_id = $1::uuid AND "
                  "local_id = ANY ($2::bigint[])",
                  {m_stores.at(store.key()).toLatin1(), '{' + store.value().join(',') + '}'}, &result);
        for (int row = 0; numbers.ok() && row < result.rowCount(); ++row)
            numbers.value.insert((store.key() << LocalIdBits) | result.value(row, 0).toLongLong(),
                                 result.value(row, 1));
    }
    return numbers;
}

Fetched<QJsonObject> CentralReview::latestLimits(const QString &type)
{
    CentralResult result;
    Fetched<QJsonObject> limits;
    limits.cause = query("SELECT limits FROM measurements WHERE type = $1 AND limits IS NOT NULL "
                         "ORDER BY time_utc DESC LIMIT 1",
                         {type.toUtf8()}, &result);
    if (limits.ok() && result.rowCount() > 0)
        limits.value = QJsonDocument::fromJson(result.value(0, 0).toUtf8()).object();
    return limits;
}
