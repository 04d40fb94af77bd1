// The real program on a Linux desktop: under a virtual X server with and
// without a window manager, at high display scaling, and when the session
// ends by a signal. Needs QUORAN_EXE (CTest sets it), Xvfb, the X tools and
// openbox.

#include "app/Main.h"
#include "app/Settings.h"
#include "app/Windows.h"
#include "core/AppState.h"
#include "log/MeasurementLog.h"
#include "support/AppTestEnvironment.h"
#include "support/ChildProcess.h"
#include "support/TestFiles.h"
#include "support/XSession.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QScrollBar>
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

// The scaling step runs this test program a second time inside its X
// session, with this argument, so that it can see where the windows' controls
// are; the pointer and the wheel go through the X server all the same.
constexpr char ReachArgument[] = "--reach-every-control";

// Moves the X server's pointer over a point of widget, then does action there.
void pointAt(const QWidget *widget, QPoint point, const QStringList &action = {})
{
    const QPoint target = widget->mapToGlobal(point);
    const QPointF native = QPointF(target) * widget->devicePixelRatioF();
    QProcess::execute(QStringLiteral("xdotool"), {"mousemove", QString::number(qRound(native.x())),
                                                  QString::number(qRound(native.y()))});
    waitUntil([target] { return QCursor::pos() == target; }, 2000);
    if (!action.isEmpty())
        QProcess::execute(QStringLiteral("xdotool"), action);
}

// The part of control that has to show: all of it, or for a list about as
// large as the frame's visible part or larger, a good piece of its start.
QRect partToShow(QMdiArea *area, const QWidget *control)
{
    return QRect(QPoint(0, 0), control->size().boundedTo(area->viewport()->size() / 2));
}

// Clicks the frame's scroll bar arrows, as the operator would, until that
// part of control lies inside the frame's visible part.
bool bringIntoView(QMdiArea *area, QWidget *control)
{
    for (int round = 0; round < 4; ++round) {
        const QRect viewport = area->viewport()->rect();
        const QRect place =
            partToShow(area, control).translated(control->mapTo(area->viewport(), QPoint(0, 0)));
        if (viewport.contains(place))
            return true;
        const bool vertical = place.top() < viewport.top() || place.bottom() > viewport.bottom();
        QScrollBar *bar = vertical ? area->verticalScrollBar() : area->horizontalScrollBar();
        if (!bar->isVisible())
            return false;
        const int excess = vertical ? (place.top() < viewport.top() ? place.top() - viewport.top()
                                                                    : place.bottom() - viewport.bottom())
                                    : (place.left() < viewport.left() ? place.left() - viewport.left()
                                                                      : place.right() - viewport.right());
        // The arrows sit at the bar's ends, each as broad as the bar is thick.
        const int thickness = vertical ? bar->width() : bar->height();
        const int length = vertical ? bar->height() : bar->width();
        const int along = excess > 0 ? length - thickness / 2 : thickness / 2;
        const QPoint arrow = vertical ? QPoint(thickness / 2, along) : QPoint(along, thickness / 2);
        const int clicks = (qAbs(excess) + bar->singleStep() - 1) / bar->singleStep();
        pointAt(bar, arrow, {"click", "--repeat", QString::number(clicks), "--delay", "40", "1"});
        QTest::qWait(100);
    }
    return false;
}

// Whether the pointer over the middle of the part that shows reaches control;
// a button is pressed there and let go elsewhere, so it shows pressed but
// does not act.
bool pointerReaches(QMdiArea *area, QWidget *control)
{
    const QPoint middle = partToShow(area, control).center();
    pointAt(control, middle);
    const auto under = [control, middle] {
        const QWidget *found = QApplication::widgetAt(control->mapToGlobal(middle));
        return found && (found == control || control->isAncestorOf(found));
    };
    if (!waitUntil(under, 2000))
        return false;
    auto *button = qobject_cast<QAbstractButton *>(control);
    if (!button || !button->isEnabled())
        return true;
    QProcess::execute(QStringLiteral("xdotool"), {"mousedown", "1"});
    const bool pressed = waitUntil([button] { return button->isDown(); }, 2000);
    pointAt(control->window(), QPoint(2, 2), {"mouseup", "1"});
    return pressed;
}

