#include "log/DataFileExport.h"
#include "log/ReadTimestamp.h"
#include "store/ResultStore.h"
#include "store/StorePath.h"
#include "store/UploadQueue.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QLocale German(QLocale::German, QLocale::Germany);
const QLocale English(QLocale::English, QLocale::UnitedStates);

QStringList fieldsFor(const QString &number, const QDateTime &time)
{
    const QStringList measured = displayTexts(decodeFrame(ReceptionBuffer(demoFrame())), German);
    return QStringList{"A1", number} + measured +
           QStringList{ReadTimestamp::dateText(time.date(), German),
                       ReadTimestamp::timeText(time.time(), German), "MK"};
}

StoreRecord reading(const QString &number, const StoreVerdict &verdict = {})
{
    const QDateTime time(QDate(2026, 12, 6), QTime(14, 3, 22, 250));
    return StoreRecord::fromReading(decodeFrame(ReceptionBuffer(demoFrame())), demoFrame(), time,
                                    fieldsFor(number, time), "Bank 1", "Rotorlage.txt", verdict);
}

// One column of every row, by id; null as "null".
QStringList column(const ResultStore &store, const QString &name)
{
    QSqlQuery query(store.database());
    QStringList values;
    if (!query.exec("SELECT " + name + " FROM measurements ORDER BY id"))
        qWarning() << query.lastError().text();
    while (query.next())
        values << (query.isNull(0) ? QString("null") : query.value(0).toString());
    return values;
}

// Statements run on a connection of the test's own.
class OtherConnection
{
public:
    explicit OtherConnection(const QString &path)
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "other");
        db.setDatabaseName(path);
        QVERIFY(db.open());
    }
    ~OtherConnection() { QSqlDatabase::removeDatabase("other"); }
    OtherConnection(const OtherConnection &) = delete;
    OtherConnection &operator=(const OtherConnection &) = delete;
    bool run(const QString &statement)
    {
        QSqlQuery query(QSqlDatabase::database("other"));
        return query.exec(statement) || (qWarning() << query.lastError().text(), false);
    }
};

} // namespace

class TestResultStore : public QObject
{
    Q_OBJECT

private slots:
    void chooseStorePath_data();
    void chooseStorePath();
    void open_data();
    void open();
    void uploadQueue();
    void saveWritesRow_data();
    void saveWritesRow();
    void unwritableStoreKeepsRecordPending_data();
    void unwritableStoreKeepsRecordPending();
    void importDataFile_data();
    void importDataFile();
};

void TestResultStore::chooseStorePath_data()
{
    QTest::addColumn<QString>("settingsFile");
    QTest::addColumn<QString>("executable");
    QTest::addColumn<QString>("xdgDataHome");
    QTest::addColumn<QString>("expected");
    QTest::newRow("portable") << "/opt2/bank/quoran.ini"
                              << "/opt2/bank/quoran"
                              << "/x"
                              << "/opt2/bank/quoran.sqlite";
    QTest::newRow("installed") << "/home/op/.config/quoran/quoran.ini"
                               << "/usr/bin/quoran"
                               << ""
                               << "/home/op/.local/share/quoran/quoran.sqlite";
    QTest::newRow("installed, XDG_DATA_HOME") << "/home/op/.config/quoran/quoran.ini"
                                              << "/usr/bin/quoran-read"
                                              << "/data/"
                                              << "/data/quoran/quoran.sqlite";
    QTest::newRow("installed, relative XDG_DATA_HOME ignored")
        << "/home/op/.config/quoran/quoran.ini"
        << "/opt/quoran/quoran"
        << "data"
        << "/home/op/.local/share/quoran/quoran.sqlite";
    QTest::newRow("installed, settings beside it") << "/opt/quoran/quoran.ini"
                                                   << "/opt/quoran/quoran"
                                                   << ""
                                                   << "/opt/quoran/quoran.sqlite";
}

void TestResultStore::chooseStorePath()
{
    QFETCH(QString, settingsFile);
    QFETCH(QString, executable);
    QFETCH(QString, xdgDataHome);
    QFETCH(QString, expected);
    QCOMPARE(StorePath::choose(settingsFile, executable, xdgDataHome, "/home/op"), expected);
}

