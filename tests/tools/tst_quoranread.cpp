// The quoran-read program as a script runs it: a separate process with no
// display, against the simulated instrument on a pseudo-terminal.

#include "SimFrame.h"
#include "support/SimFixture.h"
#include "support/StoreRows.h"
#include "support/TestFiles.h"

#include "core/VersionInfo.h"
#include "core/Windows1252.h"
#include "link/Frame.h"
#include "link/FrameReader.h"
#include "log/DataFileExport.h"
#include "log/MeasurementLog.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString German = QStringLiteral("de_DE.UTF-8");

struct Run
{
    int status = -1;
    QByteArray out;
    QByteArray err;
};

Run runRead(const QStringList &arguments, const QString &locale = German,
            const QString &program = qEnvironmentVariable("QUORAN_READ"))
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name :
         {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "LANG", "LC_NUMERIC", "LC_TIME"})
        environment.remove(QString::fromLatin1(name));
    environment.insert(QStringLiteral("LC_ALL"), locale);
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForFinished(10000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

const QStringList SaveArguments{"--save", "--typ", " A,1 \"x\" ", "--nummer", "17 ½", "--visum", "MK"};

} // namespace

class TestQuoranRead : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void statusesAndOutputs_data();
    void statusesAndOutputs();
    void saveWritesWhatTheWindowSaves();
    void importIntoStore_data();
    void importIntoStore();
    void saveWritesTheStore();
    void settingsFileUntouched();
};

void TestQuoranRead::initTestCase()
{
    QVERIFY2(QFileInfo(qEnvironmentVariable("QUORAN_READ")).isExecutable(),
             "QUORAN_READ names no executable (run through ctest)");
}

