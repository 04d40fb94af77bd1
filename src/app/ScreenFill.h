#pragma once

#include <QObject>

class QWidget;

// Without a window manager nobody carries out the maximising of a window; it
// then fills the screen itself, so the operator sees the same window.
class ScreenFill : public QObject
{
    Q_OBJECT
public:
    // Serves window and lives as long as it.
    explicit ScreenFill(QWidget *window);

    // Watches the window's exposures; call when the window is shown.
    void watch();
    // Fills the screen when the maximised window has no frame. Whether a window
    // manager frames the window shows once it is on the screen, so a window not
    // exposed yet is looked at again at its exposure.
    void fillWhenUnmanaged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *m_window;
    bool m_checkPending = false;
};