void TestResultStore::open_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("cause");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("uploaded"); // of the rows there, and of one saved after the opening
    QTest::newRow("new file") << "none"
                              << "" << 0 << "0";
    QTest::newRow("new file in missing folders") << "missing folder"
                                                 << "" << 0 << "0";
    QTest::newRow("file of version 1") << "version 1"
                                       << "" << 3 << "0000";
    QTest::newRow("file of version 2") << "version 2"
                                       << "" << 2 << "100";
    QTest::newRow("not a database") << "text"
                                    << "beschädigt" << 0 << "";
    QTest::newRow("folder in its place") << "folder"
                                         << "ein Ordner an ihrer Stelle" << 0 << "";
    QTest::newRow("newer version") << "user_version 3"
                                   << "von einer neueren Programmversion" << 0 << "";
    QTest::newRow("another program's database") << "other table"
                                                << "keine Ergebnisdatenbank" << 0 << "";
}

void TestResultStore::open()
{
    QFETCH(QString, setup);
    QFETCH(QString, cause);
    QFETCH(int, rows);
    QFETCH(QString, uploaded);
    QTemporaryDir dir;
    QString path = dir.filePath("quoran.sqlite");
    QFile file(path);
    if (setup == "missing folder")
        path = dir.filePath("a/b/quoran.sqlite");
    else if (setup.startsWith("version "))
        QVERIFY(QFile::copy(QUORAN_STORE_TEST_DATA "/store-v" + setup.mid(8) + ".sqlite", path));
    else if (setup == "folder")
        QVERIFY(QDir(dir.path()).mkdir("quoran.sqlite"));
    else if (setup == "text")
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(QByteArray(4096, 'x')) == 4096 && file.flush());
    else if (setup != "none") {
        OtherConnection other(path);
        QVERIFY(other.run(setup == "user_version 3" ? "PRAGMA user_version = 3" : "CREATE TABLE t (x)"));
    }

    ResultStore store(path);
    QCOMPARE(store.open(), cause);
    if (!cause.isEmpty()) {
        QVERIFY(!store.save(reading("1")).stored);
        return;
    }
    QCOMPARE(column(store, "id").size(), rows);
    QSqlQuery query(store.database());
    QStringList names;
    QVERIFY(query.exec("PRAGMA table_info(measurements)"));
    while (query.next())
        names << query.value(1).toString();
    QCOMPARE(names,
             QString("id time_utc date_text time_text bench store_id type number mark pole_count speed_rpm "
                     "voltage_constant_v_per_krpm voltage_v electrical_angle_deg mechanical_angle_deg "
                     "encoder_teeth offset_u offset_v offset_w frame verdict outside limits "
                     "judged_on_import data_file source line_hash uploaded")
                 .split(' '));
    QVERIFY(query.exec("PRAGMA user_version") && query.next());
    QCOMPARE(query.value(0).toInt(), 2);
    QVERIFY(query.exec("PRAGMA journal_mode") && query.next());
    QCOMPARE(query.value(0).toString(), "wal");
    QVERIFY(query.exec("EXPLAIN QUERY PLAN SELECT * FROM measurements WHERE type = 'A1' ORDER BY time_utc") &&
            query.next());
    QVERIFY2(query.value(3).toString().contains("measurements_type_time"),
             qPrintable(query.value(3).toString()));
    QVERIFY(!QUuid::fromString(store.storeId()).isNull());
    // An older file keeps its rows and its identity; new rows join them.
    // None of them has gone to the central database yet.
    QVERIFY(store.save(reading("9")).stored);
    QCOMPARE(column(store, "store_id"), QStringList(rows + 1, store.storeId()));
    QCOMPARE(column(store, "uploaded").join(""), uploaded);
    QCOMPARE(UploadQueue::pending(store).rows, uploaded.count('0'));
}

