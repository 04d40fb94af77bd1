#pragma once

#include <QHash>
#include <QPointer>
#include <QToolBar>

class QButtonGroup;
class QMdiSubWindow;
class QToolButton;

// The window-list bar at the bottom edge: one button per open child window,
// the active one checked. Picking a button shows, restores and activates its
// window, also one that hid itself when minimised.
class WindowListBar : public QToolBar
{
    Q_OBJECT
public:
    explicit WindowListBar(QWidget *parent = nullptr);

    // The bar the work windows report to: the main window's, set when that
    // window is built; nothing once it is gone.
    [[nodiscard]] static WindowListBar *current();
    static void setCurrent(WindowListBar *bar);

    void setBarHeight(int pixels);
    void setBarVisible(bool visible);
    [[nodiscard]] bool isBarVisible() const { return !isHidden(); }

    void addWindow(QMdiSubWindow *window);
    void makeActive(QMdiSubWindow *window);
    void windowMinimised(QMdiSubWindow *window);
    void removeWindow(QMdiSubWindow *window);
    // Set while the frame closes: from then on the operations do nothing.
    void switchOff() { m_switchedOn = false; }
    [[nodiscard]] bool isSwitchedOn() const { return m_switchedOn; }

    [[nodiscard]] QToolButton *buttonFor(QMdiSubWindow *window) const { return m_buttons.value(window); }
    [[nodiscard]] int windowCount() const { return static_cast<int>(m_buttons.size()); }

private:
    void restore(QMdiSubWindow *window);

    QButtonGroup *m_group;
    QHash<QMdiSubWindow *, QToolButton *> m_buttons;
    bool m_switchedOn = true;
};
