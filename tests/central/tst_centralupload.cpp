// The upload of a bench's results store to the central database against a
// real PostgreSQL server: the worker thread behind the status bar's field,
// and quoran-read --upload / --central-init as separate processes.

#include "LocalSocket.h"
#include "PgServer.h"

#include "app/CentralPanel.h"
#include "central/CentralConnection.h"
#include "central/CentralSchema.h"
#include "central/CentralService.h"
#include "central/CentralStatus.h"
#include "central/StoreUpload.h"
#include "config/SettingsStore.h"
#include "link/Frame.h"
#include "log/ReadTimestamp.h"
#include "review/Auswertung.h"
#include "review/CapabilityPanel.h"
#include "store/ResultStore.h"
#include "store/StoreReview.h"
#include "store/UploadQueue.h"

#include <QComboBox>
#include <QLabel>
#include <QMdiArea>
#include <QProcess>
#include <QProgressBar>
#include <QSqlError>
#include <QSqlQuery>
#include <QTableView>
#include <QtTest>
#include <memory>

namespace {

const QLocale German(QLocale::German, QLocale::Germany);

// A reading as the window saves it; the number makes its line unique.
StoreRecord reading(const QString &number)
{
    const QDateTime time(QDate(2026, 12, 7), QTime(9, 30, 5, 125));
    const MeasurementRecord decoded = decodeFrame(ReceptionBuffer(demoFrame()));
    const QStringList fields = QStringList{"A1", number} + displayTexts(decoded, German) +
                               QStringList{ReadTimestamp::dateText(time.date(), German),
                                           ReadTimestamp::timeText(time.time(), German), "MK"};
    return StoreRecord::fromReading(decoded, demoFrame(), time, fields, "Prüfstand 1", "Rotorlage.txt",
                                    {"pass", {}, std::nullopt});
}

// count rows with the lines tag-1 … tag-count, written by SQL rather than by
// a save each (which syncs the disk twice).
QString fillStore(const QString &path, int count, const QString &tag, const QString &type = "A1")
{
    ResultStore store(path);
    if (const QString cause = store.open(); !cause.isEmpty())
        return cause;
    QSqlQuery query(store.database());
    query.prepare(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < :count) "
        "INSERT INTO measurements (time_utc, date_text, time_text, bench, store_id, type, number, "
        "mark, pole_count, speed_rpm, voltage_constant_v_per_krpm, voltage_v, electrical_angle_deg, "
        "mechanical_angle_deg, encoder_teeth, verdict, outside, judged_on_import, data_file, source, "
        "line_hash) "
        "SELECT printf('2026-12-07T%02d:%02d:%02d.000Z', i / 3600 % 24, i / 60 % 60, i % 60), "
        "'07.12.2026', '09:00:00', :tag, (SELECT store_id FROM meta), :type, i, 'MK', 4, 964, "
        "0.28, 27.6, 2.8, 1.4, 256, 'pass', '[]', 0, 'Rotorlage.txt', 'Lesen', :tag || '-' || i "
        "FROM n");
    query.bindValue(":count", count);
    query.bindValue(":tag", tag);
    query.bindValue(":type", type);
    return query.exec() ? QString() : query.lastError().text();
}

qint64 pendingIn(const QString &path)
{
    ResultStore store(path);
    return UploadQueue::pending(store).rows;
}

QString storeIdOf(const QString &path)
{
    ResultStore store(path);
    return store.open().isEmpty() ? store.storeId() : QString();
}

QString writeSettings(const QTemporaryDir &dir, const QString &name, const QByteArray &text)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
        return {};
    return path;
}

struct Run
{
    int status = -1;
    QString out;
    QString err;
};

Run finished(QProcess &process)
{
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

// The last status the service or panel reported.
class StatusLog : public QObject
{
public:
    explicit StatusLog(CentralService *service)
    {
        connect(service, &CentralService::statusChanged, this, [this](const CentralStatus &status) {
            last = status;
            ++count;
        });
    }
    CentralStatus last;
    int count = 0;
};

} // namespace

