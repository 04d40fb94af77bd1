// The real program as an operator uses it: under a virtual X server, against
// the simulated instrument, driven by keyboard and mouse through xdotool.
// Needs QUORAN_EXE and QUORAN_SIM (CTest sets them), xvfb-run and xdotool.

#include "support/TestFiles.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>

namespace {

constexpr int StepTimeoutMs = 8000;

bool waitUntil(const std::function<bool()> &condition, int timeoutMs = StepTimeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(50);
    }
    return true;
}

// A started process that is ended when the test ends, however it ends.
class Child
{
public:
    Child() = default;
    ~Child() { stop(); }
    Child(const Child &) = delete;
    Child &operator=(const Child &) = delete;

    QProcess process;

    void stop()
    {
        if (process.state() == QProcess::NotRunning)
            return;
        process.closeWriteChannel();
        if (process.waitForFinished(2000))
            return;
        process.terminate();
        if (!process.waitForFinished(2000))
            process.kill();
        process.waitForFinished(1000);
    }
};

} // namespace

class TestEndToEnd : public QObject
{
    Q_OBJECT
private slots:
    void readCompleteSaveByKeyboard();

private:
    // Runs xdotool on the virtual display; its standard output.
    QString xdotool(const QStringList &arguments);

    QProcessEnvironment m_xEnvironment;
};

QString TestEndToEnd::xdotool(const QStringList &arguments)
{
    QProcess tool;
    tool.setProcessEnvironment(m_xEnvironment);
    tool.start(QStringLiteral("xdotool"), arguments);
    if (!tool.waitForFinished(StepTimeoutMs))
        tool.kill();
    return QString::fromLocal8Bit(tool.readAllStandardOutput()).trimmed();
}

