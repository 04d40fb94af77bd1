#include "central/ConnectParams.h"

#include "central/HostLookup.h"

#include <algorithm>
#include <libpq-fe.h>
#include <memory>
#include <utility>

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

using Pairs = std::vector<std::pair<QByteArray, QByteArray>>;

// libpq resolves host names with the blocking getaddrinfo; resolved here
// with a deadline instead, each address becomes one entry of the host list
// with its hostaddr, so libpq still tries them in turn, and checks
// certificates and ~/.pgpass against the name.
CentralError resolveHosts(const PQconninfoOption *parsed, QDeadlineTimer deadline,
                          const std::atomic<bool> *cancel, Pairs *pairs)
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
                pairs->emplace_back(keyword, given);
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
    pairs->emplace_back("host", hostList.join(','));
    pairs->emplace_back("hostaddr", addressList.join(','));
    if (std::any_of(portList.cbegin(), portList.cend(),
                    [](const QByteArray &port) { return !port.isEmpty(); }))
        pairs->emplace_back("port", portList.join(','));
    return {};
}

} // namespace

void ConnectParams::set(const QByteArray &keyword, const QByteArray &value)
{
    const auto it = std::find(m_keywords.begin(), m_keywords.end(), keyword);
    if (it == m_keywords.end()) {
        m_keywords.push_back(keyword);
        m_values.push_back(value);
    } else {
        m_values[std::size_t(it - m_keywords.begin())] = value;
    }
}

bool ConnectParams::has(const QByteArray &keyword) const
{
    return std::find(m_keywords.begin(), m_keywords.end(), keyword) != m_keywords.end();
}

pg_conn *ConnectParams::start() const
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

CentralError ConnectParams::build(const QByteArray &conninfo, QDeadlineTimer *deadline,
                                  const std::atomic<bool> *cancel)
{
    char *rawError = nullptr;
    const Options parsed(PQconninfoParse(conninfo.constData(), &rawError));
    if (!parsed) {
        const QString why = rawError ? QString::fromUtf8(rawError) : u"kein Speicher"_s;
        PQfreemem(rawError);
        return CentralError(CentralError::Kind::InvalidSettings, why);
    }

    for (const PQconninfoOption *option = parsed.get(); option->keyword; ++option) {
        const QByteArrayView keyword(option->keyword);
        if (option->val && keyword != "host" && keyword != "hostaddr" && keyword != "port")
            set(option->keyword, option->val);
    }
    set("client_encoding", "UTF8");
    if (!has("fallback_application_name"))
        set("fallback_application_name", "quoran");
    // libpq leaves the timeout of a non-blocking connect to its caller; it
    // takes anything below 2 s as 2 s.
    const int timeoutSeconds = optionValue(parsed.get(), "connect_timeout").toInt();
    if (timeoutSeconds > 0) {
        const QDeadlineTimer ownDeadline(std::max(timeoutSeconds, 2) * 1000LL);
        if (deadline->isForever() || ownDeadline.deadlineNSecs() < deadline->deadlineNSecs())
            *deadline = ownDeadline;
    }
    Pairs hosts;
    const CentralError error = resolveHosts(parsed.get(), *deadline, cancel, &hosts);
    for (const auto &[keyword, value] : hosts)
        set(keyword, value);
    return error;
}