class TestCentralUpload : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void panel_data();
    void panel();
    void offlineThenOnline();
    void killedMidUpload();
    void saveReturnsWhileWorkerWaits();
    void uploadCommand_data();
    void uploadCommand();
    void threeBenchesAtOnce();
    void copiedStoreFile();
    void reviewAcrossBenches();

private:
    // The bench's role over TCP, the password from a pgpass file.
    [[nodiscard]] QByteArray benchConninfo(const QByteArray &password = PgServer::BenchPassword) const
    {
        return m_server->conninfo("bench") + " passfile=" + QFile::encodeName(m_server->passFile(password));
    }
    // One value of a query on the central database, as postgres.
    [[nodiscard]] QString central(const QByteArray &sql, const QList<QByteArray> &values = {}) const
    {
        CentralConnection connection;
        CentralResult result;
        if (!connection.open(m_server->conninfo(), QDeadlineTimer(10000)) ||
            !connection.exec(sql, values, QDeadlineTimer(30000), &result))
            return "Fehler: " + connection.error().text();
        return result.value(0, 0);
    }

    std::unique_ptr<PgServer> m_server;
};

void TestCentralUpload::initTestCase()
{
    QVERIFY2(QFileInfo(qEnvironmentVariable("QUORAN_READ")).isExecutable(),
             "QUORAN_READ names no executable (run through ctest)");
    m_server = std::make_unique<PgServer>();
    QVERIFY2(m_server->isRunning() && m_server->error().isEmpty(), qPrintable(m_server->error()));
    QVERIFY(m_server->runSql(CentralSchema::script()));
    QVERIFY(m_server->runSql("GRANT INSERT, SELECT ON measurements TO bench"));
}

void TestCentralUpload::cleanup()
{
    // A test that failed with the server down leaves it so for the next.
    if (!m_server->isRunning())
        QVERIFY2(m_server->start(), qPrintable(m_server->error()));
}

void TestCentralUpload::panel_data()
{
    QTest::addColumn<QByteArray>("connection"); // [Zentrale] Verbindung=; empty: no such section
    QTest::addColumn<bool>("saving");           // [Ergebnisse] Speichern=
    QTest::addColumn<QString>("text");          // empty: the field is hidden
    QTest::addColumn<qint64>("pendingAfter");

    static const LocalSocket closedPort(false);
    QTest::newRow("no central database") << QByteArray() << true << "" << 1LL;
    QTest::newRow("store switched off")
        << benchConninfo() << false << "Zentrale: nichts vorgemerkt ([Ergebnisse] Speichern=False)" << 1LL;
    QTest::newRow("password in the string") << QByteArray("host=db1 user=bench password=geheim") << true
                                            << "Zentrale: ungültige Verbindungsangabe" << 1LL;
    QTest::newRow("server down") << closedPort.conninfo() << true
                                 << "Zentrale nicht erreichbar: Verbindung abgelehnt" << 1LL;
    QTest::newRow("wrong password") << benchConninfo("falsch") << true
                                    << "Zentrale nicht erreichbar: Anmeldung fehlgeschlagen" << 1LL;
    QTest::newRow("table missing") << m_server->conninfo("postgres", "postgres") << true
                                   << "Zentrale nicht erreichbar: Tabelle fehlt" << 1LL;
    QTest::newRow("reachable") << benchConninfo() << true << "Zentrale: aktuell" << 0LL;
}