void TestQuoranRead::statusesAndOutputs_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    // Parts of standard output on success, of standard error otherwise; for JSON
    // output members that the object holds with the same value; "data:" parts
    // of the data file. {ini}, {pty}, {frame}, {data} stand for this run's
    // settings file, device, frame and data file, {limits} and {broken} for a
    // limits file for the types A1 and B2 and one that cannot be used.
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<SimMode>("simMode");
    QTest::addColumn<QString>("extraSettings");
    QTest::addColumn<QString>("locale");
    const auto row = [](const char *name, const QStringList &arguments, int status,
                        const QStringList &expected, const SimMode &mode = {}, const QString &settings = {},
                        const QString &locale = German) {
        QTest::newRow(name) << arguments << status << expected << mode << settings << locale;
    };

    row("text", {}, 0,
        {"Polzahl: 4\n", "Drehzahl: 964 rpm\n", "Spannungskonstante: 0,28 V/krpm\n", "Spannung: 27,6 V\n",
         "el. Winkel: 2,8 °\n", "mech. Winkel: 1,4 °\n", "Geberzähne: 256\n", "\nDatum: ", "\nZeit: "});
    row("json, period 0", {"--json"}, 0,
        {"\"speed_rpm\":null", "\"voltage_constant_v_per_krpm\":123.45", "\"electrical_angle_deg\":-0.7",
         "\"port\":\"Com1\"", "\"device\":\"{pty}\"", "\"frame\":\"{frame}\""},
        SimMode{.fields = {.period = 0, .kv = 12345, .elAngle = -7}});
    row("json, device named", {"--json", "--device", "{pty}"}, 0,
        {"\"speed_rpm\":963.855421686747", "\"voltage_v\":27.6", "\"mechanical_angle_deg\":1.4",
         "\"port\":null"});
    // French groups digits with a narrow no-break space, which the code page lacks.
    row("csv, tab, French", {"--csv"}, 0, {"\t\t4\t964\t0,28\t27,6\t2,8\t1,4\t12"},
        SimMode{.fields = {.teeth = 12345}}, "[Export]\nDataTrenner=Tabulator", "fr_FR.UTF-8");
    row("demo replaces a bad frame", {"--demo"}, 0, {"Polzahl: 4\n"},
        SimMode{.fields = {.poles = 12}, .badChecksum = true});
    row("port COM01", {"--port", "COM01"}, 0, {"Polzahl: 4\n"});

    const QString notAccessible = portNotAccessibleMessage().text;
    row("port Com0", {"--port", "Com0"}, 3, {notAccessible});
    row("port Com17", {"--port", "Com17"}, 3, {notAccessible});
    row("port without digits", {"--port", "Com"}, 3, {notAccessible});
    row("missing device", {"--device", "/nonexistent/ttyQ"}, 3, {notAccessible});
    row("silent", {}, 4, {noDataMessage().text}, SimMode{.silent = true});
    row("not a serial device", {"--device", "/dev/null"}, 4, {noDataMessage().text, "\n\nUrsache: "});
    row("bad start", {"--json"}, 5, {checkMessage(FrameCheck::WrongStartByte).text},
        SimMode{.badStart = true});
    row("short frame", {"--csv"}, 5, {checkMessage(FrameCheck::WrongEndByte).text},
        SimMode{.shortLength = 20});
    row("bad checksum", {}, 5, {checkMessage(FrameCheck::WrongChecksum).text}, SimMode{.badChecksum = true});
    const QString missingFolder = QStringLiteral("/nonexistent/Rotorlage.txt");
    row("data file not writable", SaveArguments, 6,
        {MeasurementLog::saveFailureMessage(missingFolder, QString()).text}, {},
        "[Export]\nDataFile=" + missingFolder);
    row("operator field the code page cannot hold",
        {"--save", "--typ", "A1", "--nummer", "17 Ω", "--visum", "MK"}, 6,
        {"Fehler: Datenspeicherung\n", "Das Zeichen „Ω“ (U+03A9) im Feld „Nummer“"}, {},
        "[Export]\nDataFile=" + missingFolder);

    row("unknown option", {"--bogus"}, 2, {"--bogus"});
    row("argument left over", {"Com1"}, 2, {"Com1"});
    row("option without its value", {"--port", "--json"}, 2, {"--port"});
    row("json and csv", {"--json", "--csv"}, 2, {"--csv"});
    row("port and device", {"--port", "Com1", "--device", "{pty}"}, 2, {"--device"});
    row("blank operator field", {"--save", "--typ", "A", "--nummer", " ", "--visum", "MK"}, 2, {"--nummer"});
    row("operator field missing", {"--save", "--typ", "A", "--nummer", "1"}, 2, {"--visum"});
    row("operator field without save", {"--nummer", "1"}, 2, {"--save"});
    row("regional format unknown", {}, 2, {"Fehler: Regionalformat\n", "xx_NOWHERE"}, {},
        "[Export]\nRegionalformat=xx_NOWHERE");
    row("save under C without a regional format", SaveArguments, 2, {"Fehler: Regionalformat\n"}, {}, {},
        "C");
    row("settings file missing", {"--settings", "{ini}.missing"}, 2, {"{ini}.missing"});
    row("settings file a folder", {"--settings", "/tmp"}, 2, {"/tmp"});
    row("upload with a reading option", {"--upload", "--json"}, 2, {"--upload und --json"});
    row("upload and central init", {"--central-init", "--upload"}, 2, {"schließen einander aus"});
    row("upload without central database", {"--upload"}, 2, {"[Zentrale] Verbindung=", "{ini}"});
    row("central init with a password", {"--central-init"}, 2, {"~/.pgpass"}, {},
        "[Zentrale]\nVerbindung=host=db1 user=bench1 password=geheim");
    row("upload with the store off", {"--upload"}, 2, {"Speichern=False"}, {},
        "[Zentrale]\nVerbindung=host=db1\n[Ergebnisse]\nSpeichern=False");

    row("help", {"--settings", "{ini}", "--help"}, 0,
        {"Einstellungsdatei: {ini}\n", "--save", "--limits DATEI", "\n  7  mit --check: n.i.O.",
         "\n  9  mit --check: keine Grenzwerte"});

    // The verdict: {limits} is a limits file for the types A1 and B2.
    row("limits, type alone", {"--limits", "{limits}", "--typ", " a1 "}, 0,
        {"Geberzähne: 256\n", "\nBewertung: i.O.\n"});
    row("limits from the settings, no type", {}, 0, {"\nBewertung: keine Grenzwerte\n"}, {},
        "[Grenzwerte]\nDatei={limits}");
    row("check, n.i.O.", {"--limits", "{limits}", "--typ", "B2", "--check"}, 7,
        {"Polzahl: 4\n", "\nBewertung: n.i.O. (el. Winkel, Offset Phase V)\n"});
    row("check, no limits for the type", {"--limits", "{limits}", "--typ", "C3", "--check"}, 9,
        {"\nBewertung: keine Grenzwerte\n"});
    row("check, no limits file", {"--check"}, 9, {"Polzahl: 4\n"});
    row("check, broken table", {"--limits", "{broken}", "--typ", "A1", "--check", "--json"}, 9,
        {"\"verdict\":\"error\"", "\"outside\":[]"});
    row("broken table says why", {"--limits", "{broken}"}, 0,
        {"\nBewertung: Grenzwertdatei fehlerhaft: Zeile 2: Max „x“ ist keine Zahl\n"});
    row("check, n.i.O. saved first",
        {"--save", "--typ", "B2", "--nummer", "1", "--visum", "MK", "--limits", "{limits}", "--check"}, 7,
        {"\nBewertung: n.i.O. (el. Winkel, Offset Phase V)\n", "data:;Bewertung;Abweichung\r\nB2;1;4;",
         "data:;MK;n.i.O.;el. Winkel, Offset Phase V\r\n"},
        {}, "[Export]\nDataFile={data}\nBewertung=True");
    row("csv, verdict columns of a new file", {"--csv", "--limits", "{limits}", "--typ", "B2"}, 0,
        {";n.i.O.;el. Winkel, Offset Phase V\n"}, {}, "[Export]\nDataFile={data}\nBewertung=True");
    row("json, verdict keys", {"--limits", "{limits}", "--typ", "B2", "--json"}, 0,
        {"\"verdict\":\"fail\"", "\"outside\":[\"el. Winkel\",\"Offset Phase V\"]",
         "\"limits\":{\"el. Winkel\":[3,null],\"Offset Phase V\":[0,50]}"});
    row("limits file missing", {"--limits", "{limits}.missing"}, 2, {"{limits}.missing"});
    row("version", {"--version"}, 0,
        {QStringLiteral("%1.%2.%3")
             .arg(VersionInfo::Major)
             .arg(VersionInfo::Minor)
             .arg(VersionInfo::Revision)});
}

