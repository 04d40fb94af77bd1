#include "support/XSession.h"

#include <QDeadlineTimer>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>

bool waitUntil(const std::function<bool()> &condition, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(50);
    }
    return true;
}

QStringList XSession::missingTools(bool windowManager)
{
    QStringList tools{QStringLiteral("Xvfb"), QStringLiteral("xdotool"), QStringLiteral("xprop"),
                      QStringLiteral("xwininfo")};
    if (windowManager)
        tools << QStringLiteral("openbox");
    QStringList missing;
    for (const QString &tool : std::as_const(tools)) {
        if (QStandardPaths::findExecutable(tool).isEmpty())
            missing << tool;
    }
    return missing;
}

XSession::XSession(bool windowManager, QSize screen)
{
    // The server names its display on standard output once it takes clients;
    // with -displayfd it picks a free display number itself. Without a reset
    // when the last client goes, a tool's short visit cannot disturb the next.
    m_server.process.start(QStringLiteral("Xvfb"),
                           {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                            QStringLiteral("0"),
                            QStringLiteral("%1x%2x24").arg(screen.width()).arg(screen.height()),
                            QStringLiteral("-nolisten"), QStringLiteral("tcp"), QStringLiteral("-noreset")});
    QByteArray display;
    if (!waitUntil([&] {
            display += m_server.process.readAllStandardOutput();
            return display.endsWith('\n') || m_server.process.state() == QProcess::NotRunning;
        }) ||
        display.trimmed().isEmpty()) {
        m_error = QStringLiteral("Xvfb did not start: ") +
                  QString::fromLocal8Bit(m_server.process.readAllStandardError());
        return;
    }
    m_environment = QProcessEnvironment::systemEnvironment();
    m_environment.insert(QStringLiteral("DISPLAY"),
                         QLatin1Char(':') + QString::fromLatin1(display.trimmed()));
    m_environment.remove(QStringLiteral("XAUTHORITY"));
    m_environment.remove(QStringLiteral("SESSION_MANAGER"));
    m_environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    for (const char *name : {"LANG", "LC_ALL", "LC_TIME", "LC_NUMERIC"})
        m_environment.insert(QString::fromLatin1(name), QStringLiteral("de_DE.UTF-8"));
    if (!waitUntil([this] { return !run(QStringLiteral("xprop"), {QStringLiteral("-root")}).isEmpty(); })) {
        m_error =
            QStringLiteral("Xvfb takes no clients on ") + m_environment.value(QStringLiteral("DISPLAY"));
        return;
    }
    if (!windowManager)
        return;

    m_windowManager.process.setProcessEnvironment(m_environment);
    m_windowManager.process.start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
    // The manager announces itself on the root window once it runs.
    if (!waitUntil([this] {
            return run(QStringLiteral("xprop"),
                       {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")})
                .contains(QLatin1String("window id"));
        }))
        m_error = QStringLiteral("openbox did not start: ") +
                  QString::fromLocal8Bit(m_windowManager.process.readAllStandardError());
}

QString XSession::run(const QString &tool, const QStringList &arguments) const
{
    QProcess process;
    process.setProcessEnvironment(m_environment);
    process.start(tool, arguments);
    if (!process.waitForFinished(StepTimeoutMs))
        process.kill();
    return QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
}

QStringList XSession::windows(const QString &namePattern) const
{
    return run(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                           QStringLiteral("--name"), namePattern})
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QString XSession::waitForMainWindow() const
{
    QString window;
    waitUntil([&] {
        // The start window goes once the main window is up.
        const QStringList found = windows(QStringLiteral("^Quoran"));
        if (found.size() != 1)
            return false;
        const QRegularExpressionMatch width =
            QRegularExpression(QStringLiteral("WIDTH=(\\d+)"))
                .match(run(QStringLiteral("xdotool"),
                           {QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), found.first()}));
        if (!width.hasMatch() || width.captured(1).toInt() < 800)
            return false;
        window = found.first();
        return true;
    });
    return window;
}