void TestCentralUpload::panel()
{
    QFETCH(QByteArray, connection);
    QFETCH(bool, saving);
    QFETCH(QString, text);
    QFETCH(qint64, pendingAfter);
    QTemporaryDir dir;
    const QString storePath = dir.filePath("quoran.sqlite");
    const QString ini = writeSettings(
        dir, "quoran.ini",
        (connection.isEmpty() ? QByteArray() : "[Zentrale]\r\nVerbindung=" + connection + "\r\n") +
            "[Ergebnisse]\r\nDatei=quoran.sqlite\r\nSpeichern=" + (saving ? "True" : "False") + "\r\n");
    {
        ResultStore store(storePath);
        QVERIFY(store.save(reading(QTest::currentDataTag())).stored);
    }
    QLabel label;
    auto *panel = new CentralPanel(&label);
    panel->start(readStoredSettings(ini), ini);
    QTRY_COMPARE_WITH_TIMEOUT(label.text(), text, 20000);
    QCOMPARE(label.isHidden(), text.isEmpty());
    // A reason's own words are at hand, in the tool tip.
    if (!text.isEmpty() && pendingAfter > 0)
        QVERIFY2(label.toolTip().size() > text.size(), qPrintable(label.toolTip()));
    panel->stop();
    QCOMPARE(pendingIn(storePath), pendingAfter);
    if (pendingAfter == 0)
        QCOMPARE(
            central("SELECT count(*) FROM measurements WHERE store_id = $1", {storeIdOf(storePath).toUtf8()}),
            "1");
}

void TestCentralUpload::offlineThenOnline()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("quoran.sqlite");
    m_server->stop();
    CentralService service;
    StatusLog log(&service);
    service.start(benchConninfo(), path);
    ResultStore store(path);
    for (const char *number : {"off-1", "off-2", "off-3"}) {
        QVERIFY(store.save(reading(number)).stored);
        service.recordSaved();
    }
    QTRY_COMPARE_WITH_TIMEOUT(log.last.text(), "Zentrale nicht erreichbar: Verbindung abgelehnt", 20000);
    QCOMPARE(UploadQueue::pending(store).rows, 3);

    // The next attempt after its pause finds the server.
    QVERIFY2(m_server->start(), qPrintable(m_server->error()));
    QTRY_COMPARE_WITH_TIMEOUT(log.last.text(), "Zentrale: aktuell", 30000);
    QCOMPARE(UploadQueue::pending(store).rows, 0);
    const QByteArray storeId = store.storeId().toUtf8();
    QCOMPARE(central("SELECT count(*) FROM measurements WHERE store_id = $1", {storeId}), "3");
    // A later save sends its own row only.
    QVERIFY(store.save(reading("on-4")).stored);
    service.recordSaved();
    QTRY_COMPARE_WITH_TIMEOUT(UploadQueue::pending(store).rows, 0, 20000);
    QCOMPARE(
        central("SELECT count(*) || ' ' || count(DISTINCT line_hash) FROM measurements WHERE store_id = $1",
                {storeId}),
        "4 4");
    service.stop();
}

void TestCentralUpload::killedMidUpload()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("quoran.sqlite");
    QCOMPARE(fillStore(path, 5000, "kill"), QString());
    const QByteArray storeId = storeIdOf(path).toUtf8();

    // An open transaction of another client holds the line of row 2001: the
    // fifth batch waits for it, after four have gone up.
    CentralConnection holder;
    QVERIFY(holder.open(m_server->conninfo(), QDeadlineTimer(10000)));
    QVERIFY(holder.exec("BEGIN", {}, QDeadlineTimer(10000)));
    QVERIFY(holder.exec("INSERT INTO measurements (store_id, local_id, line_hash) VALUES "
                        "('00000000-0000-4000-8000-0000000000aa', 1, 'kill-2001')",
                        {}, QDeadlineTimer(10000)));

    CentralService service;
    StatusLog log(&service);
    service.start(benchConninfo(), path);
    QTRY_COMPARE_WITH_TIMEOUT(pendingIn(path), 3000, 30000);
    QTRY_COMPARE_WITH_TIMEOUT(central("SELECT count(*) FROM pg_stat_activity WHERE usename = 'bench' AND "
                                      "wait_event_type = 'Lock'"),
                              "1", 10000);
    QVERIFY(log.last.sending);
    // The fifth batch may still commit while the server's processes die one by one.
    m_server->kill();
    QTRY_COMPARE_WITH_TIMEOUT(log.last.state, CentralStatus::State::Unreachable, 20000);
    const qint64 pendingAtKill = pendingIn(path);
    QVERIFY2(pendingAtKill == 3000 || pendingAtKill == 2500, qPrintable(QString::number(pendingAtKill)));
    // As if a crash had come between the commit of a batch and its mark here.
    {
        ResultStore store(path);
        QVERIFY(store.open().isEmpty());
        QSqlQuery query(store.database());
        QVERIFY(query.exec("UPDATE measurements SET uploaded = 0 WHERE id BETWEEN 1501 AND 2000"));
    }
    QCOMPARE(pendingIn(path), pendingAtKill + 500);

    QVERIFY2(m_server->start(), qPrintable(m_server->error()));
    QTRY_COMPARE_WITH_TIMEOUT(log.last.text(), "Zentrale: aktuell", 60000);
    service.stop();
    QCOMPARE(pendingIn(path), 0);
    QCOMPARE(central("SELECT count(*) || ' ' || count(DISTINCT line_hash) || ' ' || max(local_id) FROM "
                     "measurements WHERE store_id = $1",
                     {storeId}),
             "5000 5000 5000");
}

