// quoran-sim: the rotor-position instrument on a pseudo-terminal or a serial
// device, for trying the program and for tests. See --help.

#include "SimInstrument.h"
#include "SimOptions.h"

#include <QByteArray>
#include <QStringList>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <poll.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace {

void writeErr(const QString &line)
{
    const QByteArray bytes = line.toLocal8Bit() + '\n';
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stderr);
    std::fflush(stderr);
}

// A symbolic link to the pty that goes with the simulator.
class SymLink
{
public:
    SymLink() = default;
    ~SymLink()
    {
        if (m_path.isEmpty())
            return;
        // Only remove it while it is still ours.
        char target[4096] = {};
        const ssize_t length = ::readlink(m_path.constData(), target, sizeof target - 1);
        if (length >= 0 && QByteArray(target, static_cast<int>(length)) == m_target)
            ::unlink(m_path.constData());
    }
    SymLink(const SymLink &) = delete;
    SymLink &operator=(const SymLink &) = delete;

    [[nodiscard]] bool create(const QString &path, const QString &target, QString *error)
    {
        const QByteArray linkPath = path.toLocal8Bit();
        const QByteArray linkTarget = target.toLocal8Bit();
        // A link left behind by a killed run (to a pseudo-terminal) may go;
        // anything else, such as a link to a real adapter, stays.
        char old[4096] = {};
        if (::readlink(linkPath.constData(), old, sizeof old - 1) >= 0 &&
            QByteArray(old).startsWith("/dev/pts/"))
            ::unlink(linkPath.constData());
        if (::symlink(linkTarget.constData(), linkPath.constData()) != 0) {
            *error = QStringLiteral("cannot create link %1: %2")
                         .arg(path, QString::fromLocal8Bit(std::strerror(errno)));
            return false;
        }
        m_path = linkPath;
        m_target = linkTarget;
        return true;
    }

private:
    QByteArray m_path;
    QByteArray m_target;
};

} // namespace

int main(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));

    const SimParseResult parsed = parseSimCommandLine(arguments);
    if (!parsed.commandLine) {
        writeErr(QStringLiteral("quoran-sim: %1\nTry 'quoran-sim --help'.").arg(parsed.error));
        return 2;
    }
    const SimCommandLine &commandLine = *parsed.commandLine;
    if (commandLine.help) {
        std::fputs(simUsage().toLocal8Bit().constData(), stdout);
        return 0;
    }

    // Block the ending signalFd in every thread before the serving thread
    // starts; they arrive through the signalfd below.
    sigset_t endSignals;
    sigemptyset(&endSignals);
    sigaddset(&endSignals, SIGINT);
    sigaddset(&endSignals, SIGTERM);
    if (::pthread_sigmask(SIG_BLOCK, &endSignals, nullptr) != 0) {
        writeErr(QStringLiteral("quoran-sim: cannot block signalFd"));
        return 1;
    }
    const SimUniqueFd signalFd(::signalfd(-1, &endSignals, SFD_CLOEXEC));
    if (!signalFd.isValid()) {
        writeErr(
            QStringLiteral("quoran-sim: signalfd: %1").arg(QString::fromLocal8Bit(std::strerror(errno))));
        return 1;
    }

    SimInstrument::LogSink log;
    if (!commandLine.quiet)
        log = writeErr;
    QString error;
    const std::unique_ptr<SimInstrument> instrument =
        commandLine.devicePath.isEmpty()
            ? SimInstrument::onPty(commandLine.mode, log, &error)
            : SimInstrument::onDevice(commandLine.devicePath, commandLine.mode, log, &error);
    if (!instrument) {
        writeErr(QStringLiteral("quoran-sim: %1").arg(error));
        return 1;
    }

    SymLink link;
    if (!commandLine.linkPath.isEmpty() &&
        !link.create(commandLine.linkPath, instrument->devicePath(), &error)) {
        writeErr(QStringLiteral("quoran-sim: %1").arg(error));
        return 1;
    }

    std::fputs((instrument->devicePath() + QLatin1Char('\n')).toLocal8Bit().constData(), stdout);
    std::fflush(stdout);

    for (;;) {
        pollfd fd{signalFd.get(), POLLIN, 0};
        const int ready = ::poll(&fd, 1, 200);
        if (ready > 0) {
            signalfd_siginfo info{};
            if (::read(signalFd.get(), &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
                writeErr(QStringLiteral("quoran-sim: %1, ending")
                             .arg(QLatin1String(::strsignal(static_cast<int>(info.ssi_signo)))));
                break;
            }
        }
        if (!instrument->isServing()) {
            writeErr(QStringLiteral("quoran-sim: line gone, ending"));
            break;
        }
    }
    instrument->stop();
    return 0;
}
