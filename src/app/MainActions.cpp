#include "app/MainActions.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

namespace {
const char *const KeyProperty = "key";
} // namespace

MainActions::MainActions(QMainWindow *window, const Calls &calls)
{
    m_images.add(QStringLiteral("Rotorlage"), QStringLiteral(":/images/rotorlage.png"));
    m_images.add(QStringLiteral("Auswertung"), QStringLiteral(":/images/auswertung.png"));
    m_images.add(QStringLiteral("Einstellungen"), QStringLiteral(":/images/einstellungen.png"));
    m_images.add(QStringLiteral("Help"), QStringLiteral(":/images/help.png"));
    m_images.add(QStringLiteral("Exit"), QStringLiteral(":/images/exit.png"));
    createMenus(window, calls);
    createToolBar(window, calls);
    // The marks and the bars always change together, whoever sets the mark.
    QObject::connect(m_mnuSymbolleiste, &QAction::toggled, m_toolBar, &QWidget::setVisible);
    QObject::connect(m_mnuTaskliste, &QAction::toggled, window, calls.showWindowListBar);
    // Named in the menu; where a window manager takes the key, its close box
    // does the same.
    m_mnuExit->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));
}

void MainActions::createMenus(QMainWindow *window, const Calls &calls)
{
    enum class Kind { Menu, Item, Mark, Separator };
    struct Row
    {
        Kind kind;
        const char16_t *name;
        const char16_t *caption = nullptr;
        std::function<void()> Calls::*call = nullptr;
        QAction *MainActions::*slot = nullptr;
    };
    static const Row rows[] = {
        {Kind::Menu, u"mnuDatei", u"&Datei", &Calls::fileMenuShown},
        // Exit stays first: Alt+D, Enter ends the program as it always has.
        {Kind::Item, u"mnuExit", u"E&xit", &Calls::close, &MainActions::m_mnuExit},
        {Kind::Separator, u"SeparatorImport"},
        {Kind::Item, u"mnuDatendatei", u"&Datendatei öffnen", &Calls::openDataFile,
         &MainActions::m_mnuDatendatei},
        {Kind::Item, u"mnuOrdner", u"&Ordner öffnen", &Calls::openDataFolder, &MainActions::m_mnuOrdner},
        {Kind::Item, u"mnuImportieren", u"Datendatei &importieren…", &Calls::importDataFiles},
        {Kind::Menu, u"mnuAuswahl", u"&Auswahl"},
        {Kind::Item, u"mnuMesswerteProtokoll", u"&Messwerte protokollieren", &Calls::showMesswerteProtokoll},
        {Kind::Item, u"mnuAuswertung", u"Messwerte a&uswerten", &Calls::showAuswertung},
        {Kind::Menu, u"mnuExtras", u"E&xtras"},
        {Kind::Mark, u"mnuSymbolleiste", u"&Symbolleiste", nullptr, &MainActions::m_mnuSymbolleiste},
        {Kind::Mark, u"mnuTaskliste", u"&Taskliste", nullptr, &MainActions::m_mnuTaskliste},
        {Kind::Separator, u"Separator1"},
        {Kind::Item, u"mnuEinstellungen", u"&Einstellungen", &Calls::showEinstellungen},
        {Kind::Separator, u"Separator2"},
        {Kind::Item, u"mnuDebuggen", u"&Debuggen", &Calls::showDebuggen},
        {Kind::Menu, u"mnuHilfe", u"&Hilfe"},
        {Kind::Item, u"mnuInfo", u"Inf&o", &Calls::showInfo},
    };

    QMenu *menu = nullptr;
    for (const Row &row : rows) {
        const QString name = QString::fromUtf16(row.name);
        const QString caption = row.caption ? QString::fromUtf16(row.caption) : QString();
        if (row.kind == Kind::Menu) {
            menu = window->menuBar()->addMenu(caption);
            menu->setObjectName(name);
            menu->menuAction()->setObjectName(name);
            if (row.call)
                QObject::connect(menu, &QMenu::aboutToShow, window, [call = calls.*row.call] { call(); });
            continue;
        }
        if (row.kind == Kind::Separator) {
            menu->addSeparator()->setObjectName(name);
            continue;
        }
        QAction *action = menu->addAction(caption);
        action->setObjectName(name);
        action->setParent(window);
        if (row.slot)
            this->*row.slot = action;
        if (row.kind == Kind::Mark) {
            action->setCheckable(true);
            action->setChecked(true);
        } else {
            QObject::connect(action, &QAction::triggered, window, [call = calls.*row.call] { call(); });
        }
    }
}

void MainActions::createToolBar(QMainWindow *window, const Calls &calls)
{
    m_toolBar = window->addToolBar(QStringLiteral("Symbolleiste"));
    m_toolBar->setObjectName(QStringLiteral("tlbSymbolleiste"));
    m_toolBar->setMovable(false);
    m_toolBar->setIconSize(QSize(16, 16));
    m_toolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);

    struct Button
    {
        const char16_t *key;
        const char16_t *toolTip;
        const char16_t *image;
    };
    static constexpr Button buttons[] = {
        {u"MesswerteProtokoll", u"Messwerte protokollieren", u"Rotorlage"},
        {u"Auswertung", u"Messwerte auswerten", u"Auswertung"},
        {u"Einstellungen", u"Einstellungen", u"Einstellungen"},
        {u"Hilfe", u"Info", u"Help"},
        {u"Exit", u"Programm verlassen", u"Exit"},
    };
    bool first = true;
    for (const Button &button : buttons) {
        if (!first)
            m_toolBar->addSeparator();
        first = false;
        const QString key = QString::fromUtf16(button.key);
        const QString toolTip = QString::fromUtf16(button.toolTip);
        QAction *action = m_toolBar->addAction(m_images.icon(QString::fromUtf16(button.image)), toolTip);
        action->setObjectName(QStringLiteral("tlb") + key);
        action->setProperty(KeyProperty, key);
        action->setToolTip(toolTip);
        if (QWidget *widget = m_toolBar->widgetForAction(action)) {
            widget->setObjectName(QStringLiteral("tlb") + key + QStringLiteral("Button"));
            widget->setAccessibleName(action->toolTip());
        }
        QObject::connect(action, &QAction::triggered, window,
                         [click = calls.toolbarClick, key] { click(key); });
    }
}