void TestCentralUpload::saveReturnsWhileWorkerWaits()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("quoran.sqlite");
    const LocalSocket silent(true);
    ResultStore store(path);
    QVERIFY(store.save(reading("silent-1")).stored);

    CentralService service;
    StatusLog log(&service);
    service.start(silent.conninfo() + " connect_timeout=600", path);
    QTRY_VERIFY_WITH_TIMEOUT(log.last.sending, 20000);
    const int reported = log.count;

    // The save and its note to the worker return while the worker still
    // waits for the server's first word.
    const ResultStore::SaveResult saved = store.save(reading("silent-2"));
    QVERIFY(saved.stored);
    service.recordSaved();
    QCoreApplication::processEvents();
    QCOMPARE(log.count, reported);
    QVERIFY(log.last.sending);

    // Closing gives up the wait; both rows stay queued.
    QElapsedTimer timer;
    timer.start();
    service.stop();
    qInfo("stop with the worker waiting on a silent server: %lld ms", timer.elapsed());
    QVERIFY(!service.isRunning());
    QCOMPARE(UploadQueue::pending(store).rows, 2);
}

void TestCentralUpload::uploadCommand_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QByteArray>("connection");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message"); // part of standard output on success, else of standard error
    QTest::addColumn<qint64>("pendingAfter");

    static const LocalSocket closedPort(false);
    QTest::newRow("server down") << "--upload" << closedPort.conninfo() << 8 << "Verbindung abgelehnt" << 2LL;
    QTest::newRow("wrong password") << "--upload" << benchConninfo("falsch") << 8
                                    << "Anmeldung fehlgeschlagen" << 2LL;
    QTest::newRow("table missing") << "--upload" << m_server->conninfo("postgres", "postgres") << 8
                                   << "Tabelle fehlt" << 2LL;
    QTest::newRow("sent") << "--upload" << benchConninfo() << 0 << "2 Datensätze" << 0LL;
    QTest::newRow("init without the right")
        << "--central-init" << benchConninfo() << 8 << "keine Berechtigung" << 2LL;
    QTest::newRow("init again") << "--central-init" << m_server->conninfo() << 0 << "Schema 1" << 2LL;
}

void TestCentralUpload::uploadCommand()
{
    QFETCH(QString, command);
    QFETCH(QByteArray, connection);
    QFETCH(int, status);
    QFETCH(QString, message);
    QFETCH(qint64, pendingAfter);
    QTemporaryDir dir;
    const QString path = dir.filePath("quoran.sqlite");
    QCOMPARE(fillStore(path, 2, QString("cmd-") + QTest::currentDataTag()), QString());
    const QString ini = writeSettings(dir, "quoran.ini",
                                      "[Zentrale]\r\nVerbindung=" + connection +
                                          "\r\n[Ergebnisse]\r\nDatei=quoran.sqlite\r\n");
    QProcess process;
    process.start(qEnvironmentVariable("QUORAN_READ"), {"--settings", ini, command});
    const Run run = finished(process);
    QVERIFY2(run.status == status, qPrintable(QString::number(run.status) + run.out + run.err));
    QVERIFY2((status == 0 ? run.out : run.err).contains(message), qPrintable(run.out + run.err));
    QCOMPARE(pendingIn(path), pendingAfter);
}

