#include "SimInstrument.h"

#include <QTime>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <poll.h>
#include <pty.h>
#include <termios.h>

namespace {

using Clock = std::chrono::steady_clock;

QString systemError(const char *what)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromLocal8Bit(std::strerror(errno)));
}

bool setCloseOnExec(int fd)
{
    const int flags = ::fcntl(fd, F_GETFD);
    return flags >= 0 && ::fcntl(fd, F_SETFD, flags | FD_CLOEXEC) == 0;
}

bool setNonBlocking(int fd)
{
    const int flags = ::fcntl(fd, F_GETFL);
    return flags >= 0 && ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

// Raw bytes both ways: no echo, no CR/LF translation, no signals, 9600 8N1,
// no flow control.
bool makeRaw(int fd)
{
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0)
        return false;
    ::cfmakeraw(&tio);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    ::cfsetispeed(&tio, B9600);
    ::cfsetospeed(&tio, B9600);
    return ::tcsetattr(fd, TCSANOW, &tio) == 0;
}

// One piece of an answer waiting for its time.
struct Chunk
{
    QByteArray bytes;
    int request = 0;
    QByteArray wholeAnswer; // set on the last piece, for the log
};

} // namespace

std::unique_ptr<SimInstrument> SimInstrument::onPty(const SimMode &mode, LogSink log, QString *error)
{
    int master = -1;
    int slave = -1;
    if (::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) {
        if (error)
            *error = systemError("openpty");
        return nullptr;
    }
    SimUniqueFd masterFd(master);
    SimUniqueFd slaveFd(slave);
    char name[128] = {};
    if (::ptsname_r(master, name, sizeof name) != 0 || !setCloseOnExec(master) || !setCloseOnExec(slave) ||
        !setNonBlocking(master) || !makeRaw(slave) || !makeRaw(master)) {
        if (error)
            *error = systemError("pty setup");
        return nullptr;
    }
    // We keep the slave open ourselves: otherwise every close of the program's
    // side hangs the master up (POLLHUP, EIO) until the next open.
    std::unique_ptr<SimInstrument> instrument(new SimInstrument(
        std::move(masterFd), std::move(slaveFd), QString::fromLocal8Bit(name), mode, std::move(log)));
    if (!instrument->start(error))
        return nullptr;
    return instrument;
}

std::unique_ptr<SimInstrument> SimInstrument::onDevice(const QString &path, const SimMode &mode, LogSink log,
                                                       QString *error)
{
    SimUniqueFd fd(::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!fd.isValid()) {
        if (error)
            *error = systemError("open");
        return nullptr;
    }
    if (!::isatty(fd.get())) {
        if (error)
            *error = QStringLiteral("%1 is not a serial device").arg(path);
        return nullptr;
    }
    if (!makeRaw(fd.get())) {
        if (error)
            *error = systemError("tcsetattr");
        return nullptr;
    }
    ::tcflush(fd.get(), TCIOFLUSH);
    std::unique_ptr<SimInstrument> instrument(
        new SimInstrument(std::move(fd), SimUniqueFd(), path, mode, std::move(log)));
    if (!instrument->start(error))
        return nullptr;
    return instrument;
}

SimInstrument::SimInstrument(SimUniqueFd line, SimUniqueFd slaveKeeper, QString devicePath,
                             const SimMode &mode, LogSink log)
    : m_line(std::move(line)), m_slaveKeeper(std::move(slaveKeeper)), m_devicePath(std::move(devicePath)),
      m_log(std::move(log)), m_mode(mode)
{}

SimInstrument::~SimInstrument()
{
    stop();
}

bool SimInstrument::start(QString *error)
{
    int fds[2] = {-1, -1};
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        if (error)
            *error = systemError("pipe2");
        return false;
    }
    m_wakeRead.reset(fds[0]);
    m_wakeWrite.reset(fds[1]);
    m_serving = true;
    m_thread = std::thread([this] { serve(); });
    return true;
}

void SimInstrument::stop()
{
    if (!m_thread.joinable())
        return;
    const char wake = 'q';
    [[maybe_unused]] const ssize_t written = ::write(m_wakeWrite.get(), &wake, 1);
    m_thread.join();
    m_serving = false;
}

void SimInstrument::setMode(const SimMode &mode)
{
    const std::lock_guard lock(m_mutex);
    m_mode = mode;
}

SimMode SimInstrument::mode() const
{
    const std::lock_guard lock(m_mutex);
    return m_mode;
}

bool SimInstrument::waitForRequests(int count, int timeoutMs) const
{
    std::unique_lock lock(m_mutex);
    return m_requestSeen.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                  [&] { return m_requests.load() >= count; });
}

void SimInstrument::countRequest()
{
    {
        const std::lock_guard lock(m_mutex);
        ++m_requests;
    }
    m_requestSeen.notify_all();
}

