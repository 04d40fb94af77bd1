#include "app/Main.h"

#include "app/PortPanel.h"
#include "app/Settings.h"
#include "app/Splash.h"
#include "app/Windows.h"
#include "config/Einstellungen.h"
#include "core/AppState.h"
#include "diag/Debuggen.h"
#include "log/MesswerteProtokoll.h"
#include "ui/Twips.h"
#include "ui/WindowListBar.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QWindow>
#include <utility>

namespace {
const char *const KeyProperty = "key";
} // namespace

Main::Main() : m_area(new QMdiArea(this)), m_bar(new WindowListBar(this))
{
    setObjectName(QStringLiteral("Main"));
    setWindowTitle(QStringLiteral("Quoran"));
    setWindowIcon(QIcon(QStringLiteral(":/images/quoran.png")));
    m_area->setObjectName(QStringLiteral("mdiArea"));
    m_area->setBackground(palette().brush(QPalette::Dark));
    setCentralWidget(m_area);

    m_images.add(QStringLiteral("Rotorlage"), QStringLiteral(":/images/rotorlage.png"));
    m_images.add(QStringLiteral("Einstellungen"), QStringLiteral(":/images/einstellungen.png"));
    m_images.add(QStringLiteral("Help"), QStringLiteral(":/images/help.png"));
    m_images.add(QStringLiteral("Exit"), QStringLiteral(":/images/exit.png"));

    createMenus();
    createToolBar();
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

void Main::createMenus()
{
    QMenuBar *bar = menuBar();
    auto addMenu = [bar](const QString &name, const QString &caption) {
        QMenu *menu = bar->addMenu(caption);
        menu->setObjectName(name);
        menu->menuAction()->setObjectName(name);
        return menu;
    };
    auto addItem = [this](QMenu *menu, const QString &name, const QString &caption) {
        QAction *action = menu->addAction(caption);
        action->setObjectName(name);
        action->setParent(this);
        return action;
    };

    QMenu *datei = addMenu(QStringLiteral("mnuDatei"), QStringLiteral("&Datei"));
    connect(addItem(datei, QStringLiteral("mnuExit"), QStringLiteral("Exit")), &QAction::triggered, this,
            &QWidget::close);

    QMenu *auswahl = addMenu(QStringLiteral("mnuAuswahl"), QStringLiteral("&Auswahl"));
    connect(addItem(auswahl, QStringLiteral("mnuMesswerteProtokoll"),
                    QStringLiteral("&Messwerte protokollieren")),
            &QAction::triggered, this, &Main::showMesswerteProtokoll);

    QMenu *extras = addMenu(QStringLiteral("mnuExtras"), QStringLiteral("E&xtras"));
    m_mnuSymbolleiste = addItem(extras, QStringLiteral("mnuSymbolleiste"), QStringLiteral("&Symbolleiste"));
    m_mnuSymbolleiste->setCheckable(true);
    m_mnuSymbolleiste->setChecked(true);
    // The mark and the bar always change together, whoever sets the mark.
    connect(m_mnuSymbolleiste, &QAction::toggled, this, [this](bool on) { m_toolBar->setVisible(on); });
    m_mnuTaskliste = addItem(extras, QStringLiteral("mnuTaskliste"), QStringLiteral("&Taskliste"));
    m_mnuTaskliste->setCheckable(true);
    m_mnuTaskliste->setChecked(true);
    connect(m_mnuTaskliste, &QAction::toggled, this, [this](bool on) { m_bar->setBarVisible(on); });
    extras->addSeparator()->setObjectName(QStringLiteral("Separator1"));
    connect(addItem(extras, QStringLiteral("mnuEinstellungen"), QStringLiteral("&Einstellungen")),
            &QAction::triggered, this, &Main::showEinstellungen);
    extras->addSeparator()->setObjectName(QStringLiteral("Separator2"));
    connect(addItem(extras, QStringLiteral("mnuDebuggen"), QStringLiteral("&Debuggen")), &QAction::triggered,
            this, &Main::showDebuggen);

    QMenu *hilfe = addMenu(QStringLiteral("mnuHilfe"), QStringLiteral("&Hilfe"));
    connect(addItem(hilfe, QStringLiteral("mnuInfo"), QStringLiteral("Inf&o")), &QAction::triggered, this,
            &Main::showInfo);
}

void Main::createToolBar()
{
    m_toolBar = addToolBar(QStringLiteral("Symbolleiste"));
    m_toolBar->setObjectName(QStringLiteral("tlbSymbolleiste"));
    m_toolBar->setMovable(false);
    m_toolBar->setIconSize(QSize(16, 16));
    m_toolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);

    struct Button
    {
        const char *key;
        const char *toolTip;
        const char *image;
    };
    static constexpr Button buttons[] = {
        {"MesswerteProtokoll", "Messwerte protokollieren", "Rotorlage"},
        {"Einstellungen", "Einstellungen", "Einstellungen"},
        {"Hilfe", "Info", "Help"},
        {"Exit", "Programm verlassen", "Exit"},
    };
    bool first = true;
    for (const Button &button : buttons) {
        if (!first)
            m_toolBar->addSeparator();
        first = false;
        const QString key = QString::fromLatin1(button.key);
        QAction *action = m_toolBar->addAction(m_images.icon(QString::fromLatin1(button.image)),
                                               QString::fromUtf8(button.toolTip));
        action->setObjectName(QStringLiteral("tlb") + key);
        action->setProperty(KeyProperty, key);
        action->setToolTip(QString::fromUtf8(button.toolTip));
        if (QWidget *widget = m_toolBar->widgetForAction(action)) {
            widget->setObjectName(QStringLiteral("tlb") + key + QStringLiteral("Button"));
            widget->setAccessibleName(action->toolTip());
        }
        connect(action, &QAction::triggered, this, [this, key] { toolbarClick(key); });
    }
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
        bar->addPermanentWidget(label, stretch);
        return label;
    };
    m_portPanel = new PortPanel(panel(QStringLiteral("sbPanelPort"), 2));
    m_panelFile = panel(QStringLiteral("sbPanelFile"), 4);
    m_panelDemo = panel(QStringLiteral("sbPanelDemo"), 1);
    m_panelRead = panel(QStringLiteral("sbPanelRead"), 4);
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
    m_panelFile->setText(QStringLiteral("Datei: ") + state.dataFile());
    m_panelDemo->setText(state.demoModus() ? QStringLiteral("Demo Modus") : QString());
    m_panelRead->setText(state.lastReadOutcome());
}

