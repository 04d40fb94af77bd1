#pragma once

#include "core/FileDescriptor.h"

#include <QByteArray>
#include <netinet/in.h>
#include <sys/socket.h>

// A TCP socket on 127.0.0.1 that listens (the kernel accepts connections)
// but never reads or answers; or that is bound without listening, so that
// a connection is refused.
class LocalSocket
{
public:
    explicit LocalSocket(bool listening) : m_fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0))
    {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (::bind(m_fd.get(), reinterpret_cast<sockaddr *>(&address), sizeof address) == 0 &&
            (!listening || ::listen(m_fd.get(), 8) == 0) &&
            ::getsockname(m_fd.get(), reinterpret_cast<sockaddr *>(&address), &length) == 0)
            m_port = ntohs(address.sin_port);
    }
    [[nodiscard]] QByteArray conninfo() const
    {
        return "host=127.0.0.1 user=postgres dbname=quoran port=" + QByteArray::number(m_port);
    }

private:
    FileDescriptor m_fd;
    int m_port = 0;
};