void TestQuoranRead::statusesAndOutputs()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QStringList, expected);
    QFETCH(SimMode, simMode);
    QFETCH(QString, extraSettings);
    QFETCH(QString, locale);

    SimFixture sim(simMode);
    QVERIFY2(sim.isValid(), qPrintable(sim.errorString()));
    const QTemporaryDir dir;
    const QString limits = makeFile(dir.filePath(QStringLiteral("Grenzen.csv")),
                                    "Typ;Wert;Min;Max\r\nA1;el. Winkel;2,8;4\r\nB2;el. Winkel;3;\r\n"
                                    "B2;Offset Phase V;0;50\r\n");
    const QString broken =
        makeFile(dir.filePath(QStringLiteral("kaputt.csv")), "Typ;Wert;Min;Max\r\nA1;Polzahl;4;x\r\n");
    const QString data = dir.filePath(QStringLiteral("Rotorlage.txt"));
    const auto fill = [&](QString text) {
        return text.replace(QLatin1String("{limits}"), limits)
            .replace(QLatin1String("{data}"), data)
            .replace(QLatin1String("{broken}"), broken)
            .replace(QLatin1String("{ini}"), sim.settingsFilePath())
            .replace(QLatin1String("{pty}"), sim.devicePath())
            .replace(QLatin1String("{frame}"), QString::fromLatin1(SimFrame::answer(simMode).toHex()));
    };
    if (!extraSettings.isEmpty())
        sim.setExtraSettings(fill(extraSettings));
    for (QString &argument : arguments)
        argument = fill(argument);
    if (!arguments.contains(QLatin1String("--settings")))
        arguments = QStringList{QStringLiteral("--settings"), sim.settingsFilePath()} + arguments;

    const Run run = runRead(arguments, locale);
    const QString out = QString::fromUtf8(run.out);
    const QString err = QString::fromUtf8(run.err);
    QVERIFY2(run.status == status,
             qPrintable(QStringLiteral("status %1\n%2%3").arg(run.status).arg(out, err)));
    // A script takes anything on standard output for a reading: a failure leaves it empty.
    // A verdict turned into a status (7, 9) still goes with its reading.
    const bool reading = status == 0 || status == 7 || status == 9;
    QVERIFY2(reading ? !out.isEmpty() : out.isEmpty(), qPrintable(out + err));
    if (status == 0)
        QVERIFY2(err.isEmpty(), qPrintable(out + err));
    // Nothing of a verdict without a limits file.
    const bool limitsSet =
        arguments.contains(QLatin1String("--limits")) || extraSettings.contains("[Grenzwerte]");
    const QString dataPrefix = QStringLiteral("data:");
    for (const QString &part : expected) {
        if (part.startsWith(dataPrefix))
            QVERIFY2(Windows1252::decode(contents(data)).contains(fill(part.mid(dataPrefix.size()))),
                     contents(data).constData());
    }
    expected.removeIf([&](const QString &part) { return part.startsWith(dataPrefix); });
    if (arguments.contains(QLatin1String("--json")) && reading) {
        // One object on one line.
        QVERIFY2(out.startsWith(u'{') && out.endsWith(QLatin1String("}\n")) && out.count(u'\n') == 1,
                 qPrintable(out));
        QJsonParseError error;
        const QJsonObject json = QJsonDocument::fromJson(run.out, &error).object();
        QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(error.errorString()));
        for (const QString &part : expected) {
            const QJsonObject member = QJsonDocument::fromJson(('{' + fill(part) + '}').toUtf8()).object();
            QVERIFY2(member.size() == 1, qPrintable(part));
            QVERIFY2(json.value(member.begin().key()) == member.begin().value(),
                     qPrintable(part + " in " + out));
        }
        QCOMPARE(json.value(QLatin1String("offset_v")).toInt(), simMode.fields.offsetV);
        for (const char *key : {"verdict", "outside", "limits"})
            QCOMPARE(json.contains(QLatin1String(key)), limitsSet);
    } else {
        for (const QString &part : expected)
            QVERIFY2((reading ? out : err).contains(fill(part)), qPrintable(out + err));
        const bool csv = arguments.contains(QLatin1String("--csv"));
        QCOMPARE(out.contains(QLatin1String("\nBewertung: ")), limitsSet && reading && !csv);
    }
    if (arguments.contains(QLatin1String("--csv")) && status == 0) {
        // One record line, nothing the data file's code page could not hold.
        QCOMPARE(out.count(u'\n'), 1);
        QCOMPARE(Windows1252::decode(Windows1252::encode(out)), out);
    }
}

