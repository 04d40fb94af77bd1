// The real program on a Linux desktop: under a virtual X server with and
// without a window manager, and when the session ends by a signal.
// Needs QUORAN_EXE (CTest sets it), Xvfb, the X tools and openbox.

#include "support/ChildProcess.h"
#include "support/TestFiles.h"
#include "support/XSession.h"

#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <sys/inotify.h>
#include <unistd.h>

namespace {

int firstNumber(const QString &text, const QString &pattern)
{
    return QRegularExpression(pattern).match(text).captured(1).toInt();
}

// Starts a portable copy of the program in the session, beside a settings
// file of its own; the program's main window, empty when it does not show.
QString startProgram(ChildProcess &child, const XSession &x, const QTemporaryDir &dir, const QByteArray &ini)
{
    const QString program = dir.filePath(QStringLiteral("quoran"));
    if (!QFile::copy(qEnvironmentVariable("QUORAN_EXE"), program) ||
        !writeFile(dir.filePath(QStringLiteral("quoran.ini")), ini))
        return QString();
    child.process.setProcessEnvironment(x.environment());
    child.process.start(program, {});
    return x.waitForMainWindow();
}

} // namespace

class TestDesktop : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void aboutRoundTripsKeepMainWindowMaximised_data();
    void aboutRoundTripsKeepMainWindowMaximised();
    void sessionEndClosesMainWindow_data();
    void sessionEndClosesMainWindow();
};

void TestDesktop::init()
{
    if (!QFileInfo::exists(qEnvironmentVariable("QUORAN_EXE")))
        QSKIP("QUORAN_EXE must name the built program");
    if (const QStringList missing = XSession::missingTools(true); !missing.isEmpty())
        QSKIP(qPrintable(missing.join(QLatin1String(", ")) + QStringLiteral(" not installed")));
}

void TestDesktop::aboutRoundTripsKeepMainWindowMaximised_data()
{
    QTest::addColumn<bool>("windowManager");
    QTest::newRow("openbox") << true;
    QTest::newRow("no window manager") << false;
}

void TestDesktop::aboutRoundTripsKeepMainWindowMaximised()
{
    QFETCH(bool, windowManager);
    QTemporaryDir dir;
    const XSession x(windowManager);
    QVERIFY2(x.isValid(), qPrintable(x.errorString()));
    ChildProcess quoran;
    const QString main = startProgram(quoran, x, dir, "[Rotorlage]\r\nSchnittstelle=Com1\r\n");
    QVERIFY2(!main.isEmpty(), quoran.process.readAllStandardError().constData());
    const auto xdotool = [&x](const QStringList &arguments) {
        return x.run(QStringLiteral("xdotool"), arguments);
    };

    // The start, then round trips to the About window, closed alternately by
    // its close button (it has the focus) and by a click into the main window.
    for (int trip = 0; trip <= 4; ++trip) {
        if (trip > 0) {
            xdotool({"windowfocus", "--sync", main});
            xdotool({"key", "--delay", "150", "alt+h", "o"});
            QVERIFY(waitUntil([&] { return x.windows(QStringLiteral("^Quoran$")).size() == 2; }));
            // The close button shows once the About window is active.
            if (windowManager)
                QVERIFY(waitUntil([&] { return xdotool({"getactivewindow"}) != main; }));
            QTest::qWait(500);
            if (trip % 2 == 1)
                xdotool({"key", "space"});
            else
                xdotool({"mousemove", "--window", main, "10", "300", "click", "1"});
            QVERIFY(waitUntil([&] { return x.windows(QStringLiteral("^Quoran$")) == QStringList{main}; }));
        }
        // Whatever the window manager answers to the activate step arrives meanwhile.
        QTest::qWait(1000);
        const QString state =
            x.run(QStringLiteral("xprop"), {"-id", main, "_NET_WM_STATE", "_NET_FRAME_EXTENTS"});
        const QString info = x.run(QStringLiteral("xwininfo"), {"-id", main});
        const QRect client(firstNumber(info, QStringLiteral("upper-left X:\\s*(-?\\d+)")),
                           firstNumber(info, QStringLiteral("upper-left Y:\\s*(-?\\d+)")),
                           firstNumber(info, QStringLiteral("Width:\\s*(\\d+)")),
                           firstNumber(info, QStringLiteral("Height:\\s*(\\d+)")));
        // _NET_FRAME_EXTENTS: left, right, top, bottom.
        const int frameTop = firstNumber(state, QStringLiteral("_NET_FRAME_EXTENTS.*= \\d+, \\d+, (\\d+)"));
        const QString figures = QStringLiteral("trip %1: client %2,%3 %4x%5, title bar from y = %6; %7")
                                    .arg(trip)
                                    .arg(client.x())
                                    .arg(client.y())
                                    .arg(client.width())
                                    .arg(client.height())
                                    .arg(client.y() - frameTop)
                                    .arg(QString(state).replace(QLatin1Char('\n'), QLatin1String("; ")));
        qInfo("%s", qPrintable(figures));
        if (windowManager) {
            QVERIFY2(state.contains(QLatin1String("_NET_WM_STATE_MAXIMIZED_VERT")) &&
                         state.contains(QLatin1String("_NET_WM_STATE_MAXIMIZED_HORZ")),
                     qPrintable(figures));
            // The title bar with the caption and the window buttons is on the screen.
            QVERIFY2(frameTop > 0 && client.y() - frameTop >= 0, qPrintable(figures));
        } else {
            QCOMPARE(client, QRect(0, 0, 1280, 1024));
        }
    }
}

