// Upload into the central database, a review query there, and what the
// upload costs a save, against a PostgreSQL 15 server of its own (as the
// tests start it). Prints "name: value unit" lines.
//
//   central [rows [review_rows [saves]]]   (defaults 20000, 1000000 and 300;
//                                           0 leaves the review or the saves out)
//
// Upload: rows with every column filled, in batches of 500 through
// CentralUpload::insertRows, over the local socket and over TCP on
// 127.0.0.1; and from a results store through StoreUpload (read, insert,
// mark uploaded). Goal: at least 2,000 rows/s. Review: one type and one
// month out of review_rows rows from 100 benches over a year, median of 21
// queries, and the table's and indexes' size a row. Goal: at most 200 ms.
// Save: a store write and the note to the upload worker, with no central
// database, with a server that refuses and with one that never answers.
// Goal: the median at most 1 ms above the one without.

#include "PgServer.h"

#include "LocalSocket.h"
#include "central/CentralConnection.h"
#include "central/CentralSchema.h"
#include "central/CentralService.h"
#include "central/CentralUpload.h"
#include "central/StoreUpload.h"
#include "link/Frame.h"
#include "log/ReadTimestamp.h"
#include "store/ResultStore.h"
#include "store/UploadQueue.h"

#include "Figures.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

using namespace Figures;

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
            "INSERT INTO measurements (store_id, local_id, time_utc, date_text, time_text, bench, type, "
            "number, mark, pole_count, speed_rpm, voltage_constant_v_per_krpm, voltage_v, "
            "electrical_angle_deg, mechanical_angle_deg, encoder_teeth, offset_u, offset_v, offset_w, frame, "
            "verdict, outside, limits, data_file, source, line_hash) "
            "SELECT md5('store' || (g % 100))::uuid, g, "
            "timestamptz '2025-01-01 00:00Z' + g * (interval '365 days' / " +
                count +
                "), '07.12.2026', '14:03:22', 'Prüfstand ' || (g % 100), 'T' || (g % 40), g::text, 'MK', 4, "
                "964, 0.28, 27.6, 2.8, 1.4, 256, 120, -40, 7, "
                "'aa0102030405060708090a0b0c0d0e0f101112131415161718ff', 'pass', '[]', "
                "'{\"voltage_v\":[25,30]}', '/srv/daten/Rotorlage.txt', 'Lesen', "
                "md5('review' || g) || md5('line' || g) FROM generate_series(1, " +
                count + ") AS g; ANALYZE measurements",
            QDeadlineTimer(600000));
    if (!done)
        std::fprintf(stderr, "central: %s\n", qPrintable(connection.error().text()));
    return done;
}

// A results store of count rows, written by SQL rather than a save each.
bool fillStore(ResultStore &store, int count)
{
    if (const QString cause = store.open(); !cause.isEmpty()) {
        std::fprintf(stderr, "central: %s\n", qPrintable(cause));
        return false;
    }
    QSqlQuery query(store.database());
    query.prepare(QStringLiteral(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < :count) "
        "INSERT INTO measurements (time_utc, date_text, time_text, bench, store_id, type, number, mark, "
        "pole_count, speed_rpm, voltage_constant_v_per_krpm, voltage_v, electrical_angle_deg, "
        "mechanical_angle_deg, encoder_teeth, offset_u, offset_v, offset_w, frame, verdict, outside, limits, "
        "judged_on_import, data_file, source, line_hash) "
        "SELECT printf('2026-12-07T%02d:%02d:%02d.000Z', i / 3600 % 24, i / 60 % 60, i % 60), '07.12.2026', "
        "'14:03:22', 'Prüfstand 3', (SELECT store_id FROM meta), 'A' || (i % 40), 100000 + i, 'MK', 4, 964, "
        "0.28, 27.6, 2.8, 1.4, 256, 120, -40, 7, 'aa0102030405060708090a0b0c0d0e0f101112131415161718ff', "
        "'pass', '[]', '{\"voltage_v\":[25,30]}', 0, '/srv/daten/Rotorlage.txt', 'Lesen', "
        "'store-' || (SELECT store_id FROM meta) || '-' || i FROM n"));
    query.bindValue(QStringLiteral(":count"), count);
    return query.exec();
}

// Rows/s from a store to the server: read, insert, mark uploaded; negative on failure.
double uploadFromStore(const QByteArray &conninfo, const QString &folder, int rows)
{
    ResultStore store(folder + QStringLiteral("/upload.sqlite"));
    if (!fillStore(store, rows))
        return -1;
    CentralConnection connection;
    QElapsedTimer timer;
    timer.start();
    qsizetype sent = 0;
    for (;;) {
        const StoreUpload::Batch batch =
            StoreUpload::send(store, connection, conninfo, QDeadlineTimer(60000));
        sent += batch.sent;
        if (!batch.ok()) {
            std::fprintf(stderr, "central: %s%s\n", qPrintable(batch.error.text()),
                         qPrintable(batch.storeCause));
            return -1;
        }
        if (!batch.full)
            break;
    }
    const double ms = milliseconds(timer);
    return sent == rows && UploadQueue::pending(store).rows == 0 ? double(rows) / (ms / 1000.0) : -1;
}

