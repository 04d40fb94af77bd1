#include "central/CentralConnection.h"

#include "central/ConnectParams.h"

#include <QRegularExpression>
#include <QStringList>
#include <algorithm>
#include <cerrno>
#include <libpq-fe.h>
#include <poll.h>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// The error text of a failed connect, asked for in the verbose form so that
// the server's SQLSTATE can be read from it (libpq keeps it from the API
// there); the code and the source location are taken out again.
struct ConnectMessage
{
    QByteArray sqlState;
    QString text;
};

ConnectMessage connectMessage(const char *raw)
{
    static const QRegularExpression codePattern(u":  ([0-9A-Z]{5}): "_s);
    static const QRegularExpression locationLine(u"^\\S+:  \\w+, [\\w.]+:\\d+$"_s);
    ConnectMessage message;
    QString text = QString::fromUtf8(raw);
    QRegularExpressionMatchIterator matches = codePattern.globalMatch(text);
    while (matches.hasNext())
        message.sqlState = matches.next().captured(1).toLatin1();
    text.replace(codePattern, u":  "_s);
    QStringList lines = text.split(u'\n');
    lines.removeIf([](const QString &line) { return locationLine.match(line).hasMatch(); });
    message.text = lines.join(u'\n');
    return message;
}

} // namespace

CentralConnection::CentralConnection(const std::atomic<bool> *cancel) : m_cancel(cancel) {}

CentralConnection::~CentralConnection()
{
    close();
}

void CentralConnection::close()
{
    // Non-blocking by then, so the goodbye to the server never waits.
    PQfinish(m_conn);
    m_conn = nullptr;
}

bool CentralConnection::fail(const CentralError &error)
{
    close();
    m_error = error;
    return false;
}

bool CentralConnection::open(const QByteArray &conninfo, QDeadlineTimer deadline)
{
    close();
    m_error = {};
    ConnectParams params;
    if (const CentralError error = params.build(conninfo, &deadline, m_cancel); error.isError())
        return fail(error);
    m_conn = params.start();
    if (!m_conn)
        return fail(CentralError(CentralError::Kind::Other, u"kein Speicher"_s));
    PQsetErrorVerbosity(m_conn, PQERRORS_VERBOSE);
    // Notices ("already exists, skipping") are no failures; libpq would print them.
    PQsetNoticeProcessor(
        m_conn, [](void *, const char *) {}, nullptr);
    int statusBefore = CONNECTION_NEEDED;
    PostgresPollingStatusType polling =
        PQstatus(m_conn) == CONNECTION_BAD ? PGRES_POLLING_FAILED : PGRES_POLLING_WRITING;
    while (polling != PGRES_POLLING_OK) {
        if (polling == PGRES_POLLING_FAILED)
            return failConnect(statusBefore);
        switch (wait(polling == PGRES_POLLING_READING ? POLLIN : POLLOUT, deadline)) {
        case Wait::Ready:
            break;
        case Wait::TimedOut:
            return fail(CentralError(CentralError::Kind::NoAnswer,
                                     u"der Server "_s + QString::fromUtf8(PQhost(m_conn)) + u", Port "_s +
                                         QString::fromUtf8(PQport(m_conn)) +
                                         u", hat sich in der Frist nicht gemeldet"_s));
        case Wait::Cancelled:
            return fail(CentralError(CentralError::Kind::Cancelled, {}));
        case Wait::Failed:
            return failLost();
        }
        statusBefore = PQstatus(m_conn);
        polling = PQconnectPoll(m_conn);
    }
    PQsetErrorVerbosity(m_conn, PQERRORS_DEFAULT);
    if (PQsetnonblocking(m_conn, 1) != 0)
        return failLost();
    return true;
}

bool CentralConnection::failConnect(int statusBefore)
{
    const ConnectMessage message = connectMessage(PQerrorMessage(m_conn));
    CentralError::Kind kind = CentralError::Kind::Other;
    if (!message.sqlState.isEmpty())
        kind = CentralError::kindForSqlState(message.sqlState);
    else if (PQconnectionNeedsPassword(m_conn))
        kind = CentralError::Kind::AuthenticationFailed;
    else if (statusBefore == CONNECTION_NEEDED || statusBefore == CONNECTION_STARTED)
        kind = CentralError::Kind::Refused; // the TCP connect itself failed
    else if (statusBefore == CONNECTION_SSL_STARTUP || statusBefore == CONNECTION_GSS_STARTUP)
        kind = CentralError::Kind::AuthenticationFailed; // certificate or encryption refused
    else if (statusBefore == CONNECTION_AWAITING_RESPONSE || statusBefore == CONNECTION_MADE)
        kind = CentralError::Kind::ConnectionLost;
    return fail(CentralError(kind, message.text));
}

