#pragma once

#include "app/MainActions.h"
#include "config/Einstellungen.h"
#include "diag/Debuggen.h"
#include "log/MesswerteProtokoll.h"
#include "review/Auswertung.h"

#include <QAction>
#include <QMainWindow>
#include <QMap>
#include <QPointer>
#include <memory>
#include <optional>

class CentralPanel;
class ChildWindow;
class FilePanel;
class PortPanel;
class QLabel;
class QMdiArea;
class ScreenFill;
class WindowListBar;

// The frame of the program: menus, tool bar, window-list bar, status bar and
// the area the work windows open in. Closing it ends the program.
class Main : public QMainWindow
{
    Q_OBJECT
public:
    Main();
    ~Main() override;

    [[nodiscard]] WindowListBar *windowListBar() const { return m_bar; }
    [[nodiscard]] QMdiArea *mdiArea() const { return m_area; }
    [[nodiscard]] QToolBar *toolBar() const { return m_actions->toolBar(); }

    // The check marks are the only record of whether the bars are shown.
    [[nodiscard]] bool symbolleisteChecked() const { return m_actions->symbolleiste()->isChecked(); }
    [[nodiscard]] bool tasklisteChecked() const { return m_actions->taskliste()->isChecked(); }
    // Applies loaded switches; nothing keeps the current check mark.
    void applyBarSwitches(std::optional<bool> symbolListe, std::optional<bool> taskliste);

    // Tool bar click: compares the key exactly with the five command keys.
    void toolbarClick(const QString &key);

    void showMesswerteProtokoll();
    void showAuswertung();
    void showEinstellungen();
    void showDebuggen();
    void showInfo();

    [[nodiscard]] MesswerteProtokoll *messwerteProtokoll() const { return m_messwerteProtokoll; }
    [[nodiscard]] Auswertung *auswertung() const { return m_auswertung; }
    [[nodiscard]] Einstellungen *einstellungen() const { return m_einstellungen; }
    [[nodiscard]] Debuggen *debuggen() const { return m_debuggen; }

    // The port pins the settings load read, for the next status-bar refresh,
    // so that it need not read the settings file again.
    void useLoadedPins(const QMap<int, QString> &pins);
    [[nodiscard]] CentralPanel *centralPanel() const { return m_centralPanel; }

    // The session ends (a signal, logout): closes as the close box does, but
    // asks nothing, as no one may be there to answer.
    void endSession();

    // Runs at the first showing and after the About window had the focus.
    void activateStep();

    // No tool-bar context menu: it would hide the bars behind their check marks' backs.
    QMenu *createPopupMenu() override { return nullptr; }

protected:
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void createStatusBar();
    // Changes arrive in bursts (a settings load sets six values); the bar is
    // refreshed once per turn of the event loop.
    void scheduleStatusBarUpdate();
    void updateStatusBar();
    template <class Window> void showChild(QPointer<Window> &slot);

    QMdiArea *m_area;
    WindowListBar *m_bar;
    ScreenFill *m_screenFill;
    std::unique_ptr<MainActions> m_actions;
    PortPanel *m_portPanel = nullptr;
    CentralPanel *m_centralPanel = nullptr;
    FilePanel *m_filePanel = nullptr;
    QLabel *m_panelDemo = nullptr;
    QLabel *m_panelRead = nullptr;
    QPointer<MesswerteProtokoll> m_messwerteProtokoll;
    QPointer<Auswertung> m_auswertung;
    QPointer<Einstellungen> m_einstellungen;
    QPointer<Debuggen> m_debuggen;
    bool m_closing = false;
    bool m_sessionEnding = false;
    // The first activation is the start; only a return refreshes the port panel.
    bool m_activatedBefore = false;
    bool m_statusBarUpdatePending = false;
};
