#include "app/Splash.h"

#include "app/Main.h"
#include "app/Startup.h"
#include "app/Windows.h"
#include "core/AppState.h"
#include "ui/Fonts.h"
#include "ui/Twips.h"
#include "ui/WaitCursor.h"

#include "core/VersionInfo.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QWindow>

namespace {
QLabel *makeLabel(QWidget *parent, const QString &name, const QRect &twips, double points, bool bold)
{
    auto *label = new QLabel(parent);
    label->setObjectName(name);
    label->setGeometry(Twips::toPixels(twips.x(), twips.y(), twips.width(), twips.height()));
    label->setFont(arialFont(points, bold));
    return label;
}
} // namespace

Splash::Splash() : QWidget(nullptr, Qt::Dialog | Qt::FramelessWindowHint)
{
    WaitCursor wait;
    setObjectName(QStringLiteral("Splash"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QString::fromLatin1(VersionInfo::Title));
    setFont(arialFont(9.75));
    setFixedSize(Twips::toPixelsX(10155), Twips::toPixelsY(4290));

    auto *frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("Frame1"));
    frame->setFrameShape(QFrame::Box);
    frame->setGeometry(Twips::toPixels(120, 120, 9945, 4051));

    auto *logo = new QLabel(frame);
    logo->setObjectName(QStringLiteral("imgLogo"));
    logo->setGeometry(Twips::toPixels(360, 600, 1575, 2865));
    logo->setPixmap(QPixmap(QStringLiteral(":/images/logo.png")));
    logo->setScaledContents(true);
    logo->setAccessibleName(QStringLiteral("Logo"));

    QLabel *product = makeLabel(frame, QStringLiteral("lblProductName"), {2400, 840, 7485, 765}, 24, true);
    QLabel *platform = makeLabel(frame, QStringLiteral("lblPlatform"), {2400, 1680, 7485, 360}, 15.75, true);
    QLabel *version = makeLabel(frame, QStringLiteral("lblVersion"), {2400, 2160, 7485, 285}, 12, true);
    QLabel *description =
        makeLabel(frame, QStringLiteral("lblBeschreibung"), {2400, 2640, 6525, 855}, 9.75, false);
    description->setWordWrap(true);
    description->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QLabel *copyright = makeLabel(frame, QStringLiteral("lblCopyright"), {120, 3600, 9660, 255}, 9.75, false);
    copyright->setAlignment(Qt::AlignCenter);

    platform->setText(QStringLiteral("Plattform: Linux"));
    version->setText(QStringLiteral("Version %1.%2.%3")
                         .arg(VersionInfo::Major)
                         .arg(VersionInfo::Minor)
                         .arg(VersionInfo::Revision));
    product->setText(QString::fromLatin1(VersionInfo::Title));
    description->setText(QString::fromUtf8(VersionInfo::Description));
    copyright->setText(QString::fromUtf8(VersionInfo::Copyright));

    m_cmdExit = new QPushButton(frame);
    m_cmdExit->setObjectName(QStringLiteral("cmdExit"));
    m_cmdExit->setGeometry(Twips::toPixels(9240, 2880, 600, 600));
    m_cmdExit->setIcon(QIcon(QStringLiteral(":/images/close.png")));
    m_cmdExit->setIconSize(QSize(32, 32));
    m_cmdExit->setToolTip(QStringLiteral("Schliessen (Esc)"));
    m_cmdExit->setAccessibleName(QStringLiteral("Schliessen"));
    m_cmdExit->hide();
    connect(m_cmdExit, &QPushButton::clicked, this, &QWidget::close);

    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    }
    belongToMainWindow();
}

void Splash::belongToMainWindow()
{
    // The About window has no title bar to drag; as the main window's
    // transient, a Wayland compositor places it with it, not anywhere. Qt
    // sends the parent only when the surface is made, so before the first show.
    if (!AppState::instance().mainGestartet())
        return;
    const Main *main = Windows::existingMain();
    if (!main || !main->windowHandle())
        return;
    create();
    if (QWindow *window = windowHandle())
        window->setTransientParent(main->windowHandle());
}

Splash::~Splash()
{
    Windows::forget(this);
}

void Splash::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        activateStep();
}

void Splash::keyPressEvent(QKeyEvent *event)
{
    // The start window has no way to be closed; the About window closes on Escape.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier &&
        AppState::instance().mainGestartet()) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void Splash::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Without a window manager a frameless window may never become active;
    // the step must run all the same.
    QTimer::singleShot(0, this, [this] {
        if (isVisible())
            activateStep();
    });
}

void Splash::closeEvent(QCloseEvent *event)
{
    QWidget::closeEvent(event);
    if (event->isAccepted())
        Windows::forget(this);
}

void Splash::activateStep()
{
    if (AppState::instance().mainGestartet()) {
        m_cmdExit->setVisible(true);
        Windows::noteAboutHadFocus();
        return;
    }
    if (m_initialised)
        return;
    m_initialised = true;
    initialiseProgram(this);
}