void TestDesktop::sessionEndClosesMainWindow_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::addColumn<bool>("messageBox");
    QTest::newRow("SIGTERM") << int(SIGTERM) << false;
    QTest::newRow("SIGHUP") << int(SIGHUP) << false;
    QTest::newRow("SIGINT") << int(SIGINT) << false;
    QTest::newRow("SIGTERM with a message box open") << int(SIGTERM) << true;
}

void TestDesktop::sessionEndClosesMainWindow()
{
    QFETCH(int, signalNumber);
    QFETCH(bool, messageBox);
    QTemporaryDir dir;
    // The settings file's completed writes: each replace renames a finished file into place.
    const int writes = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    QVERIFY(writes >= 0);
    const auto closeWrites = qScopeGuard([writes] { ::close(writes); });
    const XSession x;
    QVERIFY2(x.isValid(), qPrintable(x.errorString()));
    ChildProcess quoran;
    // Whatever this test was started with, the program gets the signals' defaults.
    quoran.process.setChildProcessModifier([] {
        for (const int number : {SIGTERM, SIGHUP, SIGINT})
            std::signal(number, SIG_DFL);
    });
    // Com1 is pinned to a device that does not exist, so a read fails with a message box.
    const QString main = startProgram(quoran, x, dir,
                                      "[Rotorlage]\r\nSchnittstelle=Com1\r\n[Schnittstellen]\r\nCom1=" +
                                          QFile::encodeName(dir.filePath(QStringLiteral("fehlt"))) + "\r\n");
    QVERIFY2(!main.isEmpty(), quoran.process.readAllStandardError().constData());
    QVERIFY(inotify_add_watch(writes, QFile::encodeName(dir.path()).constData(),
                              IN_MOVED_TO | IN_CLOSE_WRITE) >= 0);

    if (messageBox) {
        // Auswahl > Messwerte protokollieren, then "Daten lesen", which has the focus.
        const auto xdotool = [&x](const QStringList &arguments) {
            return x.run(QStringLiteral("xdotool"), arguments);
        };
        xdotool({"mousemove", "--window", main, "600", "600", "click", "1"});
        xdotool({"windowfocus", "--sync", main});
        xdotool({"key", "--delay", "150", "alt+a", "m"});
        QTest::qWait(500);
        xdotool({"key", "space"});
        QVERIFY(waitUntil([&] { return !x.windows(QStringLiteral("^Fehler: ")).isEmpty(); }));
    }

    QCOMPARE(::kill(pid_t(quoran.process.processId()), signalNumber), 0);
    QVERIFY(quoran.process.waitForFinished(XSession::StepTimeoutMs));
    QCOMPARE(quoran.process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(quoran.process.exitCode(), 0);
    alignas(inotify_event) char events[4096];
    const ssize_t length = ::read(writes, events, sizeof events);
    int settingsWrites = 0;
    for (ssize_t offset = 0; offset < length;) {
        const auto *event = reinterpret_cast<const inotify_event *>(events + offset);
        settingsWrites += event->len > 0 && qstrcmp(event->name, "quoran.ini") == 0;
        offset += ssize_t(sizeof(inotify_event) + event->len);
    }
    QCOMPARE(settingsWrites, 1);
    const QByteArray ini = contents(dir.filePath(QStringLiteral("quoran.ini")));
    for (const char *key : {"\nSchnittstelle=Com1\r", "\nDataFile=", "\nDataTrenner=", "\nMaschinenTyp=",
                            "\nSymbolListe=", "\nTaskliste="})
        QVERIFY2(ini.count(key) == 1, ini.constData());
}

QTEST_GUILESS_MAIN(TestDesktop)
#include "tst_desktop.moc"
