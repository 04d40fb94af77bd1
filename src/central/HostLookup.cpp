#include "central/HostLookup.h"

#include <QString>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <netdb.h>
#include <sys/socket.h>
#include <system_error>
#include <thread>

using namespace Qt::StringLiterals;

namespace HostLookup {
namespace {

// What the lookup thread hands back; shared, as the caller may have gone.
struct Pending
{
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    int status = 0;
    QList<QByteArray> addresses;
};

int lookUp(const QByteArray &host, int flags, QList<QByteArray> *addresses)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = flags;
    addrinfo *list = nullptr;
    const int status = ::getaddrinfo(host.constData(), nullptr, &hints, &list);
    if (status != 0)
        return status;
    for (const addrinfo *entry = list; entry; entry = entry->ai_next) {
        char numeric[NI_MAXHOST];
        if (::getnameinfo(entry->ai_addr, entry->ai_addrlen, numeric, sizeof numeric, nullptr, 0,
                          NI_NUMERICHOST) == 0) {
            const QByteArray address(numeric);
            if (!addresses->contains(address))
                addresses->append(address);
        }
    }
    ::freeaddrinfo(list);
    return 0;
}

Result failed(int status, const QByteArray &host)
{
    return {{},
            CentralError(CentralError::Kind::UnknownHost,
                         QString::fromUtf8(host) + u": "_s + QString::fromLocal8Bit(::gai_strerror(status)))};
}

} // namespace

Result resolve(const QByteArray &host, QDeadlineTimer deadline, const std::atomic<bool> *cancel)
{
    // A numeric address needs no name server.
    QList<QByteArray> addresses;
    if (lookUp(host, AI_NUMERICHOST, &addresses) == 0)
        return {addresses, {}};

    const auto pending = std::make_shared<Pending>();
    try {
        std::thread([pending, host] {
            QList<QByteArray> found;
            const int status = lookUp(host, 0, &found);
            const std::lock_guard lock(pending->mutex);
            pending->status = status;
            pending->addresses = found;
            pending->finished = true;
            pending->done.notify_all();
        }).detach();
    } catch (const std::system_error &error) {
        return {{}, CentralError(CentralError::Kind::Other, QString::fromLocal8Bit(error.what()))};
    }

    // Short waits, so that a cancel from another thread is seen soon.
    constexpr auto slice = std::chrono::milliseconds(20);
    std::unique_lock lock(pending->mutex);
    while (!pending->finished) {
        if (cancel && cancel->load())
            return {{}, CentralError(CentralError::Kind::Cancelled, {})};
        if (deadline.hasExpired()) {
            return {{},
                    CentralError(CentralError::Kind::NoAnswer,
                                 u"Namensauflösung von "_s + QString::fromUtf8(host) + u" ohne Ergebnis"_s)};
        }
        pending->done.wait_for(lock,
                               std::min<std::chrono::nanoseconds>(slice, deadline.remainingTimeAsDuration()));
    }
    if (pending->status != 0)
        return failed(pending->status, host);
    return {pending->addresses, {}};
}

} // namespace HostLookup