void TestEndToEnd::readCompleteSaveByKeyboard()
{
    const QString exe = qEnvironmentVariable("QUORAN_EXE");
    const QString simExe = qEnvironmentVariable("QUORAN_SIM");
    if (exe.isEmpty() || simExe.isEmpty() || !QFileInfo::exists(exe) || !QFileInfo::exists(simExe))
        QSKIP("QUORAN_EXE and QUORAN_SIM must name the built program and simulator");
    if (QStandardPaths::findExecutable(QStringLiteral("xvfb-run")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
        QSKIP("xvfb-run and xdotool are needed");

    // A portable copy of the program with a settings file of its own.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString program = dir.filePath(QStringLiteral("quoran"));
    const QString dataFile = dir.filePath(QStringLiteral("Rotorlage.txt"));
    QVERIFY(QFile::copy(exe, program));

    Child sim;
    sim.process.start(simExe, {});
    QVERIFY2(sim.process.waitForStarted(StepTimeoutMs), qPrintable(sim.process.errorString()));
    QVERIFY(waitUntil([&] { return sim.process.canReadLine(); }));
    const QString pty = QString::fromLocal8Bit(sim.process.readLine()).trimmed();
    QVERIFY2(pty.startsWith(QLatin1String("/dev/")), qPrintable(pty));
    QByteArray simLog;
    const auto simRequests = [&] {
        simLog += sim.process.readAllStandardError();
        return simLog.count("request #");
    };

    QFile ini(dir.filePath(QStringLiteral("quoran.ini")));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("[Rotorlage]\r\nSchnittstelle=Com1\r\n[Export]\r\nDataFile=" + QFile::encodeName(dataFile) +
              "\r\nDataTrenner=Semikolon [;]\r\n[Schnittstellen]\r\nCom1=" + pty.toLocal8Bit() + "\r\n");
    ini.close();

    // The X server lives as long as the command's standard input stays open.
    Child xvfb;
    xvfb.process.start(
        QStringLiteral("xvfb-run"),
        {QStringLiteral("-a"), QStringLiteral("-s"), QStringLiteral("-screen 0 1280x1024x24"),
         QStringLiteral("sh"), QStringLiteral("-c"),
         QStringLiteral("echo \"$DISPLAY\"; echo \"$XAUTHORITY\"; exec timeout 120 cat >/dev/null")});
    QVERIFY(xvfb.process.waitForStarted(StepTimeoutMs));
    QStringList xLines;
    QVERIFY2(waitUntil([&] {
                 while (xvfb.process.canReadLine())
                     xLines << QString::fromLocal8Bit(xvfb.process.readLine()).trimmed();
                 return xLines.size() >= 2;
             }),
             xvfb.process.readAllStandardError().constData());
    m_xEnvironment = QProcessEnvironment::systemEnvironment();
    m_xEnvironment.insert(QStringLiteral("DISPLAY"), xLines[0]);
    m_xEnvironment.insert(QStringLiteral("XAUTHORITY"), xLines[1]);

    QProcessEnvironment programEnvironment = m_xEnvironment;
    programEnvironment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    for (const char *name : {"LANG", "LC_ALL", "LC_TIME", "LC_NUMERIC"})
        programEnvironment.insert(QString::fromLatin1(name), QStringLiteral("de_DE.UTF-8"));
    Child quoran;
    quoran.process.setProcessEnvironment(programEnvironment);
    quoran.process.setWorkingDirectory(dir.path());
    quoran.process.start(program, {});
    QVERIFY2(quoran.process.waitForStarted(StepTimeoutMs), qPrintable(quoran.process.errorString()));

    // The main window: the start window goes once the main window is up.
    QString window;
    QVERIFY2(
        waitUntil([&] {
            const QStringList found =
                xdotool({"search", "--onlyvisible", "--name", "^Quoran$"}).split('\n', Qt::SkipEmptyParts);
            if (found.size() != 1)
                return false;
            const QString geometry = xdotool({"getwindowgeometry", "--shell", found.first()});
            const QRegularExpressionMatch width =
                QRegularExpression(QStringLiteral("WIDTH=(\\d+)")).match(geometry);
            if (!width.hasMatch() || width.captured(1).toInt() < 800)
                return false;
            window = found.first();
            return true;
        }),
        quoran.process.readAllStandardError().constData());

    xdotool({"mousemove", "--window", window, "600", "600", "click", "1"});
    xdotool({"windowfocus", "--sync", window});
    QTest::qWait(300);
    // Auswahl > Messwerte protokollieren, then "Daten lesen", which has the focus.
    xdotool({"key", "--delay", "150", "alt+a", "m"});
    QTest::qWait(500);
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    xdotool({"key", "space"});
    QVERIFY2(waitUntil([&] { return simRequests() == 1; }), simLog.constData());
    QTest::qWait(400);
    const QDateTime after = QDateTime::currentDateTime().addSecs(1);
    // The type field has the focus; Enter walks on to number, mark and the save button.
    xdotool({"type", "--delay", "40", "A1"});
    xdotool({"key", "Return"});
    xdotool({"type", "--delay", "40", "17"});
    xdotool({"key", "Return"});
    xdotool({"type", "--delay", "40", "MK"});
    xdotool({"key", "Return"});
    QTest::qWait(200);
    xdotool({"key", "space"});
    QVERIFY2(waitUntil([&] { return fileBytes(dataFile).count("\r\n") == 2; }),
             fileBytes(dataFile).constData());

    // Datei > Exit ends the program, which saves its settings.
    xdotool({"key", "--delay", "150", "alt+d", "Return"});
    QVERIFY(quoran.process.waitForFinished(StepTimeoutMs));
    QCOMPARE(quoran.process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(quoran.process.exitCode(), 0);

    const QByteArray bytes = fileBytes(dataFile);
    const QRegularExpressionMatch stamp =
        QRegularExpression(QStringLiteral(";(\\d\\d\\.\\d\\d\\.\\d{4});(\\d\\d:\\d\\d:\\d\\d);MK\r\n$"))
            .match(QString::fromLatin1(bytes));
    QVERIFY2(stamp.hasMatch(), bytes.constData());
    const QDateTime shown = QDateTime::fromString(stamp.captured(1) + ' ' + stamp.captured(2),
                                                  QStringLiteral("dd.MM.yyyy HH:mm:ss"));
    QVERIFY(shown >= before.addMSecs(-before.time().msec()) && shown <= after);
    const QByteArray expected = SemicolonHeader + "A1;17;4;964;0,28;27,6;2,8;1,4;256;" +
                                stamp.captured(1).toLatin1() + ';' + stamp.captured(2).toLatin1() + ";MK\r\n";
    QCOMPARE(bytes, expected);
    QVERIFY(fileBytes(ini.fileName()).contains("MaschinenTyp=A1\r\n"));
    QCOMPARE(simRequests(), 1);
}

QTEST_GUILESS_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