void TestResultStore::uploadQueue()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("quoran.sqlite");
    ResultStore store(path);
    for (const char *number : {"1", "2", "3", "4", "5"})
        QVERIFY(store.save(reading(number, {"fail", {"el. Winkel"}, std::nullopt})).stored);
    OtherConnection other(path);
    // Marked by hand, so that the queue has a gap: only rows not uploaded, in id order.
    QVERIFY(other.run("UPDATE measurements SET uploaded = 1 WHERE id = 2"));

    const UploadQueue::Rows first = UploadQueue::next(store, 2);
    QVERIFY2(first.cause.isEmpty(), qPrintable(first.cause));
    QCOMPARE(first.rows.size(), 2);
    QCOMPARE(first.rows[0].localId, 1);
    QCOMPARE(first.rows[1].localId, 3);
    // Read back as it was stored.
    const StoredRow &row = first.rows[0];
    const MeasurementRecord decoded = decodeFrame(ReceptionBuffer(demoFrame()));
    QCOMPARE(row.storeId, store.storeId());
    QCOMPARE(row.timeUtc, QDateTime(QDate(2026, 12, 6), QTime(14, 3, 22, 250)).toUTC());
    QCOMPARE(row.number, "1");
    QCOMPARE(row.electricalAngleDeg, std::optional<double>(2.8));
    QCOMPARE(row.offsetV, std::optional<int>(decoded.offsetV));
    QCOMPARE(row.frame, QString::fromLatin1(demoFrame().toHex()));
    QCOMPARE(row.verdict + row.outside, R"(fail["el. Winkel"])");
    QVERIFY(row.limits.isNull());
    QCOMPARE(row.lineHash, column(store, "line_hash").value(0));

    // A lock held elsewhere: nothing is marked, the rows stay queued.
    QVERIFY(other.run("BEGIN EXCLUSIVE"));
    QCOMPARE(UploadQueue::markUploaded(store, first.rows), "gesperrt");
    QVERIFY(other.run("ROLLBACK"));
    QCOMPARE(UploadQueue::pending(store).rows, 4);

    QCOMPARE(UploadQueue::markUploaded(store, first.rows), QString());
    QCOMPARE(UploadQueue::pending(store).rows, 2);
    const UploadQueue::Rows rest = UploadQueue::next(store, 500);
    QCOMPARE(rest.rows.size(), 2);
    QCOMPARE(rest.rows[0].localId, 4);
    QCOMPARE(rest.rows[1].localId, 5);
    QCOMPARE(column(store, "uploaded"), (QStringList{"1", "1", "1", "0", "0"}));
}

void TestResultStore::saveWritesRow_data()
{
    QTest::addColumn<QString>("verdict");
    QTest::addColumn<QStringList>("outside");
    QTest::addColumn<bool>("withLimits");
    QTest::addColumn<QStringList>("stored"); // verdict, outside, limits
    QTest::newRow("n.i.O. with limits")
        << "fail" << QStringList{"el. Winkel"} << true
        << QStringList{"fail", R"(["el. Winkel"])", R"({"el. Winkel":[3,null]})"};
    QTest::newRow("i.O.") << "pass" << QStringList() << true
                          << QStringList{"pass", "[]", R"({"el. Winkel":[3,null]})"};
    QTest::newRow("no limits file") << "" << QStringList() << false << QStringList{"null", "null", "null"};
    QTest::newRow("unknown verdict text")
        << "vielleicht" << QStringList() << false << QStringList{"error", "[]", "null"};
}

void TestResultStore::saveWritesRow()
{
    QFETCH(QString, verdict);
    QFETCH(QStringList, outside);
    QFETCH(bool, withLimits);
    QFETCH(QStringList, stored);
    QTemporaryDir dir;
    ResultStore store(dir.filePath("quoran.sqlite"));
    StoreVerdict judged{verdict, outside, std::nullopt};
    if (withLimits)
        judged.limits = QJsonObject{{"el. Winkel", QJsonArray{3, QJsonValue()}}};
    const StoreRecord record = reading("1001", judged);
    const ResultStore::SaveResult result = store.save(record);
    QVERIFY2(result.stored, qPrintable(result.cause));

    const MeasurementRecord decoded = decodeFrame(ReceptionBuffer(demoFrame()));
    QCOMPARE(column(store, "frame"), QStringList{QString::fromLatin1(demoFrame().toHex())});
    QCOMPARE(column(store, "offset_u || ' ' || offset_v || ' ' || offset_w"),
             QStringList{QString("%1 %2 %3").arg(decoded.offsetU).arg(decoded.offsetV).arg(decoded.offsetW)});
    QCOMPARE(column(store, "verdict") + column(store, "outside") + column(store, "limits"), stored);
    // The angle is the float's shortest decimal, as the JSON gives it.
    QCOMPARE(column(store, "electrical_angle_deg"), QStringList{"2.8"});
    QCOMPARE(column(store, "time_utc"), QStringList{record.time.toUTC().toString(Qt::ISODateWithMs)});
    QCOMPARE(column(store, "type || number || mark || bench || source || judged_on_import"),
             QStringList{"A11001MKBank 1Lesen0"});
    QCOMPARE(column(store, "line_hash"), QStringList{lineHash(record.fields)});

    // Saved twice, or imported from the data file it was written to: one row.
    QVERIFY(store.save(record).stored);
    const QString dataFile = dir.filePath("Rotorlage.txt");
    QVERIFY(DataFileExport::save(dataFile, "Semikolon [;]", record.fields).ok);
    const ImportReport report = store.importDataFile(dataFile, German);
    QCOMPARE(report.linesRead, 1);
    QCOMPARE(report.alreadyPresent, 1);
    QCOMPARE(column(store, "id").size(), 1);
}