void TestCentralUpload::threeBenchesAtOnce()
{
    QTemporaryDir dir;
    std::vector<std::unique_ptr<QProcess>> processes;
    QByteArrayList storeIds;
    // Made once: each call writes the password file anew, under the feet of a process reading it.
    const QByteArray connection = benchConninfo();
    for (const QString bench : {"b1", "b2", "b3"}) {
        const QString store = bench + ".sqlite";
        QCOMPARE(fillStore(dir.filePath(store), 1000, "three-" + bench), QString());
        storeIds << storeIdOf(dir.filePath(store)).toUtf8();
        const QString ini = writeSettings(dir, bench + ".ini",
                                          "[Zentrale]\r\nVerbindung=" + connection +
                                              "\r\n[Ergebnisse]\r\nDatei=" + store.toUtf8() + "\r\n");
        processes.push_back(std::make_unique<QProcess>());
        processes.back()->start(qEnvironmentVariable("QUORAN_READ"), {"--settings", ini, "--upload"});
    }
    for (const auto &process : processes) {
        const Run run = finished(*process);
        QVERIFY2(run.status == 0, qPrintable(run.out + run.err));
        QVERIFY2(run.out.startsWith("1000 Datensätze"), qPrintable(run.out));
    }
    QCOMPARE(central("SELECT count(*) || ' ' || count(DISTINCT line_hash) || ' ' || "
                     "count(DISTINCT (store_id, local_id)) FROM measurements WHERE store_id::text = ANY ($1)",
                     {"{" + storeIds.join(',') + "}"}),
             "3000 3000 3000");
    for (const QString bench : {"b1", "b2", "b3"})
        QCOMPARE(pendingIn(dir.filePath(bench + ".sqlite")), 0);
}

void TestCentralUpload::copiedStoreFile()
{
    // A bench set up from another's disk image: the same store file, so the
    // same identity, and new rows under the same ids on both.
    QTemporaryDir dir;
    const QString first = dir.filePath("first.sqlite");
    const QString copy = dir.filePath("copy.sqlite");
    const auto upload = [this](const QString &path) {
        ResultStore store(path);
        CentralConnection connection;
        return StoreUpload::send(store, connection, benchConninfo(), QDeadlineTimer(30000));
    };
    QCOMPARE(fillStore(first, 3, "image"), QString());
    QCOMPARE(upload(first).sent, 3);
    QVERIFY(QFile::copy(first, copy));
    QCOMPARE(fillStore(first, 5, "first"), QString());
    QCOMPARE(fillStore(copy, 4, "copy"), QString());
    QCOMPARE(upload(first).sent, 5);
    const StoreUpload::Batch fromCopy = upload(copy);
    QVERIFY2(fromCopy.ok() && fromCopy.sent == 4, qPrintable(fromCopy.error.text() + fromCopy.storeCause));
    QVERIFY(storeIdOf(copy) != storeIdOf(first));
    QCOMPARE(central("SELECT count(*) FROM measurements WHERE bench IN ('image', 'first', 'copy')", {}),
             "12");
}