// Opens each work window, normal or maximised, and reaches every control of
// it; says what it could not reach. Exit status 0 when it reached everything.
int reachEveryControl(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const bool maximised = argc > 2 && qstrcmp(argv[2], "maximised") == 0;
    const AppTestEnvironment env;
    env.writeIni("[Rotorlage]\r\nSchnittstelle=Com1\r\n[Schnittstellen]\r\nCom1=" +
                 QFile::encodeName(env.path(QStringLiteral("fehlt"))) + "\r\n");
    LoadSettings();
    Main *main = Windows::main();
    main->show();
    if (!QTest::qWaitForWindowActive(main) || !waitUntil([main] { return main->isMaximized(); }))
        return 2;
    QTest::qWait(500);
    QMdiArea *area = main->mdiArea();
    const std::pair<const char *, void (Main::*)()> windows[] = {
        {"MesswerteProtokoll", &Main::showMesswerteProtokoll},
        {"Einstellungen", &Main::showEinstellungen},
        {"Debuggen", &Main::showDebuggen},
        {"Auswertung", &Main::showAuswertung},
    };
    QStringList unreached;
    for (const auto &[name, show] : windows) {
        (main->*show)();
        QMdiSubWindow *window = area->activeSubWindow();
        if (maximised)
            window->showMaximized();
        QTest::qWait(300);
        qInfo("%s: window %dx%d, visible part of the frame %dx%d", name, window->width(), window->height(),
              area->viewport()->width(), area->viewport()->height());
        const QList<QWidget *> children = window->widget()->findChildren<QWidget *>();
        int reached = 0;
        for (QWidget *control : children) {
            if (!control->isVisibleTo(window) || control->objectName().startsWith(QLatin1String("qt_")) ||
                !(qobject_cast<QAbstractButton *>(control) || qobject_cast<QComboBox *>(control) ||
                  qobject_cast<QLineEdit *>(control) || qobject_cast<QAbstractItemView *>(control)))
                continue;
            if (bringIntoView(area, control) && pointerReaches(area, control))
                ++reached;
            else
                unreached << QStringLiteral("%1.%2").arg(QLatin1String(name), control->objectName());
        }
        qInfo("%s: %d controls reached", name, reached);
        if (reached == 0)
            unreached << QLatin1String(name);
        window->close();
        QTest::qWait(100);
    }
    // The save text stands whole in the status bar, beside a long data-file path.
    AppState::instance().setDataFile(env.path(QStringLiteral("Messungen/Pruefstand-3/Rotorlage-2026.txt")));
    const QString saved =
        MeasurementLog::savedStatusText(QTime(16, 41, 15), QStringLiteral("DS 112-4"),
                                        QStringLiteral("2026-00417"), QStringLiteral("Rotorlage.txt"));
    AppState::instance().setLastReadOutcome(saved);
    auto *readPanel = main->findChild<QLabel *>(QStringLiteral("sbPanelRead"));
    if (!waitUntil([&] { return readPanel->text() == saved; }) ||
        readPanel->contentsRect().width() < readPanel->fontMetrics().horizontalAdvance(saved))
        unreached << QStringLiteral("sbPanelRead %1 px for the save text's %2 px")
                         .arg(readPanel->contentsRect().width())
                         .arg(readPanel->fontMetrics().horizontalAdvance(saved));
    for (const QString &name : std::as_const(unreached))
        qInfo("not reached: %s", qPrintable(name));
    return unreached.isEmpty() ? 0 : 1;
}

} // namespace

class TestDesktop : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void aboutRoundTripsKeepMainWindowMaximised_data();
    void aboutRoundTripsKeepMainWindowMaximised();
    void everyControlReachableAtDoubleScaling_data();
    void everyControlReachableAtDoubleScaling();
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

void TestDesktop::everyControlReachableAtDoubleScaling_data()
{
    QTest::addColumn<QString>("windowState");
    QTest::newRow("normal") << "normal";
    QTest::newRow("maximised") << "maximised";
}

void TestDesktop::everyControlReachableAtDoubleScaling()
{
    QFETCH(QString, windowState);
    // A common laptop screen at 200 %: 683 x 384 pixels as the program counts them.
    const XSession x(true, QSize(1366, 768));
    QVERIFY2(x.isValid(), qPrintable(x.errorString()));
    ChildProcess probe;
    QProcessEnvironment environment = x.environment();
    environment.insert(QStringLiteral("QT_SCALE_FACTOR"), QStringLiteral("2"));
    probe.process.setProcessEnvironment(environment);
    probe.process.setProcessChannelMode(QProcess::MergedChannels);
    probe.process.start(QCoreApplication::applicationFilePath(), {ReachArgument, windowState});
    QVERIFY(probe.process.waitForFinished(120000));
    const QByteArray output = probe.process.readAll();
    qInfo("%s", output.trimmed().constData());
    QCOMPARE(probe.process.exitStatus(), QProcess::NormalExit);
    QVERIFY2(probe.process.exitCode() == 0, output.constData());
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

int main(int argc, char *argv[])
{
    if (argc > 1 && qstrcmp(argv[1], ReachArgument) == 0)
        return reachEveryControl(argc, argv);
    QCoreApplication app(argc, argv);
    TestDesktop test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_desktop.moc"
