#include "central/CentralUpload.h"

#include "central/CentralConnection.h"

#include <QList>
#include <QLocale>
#include <algorithm>
#include <cmath>

namespace CentralUpload {
namespace {

constexpr const char *Columns[] = {"store_id",
                                   "local_id",
                                   "time_utc",
                                   "date_text",
                                   "time_text",
                                   "bench",
                                   "type",
                                   "number",
                                   "mark",
                                   "pole_count",
                                   "speed_rpm",
                                   "voltage_constant_v_per_krpm",
                                   "voltage_v",
                                   "electrical_angle_deg",
                                   "mechanical_angle_deg",
                                   "encoder_teeth",
                                   "offset_u",
                                   "offset_v",
                                   "offset_w",
                                   "frame",
                                   "verdict",
                                   "outside",
                                   "limits",
                                   "judged_on_import",
                                   "data_file",
                                   "source",
                                   "line_hash"};
constexpr qsizetype ColumnCount = qsizetype(std::size(Columns));

QByteArray text(const QString &value)
{
    return value.isNull() ? QByteArray() : value.toUtf8();
}

QByteArray number(std::optional<int> value)
{
    return value ? QByteArray::number(*value) : QByteArray();
}

// Shortest form that reads back to the same double; not finite goes up as NULL.
QByteArray number(std::optional<double> value)
{
    if (!value || !std::isfinite(*value))
        return {};
    return QByteArray::number(*value, 'g', QLocale::FloatingPointShortest);
}

void appendValues(const CentralRow &row, QList<QByteArray> *values)
{
    values->append(
        {text(row.storeId),
         QByteArray::number(row.localId),
         row.timeUtc.isValid() ? row.timeUtc.toUTC().toString(Qt::ISODateWithMs).toLatin1() : QByteArray(),
         text(row.dateText),
         text(row.timeText),
         text(row.bench),
         text(row.type),
         text(row.number),
         text(row.mark),
         number(row.poleCount),
         number(row.speedRpm),
         number(row.voltageConstantVPerKrpm),
         number(row.voltageV),
         number(row.electricalAngleDeg),
         number(row.mechanicalAngleDeg),
         number(row.encoderTeeth),
         number(row.offsetU),
         number(row.offsetV),
         number(row.offsetW),
         text(row.frame),
         text(row.verdict),
         text(row.outside),
         text(row.limits),
         row.judgedOnImport ? QByteArrayLiteral("true") : QByteArrayLiteral("false"),
         text(row.dataFile),
         text(row.source),
         text(row.lineHash)});
}

// The statement for a batch of rowCount rows: placeholders only.
QByteArray insertStatement(qsizetype rowCount)
{
    QByteArray sql = "INSERT INTO measurements (";
    for (qsizetype column = 0; column < ColumnCount; ++column)
        sql += (column ? ", " : "") + QByteArray(Columns[column]);
    sql += ") VALUES ";
    for (qsizetype row = 0; row < rowCount; ++row) {
        sql += row ? ",(" : "(";
        for (qsizetype column = 0; column < ColumnCount; ++column)
            sql += (column ? ",$" : "$") + QByteArray::number(row * ColumnCount + column + 1);
        sql += ')';
    }
    sql += " ON CONFLICT DO NOTHING";
    return sql;
}

// How many of rows the table holds under their store and id with another
// line hash. Bound as array literals, each element quoted.
qsizetype clashesIn(CentralConnection &connection, std::span<const CentralRow> rows, QDeadlineTimer deadline,
                    CentralError *error)
{
    QByteArrayList storeIds, localIds, hashes;
    for (const CentralRow &row : rows) {
        storeIds.append(row.storeId.toUtf8());
        localIds.append(QByteArray::number(row.localId));
        hashes.append(row.lineHash.toUtf8());
    }
    const auto array = [](const QByteArrayList &items) {
        QByteArrayList quoted;
        for (QByteArray item : items)
            quoted.append('"' + item.replace('\\', "\\\\").replace('"', "\\\"") + '"');
        return '{' + quoted.join(',') + '}';
    };
    CentralResult found;
    if (!connection.exec(
            "SELECT count(*) FROM measurements m JOIN unnest($1::uuid[], $2::bigint[], $3::text[]) "
            "AS b(store_id, local_id, line_hash) ON m.store_id = b.store_id AND m.local_id = "
            "b.local_id WHERE m.line_hash <> b.line_hash",
            {array(storeIds), array(localIds), array(hashes)}, deadline, &found)) {
        *error = connection.error();
        return 0;
    }
    return found.value(0, 0).toLongLong();
}

} // namespace

Result insertRows(CentralConnection &connection, std::span<const CentralRow> rows, QDeadlineTimer deadline)
{
    Result result;
    const qsizetype total = qsizetype(rows.size());
    QByteArray fullBatchSql;
    while (result.committed < total) {
        const qsizetype count = std::min(BatchSize, total - result.committed);
        if (count == BatchSize && fullBatchSql.isEmpty())
            fullBatchSql = insertStatement(BatchSize);
        QList<QByteArray> values;
        values.reserve(count * ColumnCount);
        for (const CentralRow &row : rows.subspan(std::size_t(result.committed), std::size_t(count)))
            appendValues(row, &values);
        CentralResult inserted;
        if (!connection.exec(count == BatchSize ? fullBatchSql : insertStatement(count), values, deadline,
                             &inserted)) {
            result.error = connection.error();
            return result;
        }
        // Fewer rows new than sent: repeats, lines another bench sent, or a clash.
        const std::span<const CentralRow> batch =
            rows.subspan(std::size_t(result.committed), std::size_t(count));
        if (inserted.affectedRows() < count) {
            result.clashes = clashesIn(connection, batch, deadline, &result.error);
            if (result.error.isError() || result.clashes > 0)
                return result;
        }
        result.committed += count;
        result.accepted += inserted.affectedRows();
    }
    return result;
}

} // namespace CentralUpload
