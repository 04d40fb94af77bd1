#include "app/Main.h"

#include "app/CentralPanel.h"
#include "app/FilePanel.h"
#include "app/ImportCommand.h"
#include "app/MainActions.h"
#include "app/PortPanel.h"
#include "app/ScreenFill.h"
#include "app/Settings.h"
#include "app/Splash.h"
#include "app/Windows.h"
#include "config/Einstellungen.h"
#include "core/AppState.h"
#include "diag/Debuggen.h"
#include "log/MesswerteProtokoll.h"
#include "review/Auswertung.h"
#include "ui/AltKeyGuard.h"
#include "ui/FocusInView.h"
#include "ui/WindowListBar.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMdiArea>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <utility>

Main::Main() : m_area(new QMdiArea(this)), m_bar(new WindowListBar(this)), m_screenFill(new ScreenFill(this))
{
    setObjectName(QStringLiteral("Main"));
    setWindowTitle(QStringLiteral("Quoran"));
    setWindowIcon(QIcon(QStringLiteral(":/images/quoran.png")));
    m_area->setObjectName(QStringLiteral("mdiArea"));
    m_area->setBackground(palette().brush(QPalette::Dark));
    // At high display scaling a work window may be larger than the frame.
    m_area->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_area->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    new FocusInView(m_area);
    setCentralWidget(m_area);
    // For every field of the program, also the file chooser's.
    qApp->installEventFilter(new AltKeyGuard(this));

    m_actions = std::make_unique<MainActions>(
        this, MainActions::Calls{
                  .openDataFile = [this] { m_filePanel->openFile(this); },
                  .openDataFolder = [this] { m_filePanel->openFolder(this); },
                  .fileMenuShown = [this] { m_filePanel->showFile(AppState::instance().dataFile()); },
                  .close = [this] { close(); },
                  .importDataFiles = [this] { ImportCommand::run(this); },
                  .showMesswerteProtokoll = [this] { showMesswerteProtokoll(); },
                  .showAuswertung = [this] { showAuswertung(); },
                  .showEinstellungen = [this] { showEinstellungen(); },
                  .showDebuggen = [this] { showDebuggen(); },
                  .showInfo = [this] { showInfo(); },
                  .toolbarClick = [this](const QString &key) { toolbarClick(key); },
                  .showWindowListBar = [this](bool on) { m_bar->setBarVisible(on); },
              });
    addToolBar(Qt::BottomToolBarArea, m_bar);
    createStatusBar();

    // Load step: the bar is 24 pixels high on the screen.
    m_bar->setBarHeight(24);
    WindowListBar::setCurrent(m_bar);

    connect(&AppState::instance(), &AppState::changed, this, &Main::scheduleStatusBarUpdate);
    scheduleStatusBarUpdate();
}

Main::~Main()
{
    Windows::forget(this);
}

void Main::createStatusBar()
{
    QStatusBar *bar = statusBar();
    bar->setObjectName(QStringLiteral("sbStatusBar"));
    auto panel = [bar](const QString &name, int stretch) {
        auto *label = new QLabel(bar);
        label->setObjectName(name);
        label->setFrameShape(QFrame::StyledPanel);
        label->setFrameShadow(QFrame::Sunken);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        // The stretch shares a narrow window out, not the texts' lengths: a
        // long data-file path must not push the save text off the bar.
        label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        bar->addPermanentWidget(label, stretch);
        return label;
    };
    m_portPanel = new PortPanel(panel(QStringLiteral("sbPanelPort"), 2));
    connect(&AppState::instance(), &AppState::portRead, m_portPanel, &PortPanel::showRead);
    m_filePanel = new FilePanel(panel(QStringLiteral("sbPanelFile"), 2), m_actions->openDataFile(),
                                m_actions->openDataFolder());
    m_panelDemo = panel(QStringLiteral("sbPanelDemo"), 1);
    m_panelRead = panel(QStringLiteral("sbPanelRead"), 6);
    m_centralPanel = new CentralPanel(panel(QStringLiteral("sbPanelCentral"), 4));
}

void Main::useLoadedPins(const QMap<int, QString> &pins)
{
    m_portPanel->useLoadedPins(pins);
    scheduleStatusBarUpdate();
}

void Main::scheduleStatusBarUpdate()
{
    if (m_statusBarUpdatePending)
        return;
    m_statusBarUpdatePending = true;
    QMetaObject::invokeMethod(this, &Main::updateStatusBar, Qt::QueuedConnection);
}

void Main::updateStatusBar()
{
    m_statusBarUpdatePending = false;
    const AppState &state = AppState::instance();
    m_portPanel->showPort(state.schnittstelle());
    m_filePanel->showFile(state.dataFile());
    m_panelDemo->setText(state.demoModus() ? QStringLiteral("Demo Modus") : QString());
    // Its room goes to the others outside demo mode.
    m_panelDemo->setVisible(state.demoModus());
    m_panelRead->setText(state.lastReadOutcome());
    m_panelRead->setToolTip(state.lastReadOutcome());
}

