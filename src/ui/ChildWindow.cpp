#include "ui/ChildWindow.h"

#include "ui/Fonts.h"
#include "ui/Twips.h"
#include "ui/WindowListBar.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

ChildWindow::ChildWindow(const QString &objectName, const QString &caption, QWidget *parent)
    : QMdiSubWindow(parent), m_client(new QWidget)
{
    setObjectName(objectName);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(caption);
    setWindowIcon(QIcon(QStringLiteral(":/images/quoran.png")));
    m_client->setObjectName(objectName + QStringLiteral("Client"));
    // The layouts in twips were made for a small sans-serif dialog font;
    // captions without a font of their own use that size.
    m_client->setFont(arialFont(8.25));
    setWidget(m_client);
    connect(this, &QMdiSubWindow::windowStateChanged, this, &ChildWindow::onStateChanged);
    if (WindowListBar *listBar = bar())
        listBar->addWindow(this);
}

void ChildWindow::sizeFromExitButton(int left, int top, int width, int height)
{
    const QSize size(Twips::toPixelsX(left + width + 230), Twips::toPixelsY(top + height + 500));
    resize(size);
    // Never smaller, not even maximised in a small frame: the frame's scroll
    // bars then bring every control into view, as at high display scaling.
    setMinimumSize(size);
}

void ChildWindow::place(QWidget *control, int left, int top, int width, int height)
{
    control->setGeometry(Twips::toPixels(left, top, width, height));
}

void ChildWindow::setBuddyCaption(QLabel *caption, QWidget *input)
{
    caption->setBuddy(input);
    QString name = caption->text();
    name.remove(QLatin1Char('&'));
    input->setAccessibleName(name);
}

QLabel *ChildWindow::addLabel(const QString &name, const QString &text, const QRect &twips)
{
    auto *label = named(new QLabel(text, m_client), name);
    place(label, twips.x(), twips.y(), twips.width(), twips.height());
    return label;
}

QPushButton *ChildWindow::pictureButton(const QString &name, const QString &image, const QString &toolTip,
                                        Qt::Key accessKey)
{
    auto *button = named(new QPushButton(m_client), name);
    button->setIcon(QIcon(image));
    button->setIconSize(QSize(32, 32));
    button->setAccessibleName(toolTip);
    button->setToolTip(toolTip);
    if (accessKey != Qt::Key_unknown) {
        button->setShortcut(QKeySequence(Qt::ALT | accessKey));
        button->setToolTip(QStringLiteral("%1 (Alt+%2)").arg(toolTip, QChar(accessKey)));
    }
    // Enter on a focused button presses it, as the bench's operators are used to.
    button->setAutoDefault(true);
    return button;
}

void ChildWindow::closeEvent(QCloseEvent *event)
{
    if (WindowListBar *listBar = bar())
        listBar->removeWindow(this);
    QMdiSubWindow::closeEvent(event);
    if (event->isAccepted())
        emit closing();
}

void ChildWindow::onStateChanged(Qt::WindowStates oldState, Qt::WindowStates newState)
{
    if (newState.testFlag(Qt::WindowActive) && !oldState.testFlag(Qt::WindowActive)) {
        if (WindowListBar *listBar = bar())
            listBar->makeActive(this);
    }
    if (newState.testFlag(Qt::WindowMinimized) && !oldState.testFlag(Qt::WindowMinimized))
        resizeStep();
}

void ChildWindow::resizeStep()
{
    WindowListBar *listBar = bar();
    if (!listBar)
        return;
    // With the bar at hand the window lives only there, not as an icon in the
    // frame. Hidden once the area has finished minimising it, which shows it.
    if (listBar->isBarVisible())
        QTimer::singleShot(0, this, [this] {
            if (isMinimized())
                hide();
        });
    listBar->windowMinimised(this);
}

WindowListBar *ChildWindow::bar()
{
    return WindowListBar::current();
}