void TestQuoranRead::saveWritesWhatTheWindowSaves()
{
    SimFixture sim;
    QVERIFY2(sim.isValid(), qPrintable(sim.errorString()));
    QTemporaryDir dir;
    const QString cliFile = dir.filePath(QStringLiteral("cli.txt"));
    const QString windowFile = dir.filePath(QStringLiteral("window.txt"));
    const QString separator = QStringLiteral("Komma [,]");
    sim.setExtraSettings(QStringLiteral("[Export]\nDataFile=%1\nDataTrenner=%2").arg(cliFile, separator));

    // Twice: the second record goes under the first, without a header.
    for (int i = 0; i < 2; ++i) {
        const Run run = runRead(QStringList{"--settings", sim.settingsFilePath(), "--json"} + SaveArguments);
        QVERIFY2(run.status == 0, run.err.constData());
        const QJsonObject json = QJsonDocument::fromJson(run.out).object();

        // The window's way: its read view of the same frame and moment, then its save.
        ReadResult result;
        result.outcome = ReadOutcome::Received;
        result.buffer.fill(QByteArray::fromHex(json.value(QLatin1String("frame")).toString().toLatin1()));
        const QDateTime time =
            QDateTime::fromString(json.value(QLatin1String("time")).toString(), Qt::ISODate).toLocalTime();
        const MeasurementLog::ReadView view =
            MeasurementLog::evaluateRead(result, time, QLocale(QLocale::German, QLocale::Germany));
        QVERIFY(view.valid);
        const QStringList fields =
            QStringList{SaveArguments.at(2), SaveArguments.at(4)} + view.measuredTexts + QStringList{"MK"};
        QVERIFY(DataFileExport::save(windowFile, separator, fields).ok);
    }
    QCOMPARE(contents(cliFile), contents(windowFile));
}