void Main::applyBarSwitches(std::optional<bool> symbolListe, std::optional<bool> taskliste)
{
    QAction *symbolleiste = m_actions->symbolleiste();
    QAction *tasklisteMark = m_actions->taskliste();
    if (symbolListe)
        symbolleiste->setChecked(*symbolListe);
    if (taskliste)
        tasklisteMark->setChecked(*taskliste);
    toolBar()->setVisible(symbolleiste->isChecked());
    m_bar->setBarVisible(tasklisteMark->isChecked());
}

void Main::toolbarClick(const QString &key)
{
    if (key == QLatin1String("MesswerteProtokoll"))
        showMesswerteProtokoll();
    else if (key == QLatin1String("Auswertung"))
        showAuswertung();
    else if (key == QLatin1String("Einstellungen"))
        showEinstellungen();
    else if (key == QLatin1String("Hilfe"))
        showInfo();
    else if (key == QLatin1String("Exit"))
        close();
}

template <class Window> void Main::showChild(QPointer<Window> &slot)
{
    if (!slot) {
        auto *window = new Window;
        slot = window;
        m_area->addSubWindow(window);
        // A closed window is created afresh next time, even before its deletion.
        connect(window, &ChildWindow::closing, this, [&slot, window] {
            if (slot == window)
                slot = nullptr;
        });
    }
    Window *window = slot;
    window->show();
    if (window->isMinimized())
        window->showNormal();
    m_area->setActiveSubWindow(window);
    window->raise();
}

void Main::showMesswerteProtokoll()
{
    showChild(m_messwerteProtokoll);
}

void Main::showAuswertung()
{
    showChild(m_auswertung);
}

void Main::showEinstellungen()
{
    const bool created = !m_einstellungen;
    showChild(m_einstellungen);
    if (created)
        connect(m_einstellungen, &Einstellungen::saveSettingsRequested, this, [] { SaveSettings(); });
}

void Main::showDebuggen()
{
    showChild(m_debuggen);
}

void Main::showInfo()
{
    Splash *about = Windows::splash();
    about->show();
    about->raise();
    about->activateWindow();
    unsetCursor();
}

void Main::activateStep()
{
    if (Splash *splash = Windows::existingSplash())
        splash->close();
    AppState &state = AppState::instance();
    state.setMainGestartet(true);
    QString caption = QStringLiteral("Quoran");
    if (state.demoModus())
        caption += QStringLiteral(" - Demo Modus");
    setWindowTitle(caption);
    // A window manager takes a new geometry as the end of maximising, so a
    // maximised window keeps its state; the restored size and place are set
    // only on the way into it.
    if (!isMaximized()) {
        if (const QScreen *screen = this->screen()) {
            const QRect area = screen->geometry();
            const int width = static_cast<int>(area.width() * 0.95);
            const int height = static_cast<int>(area.height() * 0.9);
            setGeometry(area.x() + (area.width() - width) / 2, area.y() + (area.height() - height) / 2, width,
                        height);
        }
        setWindowState(Qt::WindowMaximized);
    }
    m_screenFill->fillWhenUnmanaged();
    scheduleStatusBarUpdate();
}

void Main::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::ActivationChange || !isActiveWindow())
        return;
    if (std::exchange(m_activatedBefore, true)) {
        m_portPanel->lookAgain();
        scheduleStatusBarUpdate();
    }
    if (!AppState::instance().mainGestartet() || Windows::takeAboutHadFocus())
        activateStep();
}

void Main::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    m_screenFill->watch();
    // Where the window system does not activate the shown window (no window
    // manager), the first activate step still has to run.
    if (!AppState::instance().mainGestartet())
        QTimer::singleShot(0, this, [this] {
            if (!AppState::instance().mainGestartet())
                activateStep();
        });
}

void Main::endSession()
{
    m_sessionEnding = true;
    close();
}

void Main::closeEvent(QCloseEvent *event)
{
    if (m_closing) {
        event->accept();
        return;
    }
    // A complete record that waits unsaved is the one thing a close asks
    // about, before any close step; "Abbrechen" keeps the program open.
    if (MesswerteProtokoll *log = messwerteProtokoll()) {
        if (!m_sessionEnding && !log->mayDropRecord()) {
            event->ignore();
            return;
        }
        log->closeWithoutQuestion();
    }
    m_closing = true;
    // Query-unload: the bar goes off first, then the work windows close.
    m_bar->switchOff();
    m_area->closeAllSubWindows();
    if (Splash *about = Windows::existingSplash())
        about->close();
    // Unload: settings saved once.
    SaveSettings();
    m_centralPanel->stop();
    event->accept();
}
