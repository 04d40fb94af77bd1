#include "app/Application.h"

#include "app/Main.h"
#include "app/Settings.h"
#include "app/Windows.h"
#include "core/AppState.h"
#include "ui/ErrorBox.h"

#include <QDialog>
#include <QSocketNotifier>
#include <cerrno>
#include <cstdlib>
#include <exception>
#include <fcntl.h>
#include <new>
#include <unistd.h>

namespace {
constexpr std::array<int, 3> SessionEndSignals{SIGTERM, SIGHUP, SIGINT};

volatile std::sig_atomic_t g_signalWriteEnd = -1;
// After a fatal error only its message box is closed; nothing is saved.
bool g_failing = false;

extern "C" void noteSessionEndSignal(int number)
{
    // Only what is safe in a signal handler; the event loop does the rest.
    const int savedErrno = errno;
    const auto byte = static_cast<unsigned char>(number);
    [[maybe_unused]] const ssize_t written = ::write(g_signalWriteEnd, &byte, 1);
    errno = savedErrno;
}
} // namespace

Application::Application(int &argc, char **argv) : QApplication(argc, argv)
{
    watchSessionEndSignals();
    // Where a session manager asks the program to save (logout), the settings
    // are saved, once they were loaded.
    connect(this, &QGuiApplication::commitDataRequest, this, [] {
        if (!g_failing && AppState::instance().mainGestartet())
            SaveSettings();
    });
}

Application::~Application()
{
    for (std::size_t i = 0; i < SessionEndSignals.size(); ++i) {
        if (m_signalWatched[i])
            ::sigaction(SessionEndSignals[i], &m_previousActions[i], nullptr);
    }
    g_signalWriteEnd = -1;
    delete m_signalNotifier;
    for (const int end : {m_signalReadEnd, m_signalWriteEnd}) {
        if (end >= 0)
            ::close(end);
    }
}

void Application::watchSessionEndSignals()
{
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    m_signalReadEnd = ends[0];
    m_signalWriteEnd = ends[1];
    g_signalWriteEnd = m_signalWriteEnd;
    m_signalNotifier = new QSocketNotifier(m_signalReadEnd, QSocketNotifier::Read, this);
    connect(m_signalNotifier, &QSocketNotifier::activated, this, [this] {
        unsigned char numbers[16];
        while (::read(m_signalReadEnd, numbers, sizeof numbers) > 0) {
        }
        endSession();
    });

    struct sigaction action = {};
    action.sa_handler = noteSessionEndSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < SessionEndSignals.size(); ++i) {
        struct sigaction previous = {};
        if (::sigaction(SessionEndSignals[i], nullptr, &previous) != 0)
            continue;
        // A signal the starter chose to ignore (nohup, a background job) stays ignored.
        if (previous.sa_handler == SIG_IGN)
            continue;
        if (::sigaction(SessionEndSignals[i], &action, &m_previousActions[i]) == 0)
            m_signalWatched[i] = true;
    }
}

void Application::endSession()
{
    // A message box or the file chooser runs a loop of its own; it goes first,
    // as the operator would have to close it, so the program can end.
    while (QWidget *modal = activeModalWidget()) {
        if (auto *dialog = qobject_cast<QDialog *>(modal))
            dialog->reject();
        else
            modal->close();
        if (activeModalWidget() == modal)
            break;
    }
    if (g_failing)
        return;
    // The main window's own close step: the work windows close, the settings
    // are saved once; nobody is asked.
    if (Main *main = Windows::existingMain())
        main->endSession();
    closeAllWindows();
    quit();
}

bool Application::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        fatal(reasonOfCurrentException());
    }
}

QString Application::reasonOfCurrentException()
{
    try {
        throw;
    } catch (const std::bad_alloc &) {
        return QStringLiteral("Der Arbeitsspeicher reicht nicht aus.");
    } catch (const std::exception &error) {
        return QStringLiteral("Interner Fehler (%1)").arg(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        return QStringLiteral("Interner Fehler unbekannter Art");
    }
}

int Application::guarded(const std::function<int()> &body)
{
    try {
        return body();
    } catch (...) {
        fatal(reasonOfCurrentException());
    }
}

void Application::fatal(const QString &reason)
{
    g_failing = true;
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
    showErrorBox(
        {QStringLiteral("Fehler: Unerwarteter Fehler"),
         QStringLiteral("Ein unerwarteter Fehler ist aufgetreten, das Programm wird beendet.\n\nUrsache: ") +
             reason});
    std::exit(EXIT_FAILURE);
}
