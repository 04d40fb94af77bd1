#pragma once

#include "support/ChildProcess.h"

#include <QProcessEnvironment>
#include <QSize>
#include <QString>
#include <QStringList>
#include <functional>

// A virtual X server (1280 x 1024 pixels unless asked for another size) for
// tests of the real program, with the openbox window manager when asked; both
// end with the object.
// The X tools (xdotool, xprop, xwininfo) run in it through run().
class XSession
{
public:
    static constexpr int StepTimeoutMs = 8000;

    // The programs a session needs that are not installed; empty when all are.
    [[nodiscard]] static QStringList missingTools(bool windowManager);

    explicit XSession(bool windowManager = false, QSize screen = QSize(1280, 1024));
    ~XSession() = default;
    XSession(const XSession &) = delete;
    XSession &operator=(const XSession &) = delete;

    [[nodiscard]] bool isValid() const { return m_error.isEmpty(); }
    [[nodiscard]] QString errorString() const { return m_error; }

    // For X tools and programs: the display, the X platform, German regional settings.
    [[nodiscard]] QProcessEnvironment environment() const { return m_environment; }
    // Runs an X tool in the session; its standard output, trimmed.
    [[nodiscard]] QString run(const QString &tool, const QStringList &arguments) const;
    // The visible top-level windows whose name matches the pattern.
    [[nodiscard]] QStringList windows(const QString &namePattern) const;
    // The program's main window once it is the only visible window whose name
    // starts with "Quoran" and is at least 800 pixels wide; empty when it does
    // not show in time.
    [[nodiscard]] QString waitForMainWindow() const;

private:
    ChildProcess m_server;
    ChildProcess m_windowManager;
    QProcessEnvironment m_environment;
    QString m_error;
};

// Checks the condition every 50 ms (running the test's event loop) until it
// holds or the time is up; whether it held.
bool waitUntil(const std::function<bool()> &condition, int timeoutMs = XSession::StepTimeoutMs);
