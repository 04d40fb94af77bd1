#include "app/ScreenFill.h"

#include <QEvent>
#include <QScreen>
#include <QWidget>
#include <QWindow>

ScreenFill::ScreenFill(QWidget *window) : QObject(window), m_window(window) {}

void ScreenFill::watch()
{
    if (QWindow *window = m_window->windowHandle())
        window->installEventFilter(this);
}

void ScreenFill::fillWhenUnmanaged()
{
    const QWindow *window = m_window->windowHandle();
    m_checkPending = !window || !window->isExposed();
    if (m_checkPending || !m_window->isMaximized() || !window->frameMargins().isNull())
        return;
    if (const QScreen *screen = m_window->screen();
        screen && m_window->geometry() != screen->availableGeometry())
        m_window->setGeometry(screen->availableGeometry());
}

bool ScreenFill::eventFilter(QObject *watched, QEvent *event)
{
    if (m_checkPending && watched == m_window->windowHandle() && event->type() == QEvent::Expose)
        fillWhenUnmanaged();
    return QObject::eventFilter(watched, event);
}