bool CentralConnection::failLost()
{
    const QString text = m_conn ? QString::fromUtf8(PQerrorMessage(m_conn)) : QString();
    return fail(CentralError(CentralError::Kind::ConnectionLost, text));
}

CentralConnection::Wait CentralConnection::wait(short events, QDeadlineTimer deadline) const
{
    const int socket = PQsocket(m_conn);
    if (socket < 0)
        return Wait::Failed;
    constexpr qint64 sliceMs = 20;
    for (;;) {
        if (m_cancel && m_cancel->load())
            return Wait::Cancelled;
        if (deadline.hasExpired())
            return Wait::TimedOut;
        const qint64 remaining = deadline.remainingTime();
        pollfd entry{socket, events, 0};
        const int ready = ::poll(&entry, 1, int(remaining < 0 ? sliceMs : std::min(remaining, sliceMs)));
        if (ready > 0)
            return Wait::Ready;
        if (ready < 0 && errno != EINTR)
            return Wait::Failed;
    }
}

bool CentralConnection::exec(const QByteArray &sql, const QList<QByteArray> &values, QDeadlineTimer deadline,
                             CentralResult *result)
{
    m_error = {};
    if (!m_conn)
        return fail(CentralError(CentralError::Kind::ConnectionLost, u"keine Verbindung"_s));
    if (values.size() > 65535)
        return fail(CentralError(CentralError::Kind::Other, u"zu viele Werte in einer Anweisung"_s));
    std::vector<const char *> pointers;
    pointers.reserve(std::size_t(values.size()));
    for (const QByteArray &value : values)
        pointers.push_back(value.isNull() ? nullptr : value.constData());
    if (!PQsendQueryParams(m_conn, sql.constData(), int(values.size()), nullptr, pointers.data(), nullptr,
                           nullptr, 0)) {
        return failLost();
    }
    return finishStatement(deadline, result);
}

bool CentralConnection::execScript(const QByteArray &sql, QDeadlineTimer deadline)
{
    m_error = {};
    if (!m_conn)
        return fail(CentralError(CentralError::Kind::ConnectionLost, u"keine Verbindung"_s));
    if (!PQsendQuery(m_conn, sql.constData()))
        return failLost();
    return finishStatement(deadline, nullptr);
}

bool CentralConnection::finishStatement(QDeadlineTimer deadline, CentralResult *result)
{
    const auto abandon = [this](Wait why) {
        if (why == Wait::TimedOut)
            return fail(CentralError(CentralError::Kind::Timeout, u"keine Antwort in der Frist"_s));
        if (why == Wait::Cancelled)
            return fail(CentralError(CentralError::Kind::Cancelled, {}));
        return failLost();
    };
    // Send what libpq could not write at once, reading meanwhile so that a
    // server that answers early never stalls the two of us.
    for (int flushed = PQflush(m_conn); flushed != 0; flushed = PQflush(m_conn)) {
        if (flushed < 0)
            return failLost();
        if (const Wait why = wait(POLLIN | POLLOUT, deadline); why != Wait::Ready)
            return abandon(why);
        if (!PQconsumeInput(m_conn))
            return failLost();
    }
    CentralResult last;
    CentralError firstError;
    for (;;) {
        while (PQisBusy(m_conn)) {
            if (const Wait why = wait(POLLIN, deadline); why != Wait::Ready)
                return abandon(why);
            if (!PQconsumeInput(m_conn))
                return failLost();
        }
        PGresult *raw = PQgetResult(m_conn);
        if (!raw)
            break;
        CentralResult owned(raw);
        const ExecStatusType status = PQresultStatus(raw);
        if ((status == PGRES_FATAL_ERROR || status == PGRES_BAD_RESPONSE) && !firstError.isError()) {
            const char *sqlState = PQresultErrorField(raw, PG_DIAG_SQLSTATE);
            const char *primary = PQresultErrorField(raw, PG_DIAG_MESSAGE_PRIMARY);
            const bool lost = PQstatus(m_conn) == CONNECTION_BAD;
            const CentralError::Kind kind = sqlState ? CentralError::kindForSqlState(sqlState)
                                            : lost   ? CentralError::Kind::ConnectionLost
                                                     : CentralError::Kind::Other;
            firstError = CentralError(kind, QString::fromUtf8(primary ? primary : PQresultErrorMessage(raw)));
        }
        last = std::move(owned);
    }
    if (firstError.isError()) {
        // A connection left inside a transaction would hold the next statement in it.
        if (PQstatus(m_conn) == CONNECTION_BAD || PQtransactionStatus(m_conn) != PQTRANS_IDLE)
            close();
        m_error = firstError;
        return false;
    }
    if (PQstatus(m_conn) == CONNECTION_BAD)
        return failLost();
    if (result)
        *result = std::move(last);
    return true;
}