void TestQuoranRead::importIntoStore_data()
{
    // {data}: a data file of the lines below; {limits}: a limits file on the speed of A1.
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("lines");
    QTest::addColumn<QString>("extraSettings");
    QTest::addColumn<int>("status");
    QTest::addColumn<QStringList>("expected"); // parts of standard output on success, of standard error else
    QTest::addColumn<QStringList>("stored");   // number, verdict and judged_on_import of the rows afterwards
    const QByteArray lines = "A1;17;4;964;0,28;27,6;2,8;1,4;256;07.12.2026;14:03:22;MK\r\n"
                             "A1;18;vier;964;0,28;27,6;2,8;1,4;256;07.12.2026;14:04:22;MK\r\n"
                             "A1;19;4;;0,28;27,6;2,8;1,4;256;07.12.2026;14:05:22;MK\r\n";
    const QStringList data{"--import", "{data}"};
    QTest::newRow("read, a line rejected")
        << data << lines << QString() << 0
        << QStringList{"Zeilen gelesen: 3\n", "neu aufgenommen: 2\n", "abgewiesen: 1\n", "  Zeile 3: Polzahl"}
        << QStringList{"17 null 0", "19 null 0"};
    // Without a verdict of their own the lines are judged against today's limits; no speed is outside.
    QTest::newRow("judged against the limits")
        << QStringList{"--import", "{data}", "--limits", "{limits}"} << lines << QString() << 0
        << QStringList{"neu aufgenommen: 2\n"} << QStringList{"17 pass 1", "19 fail 1"};
    QTest::newRow("a file missing, the other read")
        << QStringList{"--import", "{data}.missing", "{data}"} << lines << QString() << 2
        << QStringList{"{data}.missing gibt es nicht"} << QStringList{"17 null 0", "19 null 0"};
    QTest::newRow("no data file") << QStringList{"--import"} << lines << QString() << 2
                                  << QStringList{"Zu --import fehlt die Datendatei."} << QStringList{};
    QTest::newRow("with a read option") << QStringList{"--import", "{data}", "--json"} << lines << QString()
                                        << 2 << QStringList{"--import und --json"} << QStringList{};
    QTest::newRow("store a folder") << data << lines << "[Ergebnisse]\nDatei=." << 6
                                    << QStringList{"Ergebnisdatenbank: ein Ordner an ihrer Stelle"}
                                    << QStringList{};
    QTest::newRow("store switched off") << data << lines << "[Ergebnisse]\nSpeichern=False" << 6
                                        << QStringList{"Ergebnisdatenbank: ausgeschaltet"} << QStringList{};
}

void TestQuoranRead::importIntoStore()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, lines);
    QFETCH(QString, extraSettings);
    QFETCH(int, status);
    QFETCH(QStringList, expected);
    QFETCH(QStringList, stored);
    QTemporaryDir dir;
    const QString ini = makeFile(dir.filePath("quoran.ini"), extraSettings.toUtf8());
    const QString data = makeFile(dir.filePath("Rotorlage.txt"), SemicolonHeader + lines);
    const QString limits =
        makeFile(dir.filePath("Grenzen.csv"), "Typ;Wert;Min;Max\r\nA1;Drehzahl;900;1000\r\n");
    for (QString &argument : arguments)
        argument.replace("{data}", data).replace("{limits}", limits);

    const Run run = runRead(QStringList{"--settings", ini} + arguments);
    const QString out = QString::fromUtf8(run.out);
    const QString err = QString::fromUtf8(run.err);
    QVERIFY2(run.status == status,
             qPrintable(QStringLiteral("status %1\n%2%3").arg(run.status).arg(out, err)));
    for (QString part : expected)
        QVERIFY2((status == 0 ? out : err).contains(part.replace("{data}", data)), qPrintable(out + err));
    if (status == 0)
        QVERIFY2(err.isEmpty(), qPrintable(err));
    const QString store = dir.filePath("quoran.sqlite");
    const QString rows = "number || ' ' || ifnull(verdict, 'null') || ' ' || judged_on_import";
    QCOMPARE(QFileInfo(store).isFile() ? storeColumn(store, rows) : QStringList(), stored);
    if (!stored.isEmpty()) {
        // No offsets in a data file; no bench either, for a shared file holds others' lines.
        QCOMPARE(storeColumn(store, "source || ' ' || bench || ' ' || ifnull(offset_u, 'null')"),
                 QStringList(stored.size(), "Import  null"));
        // A second import adds nothing.
        const Run again = runRead({"--settings", ini, "--import", data});
        QVERIFY2(again.status == 0 && again.out.contains("neu aufgenommen: 0\n"), again.out + again.err);
        QCOMPARE(storeColumn(store, rows), stored);
    }
}

