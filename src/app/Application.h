#pragma once

#include <QApplication>
#include <array>
#include <csignal>
#include <functional>

class QSocketNotifier;

// Catches what escapes an event handler: one message box, then the program
// ends with a non-zero status, so nothing fails silently.
// Ends the session the normal way when the system asks: SIGTERM, SIGHUP and
// SIGINT (shutdown, logout, the terminal closed) close the main window as the
// operator would, and a session manager's request to save saves the settings.
class Application : public QApplication
{
    Q_OBJECT
public:
    Application(int &argc, char **argv);
    ~Application() override;
    Application(const Application &) = delete;
    Application &operator=(const Application &) = delete;

    bool notify(QObject *receiver, QEvent *event) override;

    // Runs body; an exception from it ends the program the same way.
    static int guarded(const std::function<int()> &body);

    [[noreturn]] static void fatal(const QString &reason);

private:
    // A German reason for the exception being handled.
    [[nodiscard]] static QString reasonOfCurrentException();

    void watchSessionEndSignals();
    void endSession();

    // The signal handler writes the signal's number into the pipe; the event
    // loop reads it, where closing windows is safe.
    int m_signalReadEnd = -1;
    int m_signalWriteEnd = -1;
    QSocketNotifier *m_signalNotifier = nullptr;
    // SIGTERM, SIGHUP, SIGINT: what was there before, to put back at the end.
    std::array<struct sigaction, 3> m_previousActions{};
    std::array<bool, 3> m_signalWatched{};
};
