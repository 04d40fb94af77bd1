#include "support/PseudoTerminal.h"

#include <array>
#include <pty.h>
#include <unistd.h>

PseudoTerminal::PseudoTerminal()
{
    std::array<char, 256> name{};
    if (::openpty(&m_master, &m_slave, name.data(), nullptr, nullptr) == 0)
        m_path = QString::fromLocal8Bit(name.data());
}

PseudoTerminal::~PseudoTerminal()
{
    for (const int fd : {m_master, m_slave})
        if (fd >= 0)
            ::close(fd);
}