bool Main::symbolleisteChecked() const
{
    return m_mnuSymbolleiste->isChecked();
}

bool Main::tasklisteChecked() const
{
    return m_mnuTaskliste->isChecked();
}

void Main::applyBarSwitches(std::optional<bool> symbolListe, std::optional<bool> taskliste)
{
    if (symbolListe)
        m_mnuSymbolleiste->setChecked(*symbolListe);
    if (taskliste)
        m_mnuTaskliste->setChecked(*taskliste);
    m_toolBar->setVisible(m_mnuSymbolleiste->isChecked());
    m_bar->setBarVisible(m_mnuTaskliste->isChecked());
}

void Main::toolbarClick(const QString &key)
{
    if (key == QLatin1String("MesswerteProtokoll"))
        showMesswerteProtokoll();
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

MesswerteProtokoll *Main::messwerteProtokoll() const
{
    return m_messwerteProtokoll;
}

Einstellungen *Main::einstellungen() const
{
    return m_einstellungen;
}

Debuggen *Main::debuggen() const
{
    return m_debuggen;
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
    fillScreenWhenUnmanaged();
    scheduleStatusBarUpdate();
}

void Main::fillScreenWhenUnmanaged()
{
    const QWindow *window = windowHandle();
    // Whether a window manager frames the window shows once it is on the screen.
    m_fillCheckPending = !window || !window->isExposed();
    if (m_fillCheckPending || !isMaximized() || !window->frameMargins().isNull())
        return;
    // Nobody carries out the maximising (no window manager): fill the screen
    // ourselves, so the operator sees the same window.
    if (const QScreen *screen = this->screen(); screen && geometry() != screen->availableGeometry())
        setGeometry(screen->availableGeometry());
}

bool Main::eventFilter(QObject *watched, QEvent *event)
{
    if (m_fillCheckPending && watched == windowHandle() && event->type() == QEvent::Expose)
        fillScreenWhenUnmanaged();
    return QMainWindow::eventFilter(watched, event);
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
    if (QWindow *window = windowHandle())
        window->installEventFilter(this);
    // Where the window system does not activate the shown window (no window
    // manager), the first activate step still has to run.
    if (!AppState::instance().mainGestartet())
        QTimer::singleShot(0, this, [this] {
            if (!AppState::instance().mainGestartet())
                activateStep();
        });
}

void Main::closeEvent(QCloseEvent *event)
{
    if (m_closing) {
        event->accept();
        return;
    }
    m_closing = true;
    // Query-unload: the bar goes off first, then the work windows close.
    m_bar->switchOff();
    m_area->closeAllSubWindows();
    if (Splash *about = Windows::existingSplash())
        about->close();
    // Unload: settings saved once.
    SaveSettings();
    event->accept();
}
