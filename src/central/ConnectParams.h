#pragma once

#include "central/CentralError.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <atomic>
#include <vector>

struct pg_conn;

// The keyword/value pairs of one connect, made from a connection string:
// texts as UTF-8, the program's name for the server's list of sessions, and
// the host names already resolved, with a deadline.
class ConnectParams
{
public:
    // Parses conninfo and resolves its host names; narrows *deadline to the
    // string's connect_timeout.
    [[nodiscard]] CentralError build(const QByteArray &conninfo, QDeadlineTimer *deadline,
                                     const std::atomic<bool> *cancel);
    // PQconnectStartParams with these pairs.
    [[nodiscard]] pg_conn *start() const;

private:
    void set(const QByteArray &keyword, const QByteArray &value);
    [[nodiscard]] bool has(const QByteArray &keyword) const;

    std::vector<QByteArray> m_keywords;
    std::vector<QByteArray> m_values;
};