void TestResultStore::unwritableStoreKeepsRecordPending_data()
{
    QTest::addColumn<QString>("obstacle");
    QTest::addColumn<QString>("cause");
    QTest::newRow("folder in its place") << "folder"
                                         << "ein Ordner an ihrer Stelle";
    QTest::newRow("locked by another connection") << "lock"
                                                  << "gesperrt";
}

void TestResultStore::unwritableStoreKeepsRecordPending()
{
    QFETCH(QString, obstacle);
    QFETCH(QString, cause);
    QTemporaryDir dir;
    const QString path = dir.filePath("quoran.sqlite");
    const QString dataFile = dir.filePath("Rotorlage.txt");
    std::unique_ptr<OtherConnection> locker;
    if (obstacle == "folder") {
        QVERIFY(QDir(dir.path()).mkdir("quoran.sqlite"));
    } else {
        ResultStore first(path);
        QVERIFY(first.save(reading("1")).stored);
        locker = std::make_unique<OtherConnection>(path);
        QVERIFY(locker->run("BEGIN EXCLUSIVE"));
    }

    // The save path: the data-file line first, then the store.
    ResultStore store(path);
    const StoreRecord kept = reading("2");
    QVERIFY(DataFileExport::save(dataFile, "Semikolon [;]", kept.fields).ok);
    const ResultStore::SaveResult failed = store.save(kept);
    QCOMPARE(failed.cause, cause);
    QVERIFY(!failed.stored);
    QVERIFY(failed.pending);
    QVERIFY(!store.pendingList().isEmpty());
    QVERIFY(QFile(dataFile).open(QIODevice::ReadOnly));
    const PendingList::Drained stillFailing = store.catchUp();
    QCOMPARE(stillFailing.cause, cause);
    QCOMPARE(stillFailing.remaining, 1);

    if (locker)
        QVERIFY(locker->run("ROLLBACK"));
    locker.reset();
    QVERIFY(QDir(path).removeRecursively() || obstacle == "lock");

    // The next save writes its own record and catches up the kept one.
    QVERIFY(store.save(reading("3")).stored);
    QVERIFY(store.pendingList().isEmpty());
    QVERIFY(!QFile::exists(StorePath::pendingFile(path)));
    QStringList numbers = column(store, "number");
    numbers.sort();
    QCOMPARE(numbers, (obstacle == "lock" ? QStringList{"1", "2", "3"} : QStringList{"2", "3"}));
}