void SimInstrument::log(const QString &text) const
{
    if (m_log)
        m_log(QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz ")) + text);
}

void SimInstrument::serve()
{
    std::multimap<Clock::time_point, Chunk> pending;
    bool backOff = false; // the line reported a hang-up or an error: don't spin

    log(QStringLiteral("serving %1").arg(m_devicePath));
    for (;;) {
        const Clock::time_point now = Clock::now();
        int timeoutMs = -1;
        if (!pending.empty()) {
            const auto wait = std::chrono::ceil<std::chrono::milliseconds>(pending.begin()->first - now);
            timeoutMs = static_cast<int>(std::max<std::chrono::milliseconds::rep>(0, wait.count()));
        }
        if (backOff)
            timeoutMs = timeoutMs < 0 ? 10 : std::min(timeoutMs, 10);

        pollfd fds[2] = {{m_wakeRead.get(), POLLIN, 0}, {m_line.get(), POLLIN, 0}};
        const nfds_t count = backOff ? 1 : 2;
        backOff = false;
        const int ready = ::poll(fds, count, timeoutMs);
        if (ready < 0 && errno != EINTR) {
            log(systemError("poll"));
            break;
        }
        if (fds[0].revents != 0) {
            log(QStringLiteral("stopped"));
            break;
        }

        if (count == 2 && (fds[1].revents & POLLIN) != 0) {
            char buffer[256];
            const ssize_t got = ::read(m_line.get(), buffer, sizeof buffer);
            if (got > 0) {
                bool hangUp = false;
                for (ssize_t i = 0; i < got; ++i) {
                    if (buffer[i] != ' ') {
                        log(QStringLiteral("ignored byte %1")
                                .arg(static_cast<unsigned char>(buffer[i]), 2, 16, QLatin1Char('0')));
                        continue;
                    }
                    countRequest();
                    const int request = m_requests.load();
                    const SimMode mode = this->mode();
                    if (mode.hangUp) {
                        log(QStringLiteral("request #%1: hanging up").arg(request));
                        hangUp = true;
                        break;
                    }
                    const QByteArray answer = SimFrame::answer(mode);
                    if (answer.isEmpty()) {
                        log(QStringLiteral("request #%1: no answer").arg(request));
                        continue;
                    }
                    log(mode.lateMs > 0
                            ? QStringLiteral("request #%1: answer due in %2 ms").arg(request).arg(mode.lateMs)
                            : QStringLiteral("request #%1").arg(request));
                    const Clock::time_point due = Clock::now() + std::chrono::milliseconds(mode.lateMs);
                    if (mode.paced) {
                        for (int b = 0; b < answer.size(); ++b) {
                            const bool last = b + 1 == answer.size();
                            pending.emplace(due + std::chrono::microseconds(SimFrame::ByteTimeUs) * (b + 1),
                                            Chunk{answer.mid(b, 1), request, last ? answer : QByteArray()});
                        }
                    } else {
                        pending.emplace(due, Chunk{answer, request, answer});
                    }
                }
                if (hangUp) {
                    // Like an unplugged adapter: the device goes away under the reader.
                    m_line.reset();
                    m_slaveKeeper.reset();
                    log(QStringLiteral("line closed"));
                    break;
                }
            } else if (got == 0 || (errno != EAGAIN && errno != EINTR)) {
                // EIO while nobody has the slave open, or a device that went
                // quiet: keep serving, but without spinning.
                backOff = true;
            }
        } else if (count == 2 && (fds[1].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
            backOff = true;
        }

        const Clock::time_point sendTime = Clock::now();
        while (!pending.empty() && pending.begin()->first <= sendTime) {
            auto node = pending.extract(pending.begin());
            Chunk &chunk = node.mapped();
            const ssize_t written = ::write(m_line.get(), chunk.bytes.constData(), chunk.bytes.size());
            if (written < 0 && errno != EAGAIN && errno != EINTR) {
                log(QStringLiteral("answer #%1 lost: %2").arg(chunk.request).arg(systemError("write")));
                continue;
            }
            if (written < chunk.bytes.size()) {
                // The reader's buffer is full: try the rest a little later.
                chunk.bytes.remove(0, std::max<qsizetype>(0, written));
                node.key() = sendTime + std::chrono::milliseconds(1);
                pending.insert(std::move(node));
                break;
            }
            if (!chunk.wholeAnswer.isEmpty()) {
                ++m_answers;
                log(QStringLiteral("answer #%1: %2 bytes: %3")
                        .arg(chunk.request)
                        .arg(chunk.wholeAnswer.size())
                        .arg(SimFrame::toHex(chunk.wholeAnswer)));
            }
        }
    }
    m_serving = false;
}
