// The real program as an operator uses it: under a virtual X server, against
// the simulated instrument, driven by keyboard and mouse through xdotool.
// Needs QUORAN_EXE and QUORAN_SIM (CTest sets them), Xvfb and the X tools.

#include "support/ChildProcess.h"
#include "support/TestFiles.h"
#include "support/XSession.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace {} // namespace

class TestEndToEnd : public QObject
{
    Q_OBJECT
private slots:
    void readCompleteSaveByKeyboard();
};

void TestEndToEnd::readCompleteSaveByKeyboard()
{
    const QString exe = qEnvironmentVariable("QUORAN_EXE");
    const QString simExe = qEnvironmentVariable("QUORAN_SIM");
    if (exe.isEmpty() || simExe.isEmpty() || !QFileInfo::exists(exe) || !QFileInfo::exists(simExe))
        QSKIP("QUORAN_EXE and QUORAN_SIM must name the built program and simulator");
    if (const QStringList missing = XSession::missingTools(false); !missing.isEmpty())
        QSKIP(qPrintable(missing.join(QLatin1String(", ")) + QStringLiteral(" not installed")));

    // A portable copy of the program with a settings file of its own.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString program = dir.filePath(QStringLiteral("quoran"));
    const QString dataFile = dir.filePath(QStringLiteral("Rotorlage.txt"));
    QVERIFY(QFile::copy(exe, program));

    ChildProcess sim;
    sim.process.start(simExe, {});
    QVERIFY2(sim.process.waitForStarted(XSession::StepTimeoutMs), qPrintable(sim.process.errorString()));
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

    const XSession x;
    QVERIFY2(x.isValid(), qPrintable(x.errorString()));
    const auto xdotool = [&x](const QStringList &arguments) {
        return x.run(QStringLiteral("xdotool"), arguments);
    };
    ChildProcess quoran;
    quoran.process.setProcessEnvironment(x.environment());
    quoran.process.setWorkingDirectory(dir.path());
    quoran.process.start(program, {});
    QVERIFY2(quoran.process.waitForStarted(XSession::StepTimeoutMs),
             qPrintable(quoran.process.errorString()));

    const QString window = x.waitForMainWindow();
    QVERIFY2(!window.isEmpty(), quoran.process.readAllStandardError().constData());

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
    QVERIFY(quoran.process.waitForFinished(XSession::StepTimeoutMs));
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
