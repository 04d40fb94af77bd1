#pragma once

#include "central/CentralError.h"
#include "central/CentralResult.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QList>
#include <atomic>

struct pg_conn;

// One connection to the central database, closed with the object. Nothing
// here blocks past its deadline: the connect is libpq's non-blocking one
// (host names resolved by HostLookup), statements are sent and read without
// blocking, and every wait looks at the cancel flag at least every 20 ms, so
// another thread can end any wait at once (a program that closes). A
// statement that timed out or was cancelled leaves the connection closed:
// its outcome is unknown, and a repeat must be harmless.
//
// Not for more than one thread at a time, except the cancel flag.
class CentralConnection
{
public:
    // cancel may be null; it is read, never reset.
    explicit CentralConnection(const std::atomic<bool> *cancel = nullptr);
    ~CentralConnection();
    CentralConnection(const CentralConnection &) = delete;
    CentralConnection &operator=(const CentralConnection &) = delete;

    // Connects with a string made by CentralConnInfo::prepare. Gives up at the
    // deadline or the string's connect_timeout, whichever comes first
    // (NoAnswer). Host names from a service entry are left to libpq's own,
    // blocking lookup. Texts travel as UTF-8.
    [[nodiscard]] bool open(const QByteArray &conninfo, QDeadlineTimer deadline);
    [[nodiscard]] bool isOpen() const { return m_conn != nullptr; }
    void close();

    // One statement with bound values $1, $2, … in text form; a null
    // QByteArray is SQL NULL. The values never become part of the SQL text.
    [[nodiscard]] bool exec(const QByteArray &sql, const QList<QByteArray> &values, QDeadlineTimer deadline,
                            CentralResult *result = nullptr);
    // Statements that take no values, separated by ";", in one implicit
    // transaction (the schema script).
    [[nodiscard]] bool execScript(const QByteArray &sql, QDeadlineTimer deadline);

    // Why the last open, exec or execScript failed; None after a success.
    [[nodiscard]] const CentralError &error() const { return m_error; }

private:
    enum class Wait { Ready, TimedOut, Cancelled, Failed };
    [[nodiscard]] Wait wait(short events, QDeadlineTimer deadline) const;
    [[nodiscard]] bool finishStatement(QDeadlineTimer deadline, CentralResult *result);
    bool fail(const CentralError &error);
    bool failConnect(int statusBefore);
    bool failLost();

    const std::atomic<bool> *m_cancel = nullptr;
    pg_conn *m_conn = nullptr;
    CentralError m_error;
};
