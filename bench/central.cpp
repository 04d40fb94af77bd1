// Upload into the central database and a review query there, against a
// PostgreSQL 15 server of its own (as the tests start it). Prints
// "name: value unit" lines.
//
//   central [rows [review_rows]]   (defaults 20000 and 1000000; 0 leaves the review out)
//
// Upload: rows with every column filled, in batches of 500 through
// CentralUpload::insertRows, over the local socket and over TCP on
// 127.0.0.1. Goal: at least 2,000 rows/s. Review: one type and one month out
// of review_rows rows from 100 benches over a year, median of 21 queries.
// Goal: at most 200 ms.

#include "PgServer.h"

#include "central/CentralConnection.h"
#include "central/CentralSchema.h"
#include "central/CentralUpload.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double milliseconds(const QElapsedTimer &timer)
{
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

std::vector<CentralRow> makeRows(int count, const QString &storeId)
{
    std::vector<CentralRow> rows;
    rows.reserve(std::size_t(count));
    const QDateTime start(QDate(2026, 1, 5), QTime(6, 0), Qt::UTC);
    for (int i = 0; i < count; ++i) {
        CentralRow row;
        row.storeId = storeId;
        row.localId = i + 1;
        row.timeUtc = start.addSecs(qint64(i) * 47);
        row.dateText = row.timeUtc.toString(QStringLiteral("dd.MM.yyyy"));
        row.timeText = row.timeUtc.toString(QStringLiteral("HH:mm:ss"));
        row.bench = QStringLiteral("Prüfstand 3");
        row.type = QStringLiteral("A%1").arg(i % 40);
        row.number = QString::number(100000 + i);
        row.mark = QStringLiteral("MK");
        row.poleCount = 4;
        row.speedRpm = 964 + i % 10;
        row.voltageConstantVPerKrpm = 0.28;
        row.voltageV = 27.6;
        row.electricalAngleDeg = 2.8;
        row.mechanicalAngleDeg = 1.4;
        row.encoderTeeth = 256;
        row.offsetU = 120;
        row.offsetV = -40;
        row.offsetW = 7;
        row.frame = QStringLiteral("aa0102030405060708090a0b0c0d0e0f101112131415161718ff");
        row.verdict = QStringLiteral("pass");
        row.outside = QStringLiteral("[]");
        row.limits = QStringLiteral(R"({"voltage_v":{"min":25,"max":30}})");
        row.dataFile = QStringLiteral("/srv/daten/Rotorlage.txt");
        row.source = QStringLiteral("Lesen");
        row.lineHash = QString::fromLatin1(
            QCryptographicHash::hash(storeId.toUtf8() + QByteArray::number(i), QCryptographicHash::Sha256)
                .toHex());
        rows.push_back(row);
    }
    return rows;
}

// Returns rows/s, or a negative value on failure.
double upload(const QByteArray &conninfo, const std::vector<CentralRow> &rows)
{
    CentralConnection connection;
    if (!connection.open(conninfo, QDeadlineTimer(10000))) {
        std::fprintf(stderr, "central: %s\n", qPrintable(connection.error().text()));
        return -1;
    }
    QElapsedTimer timer;
    timer.start();
    const CentralUpload::Result result = CentralUpload::insertRows(connection, rows, QDeadlineTimer(600000));
    const double ms = milliseconds(timer);
    if (result.error.isError() || result.accepted != qsizetype(rows.size())) {
        std::fprintf(stderr, "central: %lld of %zu rows: %s\n", static_cast<long long>(result.accepted),
                     rows.size(), qPrintable(result.error.text()));
        return -1;
    }
    return double(rows.size()) / (ms / 1000.0);
}

// Rows from 100 benches over a year, made by the server itself.
bool fillForReview(const QByteArray &conninfo, int rows)
{
    CentralConnection connection;
    const QByteArray count = QByteArray::number(rows);
    const bool done =
        connection.open(conninfo, QDeadlineTimer(10000)) &&
        connection.execScript(
            "TRUNCATE measurements; "
            "INSERT INTO measurements (store_id, local_id, time_utc, bench, type, number, pole_count, "
            "speed_rpm, "
            "voltage_constant_v_per_krpm, voltage_v, electrical_angle_deg, mechanical_angle_deg, "
            "encoder_teeth, "
            "verdict, outside, line_hash) "
            "SELECT md5('store' || (g % 100))::uuid, g, "
            "timestamptz '2025-01-01 00:00Z' + g * (interval '365 days' / " +
                count +
                "), 'Prüfstand ' || (g % 100), 'T' || (g % 40), g::text, 4, 964, 0.28, 27.6, 2.8, 1.4, 256, "
                "'pass', '[]', 'review' || g FROM generate_series(1, " +
                count + ") AS g; ANALYZE measurements",
            QDeadlineTimer(600000));
    if (!done)
        std::fprintf(stderr, "central: %s\n", qPrintable(connection.error().text()));
    return done;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const int rowCount = arguments.size() > 1 ? std::max(1, arguments[1].toInt()) : 20000;
    const int reviewRows = arguments.size() > 2 ? std::max(0, arguments[2].toInt()) : 1000000;

    QElapsedTimer timer;
    timer.start();
    PgServer server;
    if (!server.isRunning() || !server.error().isEmpty()) {
        std::fprintf(stderr, "central: %s\n", qPrintable(server.error()));
        return 1;
    }
    std::printf("server_start: %.0f ms\n", milliseconds(timer));
    if (!server.runSql(CentralSchema::script()) ||
        !server.runSql("GRANT INSERT, SELECT ON measurements TO bench"))
        return 1;

    const QByteArray passFile = " passfile=" + server.passFile().toLocal8Bit();
    const double overSocket =
        upload(server.socketConninfo("bench") + passFile,
               makeRows(rowCount, QStringLiteral("00000000-0000-4000-8000-000000000001")));
    const double overTcp = upload(server.conninfo("bench") + passFile,
                                  makeRows(rowCount, QStringLiteral("00000000-0000-4000-8000-000000000002")));
    if (overSocket < 0 || overTcp < 0)
        return 1;
    std::printf("upload_socket: %.0f rows/s\n", overSocket);
    std::printf("upload_tcp: %.0f rows/s\n", overTcp);
    if (reviewRows == 0)
        return 0;

    timer.start();
    if (!fillForReview(server.socketConninfo(), reviewRows))
        return 1;
    std::printf("review_fill: %.0f ms\n", milliseconds(timer));
    CentralConnection connection;
    if (!connection.open(server.socketConninfo("bench") + passFile, QDeadlineTimer(10000)))
        return 1;
    std::vector<double> queryMs;
    int rowsFound = 0;
    for (int i = 0; i < 21; ++i) {
        CentralResult result;
        timer.start();
        if (!connection.exec(
                "SELECT time_utc, bench, number, speed_rpm, voltage_constant_v_per_krpm, voltage_v, "
                "verdict FROM measurements WHERE type = $1 AND time_utc >= $2 AND time_utc < $3 "
                "ORDER BY time_utc",
                {"T7", "2025-03-01T00:00:00Z", "2025-04-01T00:00:00Z"}, QDeadlineTimer(60000), &result)) {
            std::fprintf(stderr, "central: %s\n", qPrintable(connection.error().text()));
            return 1;
        }
        queryMs.push_back(milliseconds(timer));
        rowsFound = result.rowCount();
    }
    std::sort(queryMs.begin(), queryMs.end());
    std::printf("review_query_median: %.1f ms\n", queryMs[queryMs.size() / 2]);
    std::printf("review_query_rows: %d count\n", rowsFound);
    return 0;
}