void TestCentralUpload::reviewAcrossBenches()
{
    // Two benches' records of type R7 in the central table; this bench's
    // own store holds five others.
    QTemporaryDir dir;
    for (const auto &[bench, count] : {std::pair{"Rev-A", 30}, std::pair{"Rev-B", 12}}) {
        const QString path = dir.filePath(QString(bench) + ".sqlite");
        QCOMPARE(fillStore(path, count, bench, "R7"), QString());
        ResultStore store(path);
        CentralConnection connection;
        const StoreUpload::Batch batch =
            StoreUpload::send(store, connection, benchConninfo(), QDeadlineTimer(30000));
        QVERIFY2(batch.ok() && batch.sent == count, qPrintable(batch.error.text() + batch.storeCause));
    }
    const QString local = dir.filePath("local.sqlite");
    QCOMPARE(fillStore(local, 5, "Rev-L", "L1"), QString());

    QMdiArea area;
    auto *window = new Auswertung(std::make_unique<StoreReview>(local), QString());
    area.addSubWindow(window);
    area.resize(1200, 900);
    area.show();
    QVERIFY(QTest::qWaitForWindowExposed(&area));
    QVERIFY(window->sourceChoice()->isHidden());
    window->offerCentral(benchConninfo());
    QVERIFY(!window->sourceChoice()->isHidden());
    auto *table = window->findChild<QTableView *>("tblMesswerte");
    QCOMPARE(table->model()->rowCount(), 5);

    // The indicator runs while the central database answers.
    int busyShown = 0;
    QProgressBar *busy = window->busyIndicator();
    struct ShowCounter : QObject
    {
        int *count;
        explicit ShowCounter(int *shown) : count(shown) {}
        bool eventFilter(QObject *, QEvent *event) override
        {
            *count += event->type() == QEvent::Show;
            return false;
        }
    } counter(&busyShown);
    busy->installEventFilter(&counter);
    window->sourceChoice()->setCurrentIndex(1);
    QVERIFY(busyShown > 0);
    QVERIFY(busy->isHidden());
    auto *types = window->findChild<QComboBox *>("cmbTyp");
    QVERIFY(types->findData("R7") > 0 && types->findData("L1") < 0);
    types->setCurrentIndex(types->findData("R7"));
    QCOMPARE(table->model()->rowCount(), 42);
    QVERIFY2(window->findChild<QLabel *>("lblStatus")->text().startsWith("42 Datensätze · alle Prüfstände"),
             qPrintable(window->findChild<QLabel *>("lblStatus")->text()));

    // One bench of them: table, chart and figures follow.
    auto *benches = window->findChild<QComboBox *>("cmbPruefstand");
    QVERIFY(benches->findData("Rev-A") > 0 && benches->findData("Rev-B") > 0);
    benches->setCurrentIndex(benches->findData("Rev-B"));
    QCOMPARE(table->model()->rowCount(), 12);
    QCOMPARE(window->findChild<QLabel *>("lblN")->text(), "12");
    const QModelIndex benchCell = table->model()->index(0, int(ReviewColumn::Bench));
    QCOMPARE(benchCell.data().toString(), "Rev-B");

    // The program told to end while the server holds a query back: the
    // window still gets its answers (a nested event loop ended at once).
    CentralConnection locker;
    QVERIFY(locker.open(m_server->conninfo(), QDeadlineTimer(10000)));
    QVERIFY(
        locker.execScript("BEGIN; LOCK TABLE measurements IN ACCESS EXCLUSIVE MODE", QDeadlineTimer(10000)));
    QTimer::singleShot(100, [] { QCoreApplication::exit(); });
    QTimer::singleShot(400,
                       [&locker] { static_cast<void>(locker.execScript("COMMIT", QDeadlineTimer(10000))); });
    window->refresh();
    QVERIFY2(window->findChild<QLabel *>("lblStatus")->text().startsWith("12 Datensätze"),
             qPrintable(window->findChild<QLabel *>("lblStatus")->text()));

    // The server gone: the window says so and keeps working on this bench.
    m_server->stop();
    window->refresh();
    // Named once, as the central database's and not as the bench's store.
    QVERIFY2(window->findChild<QLabel *>("lblStatus")->text().startsWith("Zentrale Datenbank: "),
             qPrintable(window->findChild<QLabel *>("lblStatus")->text()));
    window->sourceChoice()->setCurrentIndex(0);
    QCOMPARE(table->model()->rowCount(), 5);
}

QTEST_MAIN(TestCentralUpload)
#include "tst_centralupload.moc"
