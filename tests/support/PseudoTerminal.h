#pragma once

#include <QString>

// A pseudo-terminal pair; its slave is a character device the port map knows
// and a serial port can open, without any instrument behind it.
class PseudoTerminal
{
public:
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal &) = delete;
    PseudoTerminal &operator=(const PseudoTerminal &) = delete;

    [[nodiscard]] QString path() const { return m_path; } // empty when none could be made

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_path;
};