void TestResultStore::importDataFile_data()
{
    QTest::addColumn<QChar>("separator");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("verdictColumns");
    QTest::addColumn<QStringList>("lines"); // {D} {T}: date and time in the locale's format
    QTest::addColumn<QList<int>>("rejectedLines");
    QTest::addColumn<QStringList>("speeds");
    QTest::addColumn<QStringList>("verdicts"); // verdict/judged_on_import by row

    QTest::newRow("semicolon, German, Windows-1252")
        << QChar(';') << German << ""
        << QStringList{"L\u00e4ufer;1;4;964;0,28;27,6;2,8;1,4;256;{D};{T};MK",
                       "A1;2;4;;0,28;27,6;2,4;1,4;256;{D};{T};MK",
                       "A1;3;vier;964;0,28;27,6;2,8;1,4;256;{D};{T};MK",
                       "",
                       "A1;4;4;964;0,28",
                       "\"A;1\";5;4;1.234;0.28;27.6;3.5;1.4;256;{D};{T};\"M\"\"K\"",
                       "A1;6;4;964;0,28;27,6;2,8;1,4;256;31.02.2026;{T};MK"}
        << QList<int>{4, 6, 8} << QStringList{"964", "null", "1234"}
        << QStringList{"fail/1", "pass/1", "fail/1"};
    QTest::newRow("comma, English")
        << QChar(',') << English << ""
        << QStringList{"A1,1,4,\"1,234\",0.28,27.6,2.4,1.4,256,{D},{T},MK",
                       "A1,2,4,964,\"0,28\",\"27,6\",\"2,8\",\"1,4\",256,{D},{T},MK",
                       "A1,3,4,964,0.28,27.6,2.8,1.4,256,{D},,MK"}
        << QList<int>{4} << QStringList{"1234", "964"} << QStringList{"pass/1", "fail/1"};
    QTest::newRow("tab, verdict columns kept")
        << QChar('\t') << German << "\tBewertung\tAbweichung"
        << QStringList{"A1\t1\t4\t964\t0,28\t27,6\t2,8\t1,4\t256\t{D}\t{T}\tMK\ti.O.\t",
                       "A1\t2\t4\t964\t0,28\t27,6\t2,8\t1,4\t256\t{D}\t{T}\tMK\tn.i.O.\tel. Winkel, "
                       "Geberz\u00e4hne",
                       "A1\t3\t4\t964\t0,28\t27,6\t2,8\t1,4\t256\t{D}\t{T}\tMK\t\t",
                       "A1\t4\t4\t964\t0,28\t27,6\t2,8\t1,4\t256\t{D}\t{T}\tMK\tvielleicht\t"}
        << QList<int>{5} << QStringList{"964", "964", "964"} << QStringList{"pass/0", "fail/0", "none/0"};
}

void TestResultStore::importDataFile()
{
    QFETCH(QChar, separator);
    QFETCH(QLocale, locale);
    QFETCH(QString, verdictColumns);
    QFETCH(QStringList, lines);
    QFETCH(QList<int>, rejectedLines);
    QFETCH(QStringList, speeds);
    QFETCH(QStringList, verdicts);
    QTemporaryDir dir;
    const QString dataFile = dir.filePath("Rotorlage.txt");
    QFile file(dataFile);
    QVERIFY(file.open(QIODevice::WriteOnly));
    const QDateTime time(QDate(2026, 12, 6), QTime(14, 3, 22));
    QString text = DataFileExport::headerLine(separator) + verdictColumns + "\r\n";
    for (const QString &line : lines)
        text += QString(line)
                    .replace("{D}", ReadTimestamp::dateText(time.date(), locale))
                    .replace("{T}", ReadTimestamp::timeText(time.time(), locale)) +
                "\r\n";
    file.write(QByteArray(text.toLatin1()));
    file.close();

    // Fails every reading whose electrical angle is above 2.5.
    const ImportJudge judge = [](const MeasuredValues &values, const QString &type) {
        const bool outside = values.electricalAngle > 2.5 && !type.isEmpty();
        return StoreVerdict{
            outside ? "fail" : "pass", outside ? QStringList{"el. Winkel"} : QStringList(), {}};
    };
    ResultStore store(dir.filePath("quoran.sqlite"));
    const ImportReport first = store.importDataFile(dataFile, locale, judge);
    QVERIFY2(first.error.isEmpty(), qPrintable(first.error));
    QList<int> rejected;
    for (const ImportReport::Rejected &line : first.rejected) {
        QVERIFY(!line.reason.isEmpty());
        rejected << line.line;
    }
    QCOMPARE(rejected, rejectedLines);
    QCOMPARE(first.linesRead, speeds.size() + rejectedLines.size());
    QCOMPARE(first.added, speeds.size());
    QCOMPARE(column(store, "speed_rpm"), speeds);
    QCOMPARE(column(store, "coalesce(verdict, 'null') || '/' || judged_on_import"), verdicts);
    QCOMPARE(column(store, "source || bench || (frame IS NULL) || (offset_u IS NULL)"),
             QStringList(speeds.size(), "Import11"));
    QCOMPARE(column(store, "data_file").value(0), QFileInfo(dataFile).absoluteFilePath());

    const ImportReport second = store.importDataFile(dataFile, locale, judge);
    QCOMPARE(second.added, 0);
    QCOMPARE(second.alreadyPresent, first.added);
    QCOMPARE(second.rejected.size(), first.rejected.size());
}

QTEST_GUILESS_MAIN(TestResultStore)
#include "tst_resultstore.moc"
