#include "ui/WindowListBar.h"

#include <QButtonGroup>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QToolButton>

namespace {
QPointer<WindowListBar> g_current;
} // namespace

WindowListBar *WindowListBar::current()
{
    return g_current;
}

void WindowListBar::setCurrent(WindowListBar *bar)
{
    g_current = bar;
}

WindowListBar::WindowListBar(QWidget *parent) : QToolBar(QStringLiteral("Taskliste"), parent)
{
    setObjectName(QStringLiteral("MDIBar"));
    setAccessibleName(QStringLiteral("Taskliste"));
    setMovable(false);
    setFloatable(false);
    m_group = new QButtonGroup(this);
    m_group->setExclusive(true);
}

void WindowListBar::setBarHeight(int pixels)
{
    setFixedHeight(pixels);
}

void WindowListBar::setBarVisible(bool visible)
{
    setVisible(visible);
}

void WindowListBar::addWindow(QMdiSubWindow *window)
{
    if (!m_switchedOn || !window || m_buttons.contains(window))
        return;
    auto *button = new QToolButton(this);
    button->setCheckable(true);
    button->setAutoRaise(true);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setText(window->windowTitle());
    button->setAccessibleName(window->windowTitle());
    button->setToolTip(QStringLiteral("Fenster zeigen"));
    m_group->addButton(button);
    addWidget(button);
    m_buttons.insert(window, button);

    connect(window, &QWidget::windowTitleChanged, button, [button](const QString &title) {
        button->setText(title);
        button->setAccessibleName(title);
    });
    const QPointer<QMdiSubWindow> guarded(window);
    connect(button, &QToolButton::clicked, this, [this, guarded] {
        if (guarded)
            restore(guarded);
    });
    // A window destroyed without its close step must not leave a dead entry.
    connect(window, &QObject::destroyed, this, [this, window] {
        if (QToolButton *stale = m_buttons.take(window))
            stale->deleteLater();
    });
}

void WindowListBar::makeActive(QMdiSubWindow *window)
{
    if (!m_switchedOn)
        return;
    if (QToolButton *button = m_buttons.value(window))
        button->setChecked(true);
}

void WindowListBar::windowMinimised(QMdiSubWindow *window)
{
    if (!m_switchedOn)
        return;
    // The entry stays so that the operator can bring the window back; it is
    // no longer the active one.
    if (QToolButton *button = m_buttons.value(window)) {
        m_group->setExclusive(false);
        button->setChecked(false);
        m_group->setExclusive(true);
    }
}

void WindowListBar::removeWindow(QMdiSubWindow *window)
{
    if (!m_switchedOn)
        return;
    if (QToolButton *button = m_buttons.take(window)) {
        m_group->removeButton(button);
        disconnect(window, nullptr, this, nullptr);
        button->deleteLater();
    }
}

void WindowListBar::restore(QMdiSubWindow *window)
{
    window->show();
    if (window->isMinimized())
        window->showNormal();
    if (QMdiArea *area = window->mdiArea())
        area->setActiveSubWindow(window);
    window->raise();
    makeActive(window);
}
