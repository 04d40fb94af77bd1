#include "central/CentralConnection.h"

#include "central/HostLookup.h"

#include <QRegularExpression>
#include <QStringList>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <libpq-fe.h>
#include <memory>
#include <poll.h>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

struct OptionsDeleter
{
    void operator()(PQconninfoOption *options) const { PQconninfoFree(options); }
};
using Options = std::unique_ptr<PQconninfoOption, OptionsDeleter>;

QByteArray optionValue(const PQconninfoOption *options, QByteArrayView keyword)
{
    for (const PQconninfoOption *option = options; option && option->keyword; ++option) {
        if (keyword == option->keyword)
            return option->val ? QByteArray(option->val) : QByteArray();
    }
    return {};
}

// Keyword/value pairs for PQconnectStartParams.
class ConnectParams
{
public:
    void set(const QByteArray &keyword, const QByteArray &value)
    {
        const auto it = std::find(m_keywords.begin(), m_keywords.end(), keyword);
        if (it == m_keywords.end()) {
            m_keywords.push_back(keyword);
            m_values.push_back(value);
        } else {
            m_values[std::size_t(it - m_keywords.begin())] = value;
        }
    }
    [[nodiscard]] bool has(const QByteArray &keyword) const
    {
        return std::find(m_keywords.begin(), m_keywords.end(), keyword) != m_keywords.end();
    }
    [[nodiscard]] pg_conn *start() const
    {
        std::vector<const char *> keywords;
        std::vector<const char *> values;
        for (std::size_t i = 0; i < m_keywords.size(); ++i) {
            keywords.push_back(m_keywords[i].constData());
            values.push_back(m_values[i].constData());
        }
        keywords.push_back(nullptr);
        values.push_back(nullptr);
        // expand_dbname 0: a dbname is a name, never a second connection string.
        return PQconnectStartParams(keywords.data(), values.data(), 0);
    }

private:
    std::vector<QByteArray> m_keywords;
    std::vector<QByteArray> m_values;
};

// libpq resolves host names with the blocking getaddrinfo; resolved here
// with a deadline instead, each address becomes one entry of the host list
// with its hostaddr, so libpq still tries them in turn, and checks
// certificates and ~/.pgpass against the name.
CentralError resolveHosts(const PQconninfoOption *parsed, ConnectParams *params, QDeadlineTimer deadline,
                          const std::atomic<bool> *cancel)
{
    const Options defaults(PQconndefaults()); // with PGHOST, PGPORT and the like
    const auto effective = [&](QByteArrayView keyword) {
        const QByteArray given = optionValue(parsed, keyword);
        return given.isNull() ? optionValue(defaults.get(), keyword) : given;
    };
    const auto passOn = [&] {
        for (const char *keyword : {"host", "hostaddr", "port"}) {
            const QByteArray given = optionValue(parsed, keyword);
            if (!given.isNull())
                params->set(keyword, given);
        }
        return CentralError();
    };
    const QByteArray host = effective("host");
    if (!effective("service").isEmpty() || !effective("hostaddr").isEmpty() || host.isEmpty())
        return passOn();
    const QList<QByteArray> hosts = host.split(',');
    const QList<QByteArray> ports = effective("port").split(',');
    if (ports.size() != 1 && ports.size() != hosts.size())
        return passOn(); // libpq says what is wrong

    QList<QByteArray> hostList, addressList, portList;
    CentralError lastError;
    for (qsizetype i = 0; i < hosts.size(); ++i) {
        const QByteArray &name = hosts[i];
        const QByteArray &port = ports.size() == 1 ? ports[0] : ports[i];
        if (name.isEmpty() || name.startsWith('/') || name.startsWith('@')) { // a socket folder
            hostList << name;
            addressList << QByteArray();
            portList << port;
            continue;
        }
        const HostLookup::Result found = HostLookup::resolve(name, deadline, cancel);
        if (found.error.kind() == CentralError::Kind::Cancelled ||
            found.error.kind() == CentralError::Kind::NoAnswer)
            return found.error;
        lastError = found.error;
        for (const QByteArray &address : found.addresses) {
            hostList << name;
            addressList << address;
            portList << port;
        }
    }
    if (hostList.isEmpty())
        return lastError;
    params->set("host", hostList.join(','));
    params->set("hostaddr", addressList.join(','));
    if (std::any_of(portList.cbegin(), portList.cend(),
                    [](const QByteArray &port) { return !port.isEmpty(); }))
        params->set("port", portList.join(','));
    return {};
}

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
    char *rawError = nullptr;
    const Options parsed(PQconninfoParse(conninfo.constData(), &rawError));
    if (!parsed) {
        const QString why = rawError ? QString::fromUtf8(rawError) : u"kein Speicher"_s;
        PQfreemem(rawError);
        return fail(CentralError(CentralError::Kind::InvalidSettings, why));
    }

    ConnectParams params;
    for (const PQconninfoOption *option = parsed.get(); option->keyword; ++option) {
        const QByteArrayView keyword(option->keyword);
        if (option->val && keyword != "host" && keyword != "hostaddr" && keyword != "port")
            params.set(option->keyword, option->val);
    }
    params.set("client_encoding", "UTF8");
    if (!params.has("fallback_application_name"))
        params.set("fallback_application_name", "quoran");
    // libpq leaves the timeout of a non-blocking connect to its caller; it
    // takes anything below 2 s as 2 s.
    const int timeoutSeconds = optionValue(parsed.get(), "connect_timeout").toInt();
    if (timeoutSeconds > 0) {
        const QDeadlineTimer ownDeadline(std::max(timeoutSeconds, 2) * 1000LL);
        if (deadline.isForever() || ownDeadline.deadlineNSecs() < deadline.deadlineNSecs())
            deadline = ownDeadline;
    }
    const CentralError lookup = resolveHosts(parsed.get(), &params, deadline, m_cancel);
    if (lookup.isError())
        return fail(lookup);

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