// One way of saving: a store of its own, and the upload worker when there is a server to name.
struct SaveWay
{
    const char *name;
    QByteArray conninfo; // empty: no central database
    std::unique_ptr<ResultStore> store;
    std::unique_ptr<CentralService> service;
    std::vector<double> saveMs;
    std::vector<double> noteMs;
};

// The window's save without the data file: the store write, then the note to
// the worker. In rounds, each way in turn, so that the disk's and the other
// users' moods fall on all of them alike.
bool measureSaves(const QString &folder, std::vector<SaveWay> &ways, int saves)
{
    const QLocale german(QLocale::German, QLocale::Germany);
    const QByteArray frame = demoFrame();
    const MeasurementRecord decoded = decodeFrame(ReceptionBuffer(frame));
    const QStringList measured = displayTexts(decoded, german);
    for (SaveWay &way : ways) {
        way.store = std::make_unique<ResultStore>(folder + u'/' + QString::fromLatin1(way.name) +
                                                  QStringLiteral(".sqlite"));
        if (!way.store->open().isEmpty())
            return false;
        if (!way.conninfo.isEmpty()) {
            way.service = std::make_unique<CentralService>();
            way.service->start(way.conninfo, way.store->path());
        }
    }
    constexpr int Round = 25;
    int number = 0;
    for (int done = 0; done < saves; done += Round) {
        for (SaveWay &way : ways) {
            for (int i = 0; i < Round; ++i) {
                const QDateTime time = QDateTime::currentDateTime();
                const QStringList fields =
                    QStringList{QStringLiteral("A1"), QString::number(++number)} + measured +
                    QStringList{ReadTimestamp::dateText(time.date(), german),
                                ReadTimestamp::timeText(time.time(), german), QStringLiteral("MK")};
                const StoreRecord record =
                    StoreRecord::fromReading(decoded, frame, time, fields, QStringLiteral("Bank 1"),
                                             QStringLiteral("Rotorlage.txt"), {});
                QElapsedTimer timer;
                timer.start();
                if (!way.store->save(record).stored)
                    return false;
                const qint64 stored = timer.nsecsElapsed();
                if (way.service)
                    way.service->recordSaved();
                const qint64 noted = timer.nsecsElapsed();
                way.saveMs.push_back(double(noted) / 1e6);
                way.noteMs.push_back(double(noted - stored) / 1e6);
            }
            QCoreApplication::processEvents();
        }
    }
    for (SaveWay &way : ways) {
        QElapsedTimer timer;
        timer.start();
        if (way.service)
            way.service->stop();
        std::printf("close_%s: %.0f ms\n", way.name, milliseconds(timer));
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const int rowCount = arguments.size() > 1 ? std::max(1, arguments[1].toInt()) : 20000;
    const int reviewRows = arguments.size() > 2 ? std::max(0, arguments[2].toInt()) : 1000000;
    const int saves = arguments.size() > 3 ? std::max(0, arguments[3].toInt()) : 300;

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
    QTemporaryDir folder;
    const double fromStore =
        uploadFromStore(server.socketConninfo("bench") + passFile, folder.path(), rowCount);
    if (fromStore < 0)
        return 1;
    std::printf("upload_from_store_socket: %.0f rows/s\n", fromStore);

    if (saves > 0) {
        const LocalSocket refusing(false);
        const LocalSocket silent(true);
        std::vector<SaveWay> ways;
        ways.push_back({"no_central", {}, {}, {}, {}, {}});
        ways.push_back({"server_refuses", refusing.conninfo(), {}, {}, {}, {}});
        ways.push_back({"server_silent", silent.conninfo() + " connect_timeout=600", {}, {}, {}, {}});
        if (!measureSaves(folder.path(), ways, saves))
            return 1;
        for (const SaveWay &way : ways) {
            std::printf("save_%s_median: %.3f ms\n", way.name, median(way.saveMs));
            std::printf("save_%s_note_median: %.4f ms\n", way.name, median(way.noteMs));
            std::printf("save_%s_note_max: %.4f ms\n", way.name,
                        *std::max_element(way.noteMs.begin(), way.noteMs.end()));
        }
        for (std::size_t i = 1; i < ways.size(); ++i)
            std::printf("save_%s_extra: %.3f ms\n", ways[i].name,
                        median(ways[i].saveMs) - median(ways[0].saveMs));
    }
    if (reviewRows == 0)
        return 0;

    timer.start();
    if (!fillForReview(server.socketConninfo(), reviewRows))
        return 1;
    std::printf("review_fill: %.0f ms\n", milliseconds(timer));
    {
        CentralConnection sizes;
        CentralResult bytes;
        if (!sizes.open(server.socketConninfo(), QDeadlineTimer(10000)) ||
            !sizes.exec("SELECT pg_table_size('measurements'), pg_indexes_size('measurements')", {},
                        QDeadlineTimer(60000), &bytes))
            return 1;
        std::printf("table_bytes_per_row: %.0f bytes\n", bytes.value(0, 0).toDouble() / reviewRows);
        std::printf("index_bytes_per_row: %.0f bytes\n", bytes.value(0, 1).toDouble() / reviewRows);
    }
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