void TestQuoranRead::saveWritesTheStore()
{
    SimFixture sim(SimMode{.fields = {.offsetU = -5}});
    QVERIFY2(sim.isValid(), qPrintable(sim.errorString()));
    QTemporaryDir dir;
    const QString dataFile = dir.filePath("Rotorlage.txt");
    const QString store = dir.filePath("Ergebnisse/bank.sqlite");
    sim.setExtraSettings(QStringLiteral("[Export]\nDataFile=%1\n[Ergebnisse]\nDatei=%2\nPruefstand=Bank 3")
                             .arg(dataFile, store));
    const QStringList arguments = QStringList{"--settings", sim.settingsFilePath()} + SaveArguments;

    // A folder where the store belongs: saved all the same, the cause on standard error.
    QVERIFY(QDir().mkpath(store));
    Run run = runRead(arguments);
    QCOMPARE(run.status, 0);
    QCOMPARE(run.err, QByteArray("Ergebnisdatenbank: ein Ordner an ihrer Stelle\n"));
    QCOMPARE(contents(dataFile).count("\r\n"), 2);
    QVERIFY(QFile::exists(store + ".pending"));

    // The next save writes its record and the one kept back (another number:
    // within one second the same fields would be the same record).
    QVERIFY(QDir().rmdir(store));
    QStringList next = arguments;
    next[next.indexOf("--nummer") + 1] = "18";
    run = runRead(next);
    QVERIFY2(run.status == 0 && run.err.isEmpty(), run.err.constData());
    QCOMPARE(contents(dataFile).count("\r\n"), 3);
    QVERIFY(!QFile::exists(store + ".pending"));
    const QString frame = QString::fromLatin1(SimFrame::answer(SimMode{.fields = {.offsetU = -5}}).toHex());
    QCOMPARE(storeColumn(store, "frame || ' ' || offset_u || ' ' || offset_v || ' ' || bench"),
             QStringList(2, frame + " -5 86 Bank 3"));
    QCOMPARE(storeColumn(store, "number || ' ' || type || ' ' || mark"),
             (QStringList{"18 A,1 \"x\" MK", "17 ½ A,1 \"x\" MK"}));
}

void TestQuoranRead::settingsFileUntouched()
{
    SimFixture sim;
    QVERIFY2(sim.isValid(), qPrintable(sim.errorString()));
    QTemporaryDir dir;
    const QString dataFile = dir.filePath(QStringLiteral("Rotorlage.txt"));
    sim.setExtraSettings(QStringLiteral("[Export]\nDataFile=%1").arg(dataFile));

    // A portable copy: without --settings the window's quoran.ini beside it counts.
    const QString program = dir.filePath(QStringLiteral("quoran-read"));
    const QString ini = dir.filePath(QStringLiteral("quoran.ini"));
    QVERIFY(QFile::copy(qEnvironmentVariable("QUORAN_READ"), program));
    QVERIFY(QFile::copy(sim.settingsFilePath(), ini));
    QFile iniFile(ini);
    QVERIFY(iniFile.open(QIODevice::ReadOnly));
    QVERIFY(iniFile.setFileTime(QDateTime::currentDateTime().addDays(-1), QFileDevice::FileModificationTime));
    iniFile.close();
    const QByteArray bytes = contents(ini);
    const QDateTime modified = QFileInfo(ini).lastModified();

    QCOMPARE(runRead(SaveArguments, German, program).status, 0);
    QVERIFY(QFileInfo::exists(dataFile));
    QCOMPARE(runRead({"--port", "Com0"}, German, program).status, 3);

    QCOMPARE(contents(ini), bytes);
    QCOMPARE(QFileInfo(ini).lastModified(), modified);
    QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("quoran-read.ini"))));
}

QTEST_GUILESS_MAIN(TestQuoranRead)
#include "tst_quoranread.moc"
