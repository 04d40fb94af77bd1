#include "central/CentralConnInfo.h"

#include <QHash>

#include <libpq-fe.h>
#include <memory>

using namespace Qt::StringLiterals;

namespace CentralConnInfo {
namespace {

struct OptionsDeleter
{
    void operator()(PQconninfoOption *options) const { PQconninfoFree(options); }
};
using Options = std::unique_ptr<PQconninfoOption, OptionsDeleter>;

struct ErrorDeleter
{
    void operator()(char *message) const { PQfreemem(message); }
};

bool isUri(const QByteArray &text)
{
    return text.startsWith("postgresql://") || text.startsWith("postgres://");
}

// Whether libpq's complaint about text could quote a password: its keyword,
// or a URI's "user:password@".
bool mayQuotePassword(const QByteArray &text)
{
    if (text.toLower().contains("password"))
        return true;
    if (!isUri(text))
        return false;
    const qsizetype start = text.indexOf("://") + 3;
    qsizetype end = start;
    while (end < text.size() && text.at(end) != '/' && text.at(end) != '?')
        ++end;
    const QByteArray authority = text.mid(start, end - start);
    const qsizetype at = authority.lastIndexOf('@');
    return at >= 0 && authority.left(at).contains(':');
}

Prepared refused(const QString &text)
{
    return {{}, CentralError(CentralError::Kind::InvalidSettings, text)};
}

// Why libpq would refuse the option's value before it tries any server, or
// empty. Checked here because libpq reports that failure as it reports a
// server that refuses the connection.
QString badValue(QByteArrayView keyword, const QByteArray &value)
{
    static const QHash<QByteArray, QByteArrayList> choices{
        {"sslmode", {"disable", "allow", "prefer", "require", "verify-ca", "verify-full"}},
        {"gssencmode", {"disable", "prefer", "require"}},
        {"channel_binding", {"disable", "prefer", "require"}},
        {"target_session_attrs", {"any", "read-write", "read-only", "primary", "standby", "prefer-standby"}},
    };
    const QByteArray key = keyword.toByteArray();
    const auto isNumber = [](const QByteArray &text) {
        bool ok = false;
        return text.trimmed().toInt(&ok) >= 0 && ok;
    };
    bool ok = true;
    if (const auto allowed = choices.constFind(key); allowed != choices.cend()) {
        if (!allowed->contains(value))
            return u"„%1“ ist für %2 nicht erlaubt (erlaubt: %3)"_s.arg(
                QString::fromUtf8(value), QString::fromUtf8(key), QString::fromUtf8(allowed->join(", ")));
    } else if (key == "port") {
        // One port for every host, or one each.
        for (const QByteArray &port : value.split(','))
            ok = ok && (port.isEmpty() || isNumber(port));
    } else if (key == "connect_timeout") {
        ok = isNumber(value);
    }
    return ok ? QString()
              : u"„%1“ ist für %2 keine Zahl"_s.arg(QString::fromUtf8(value), QString::fromUtf8(key));
}

} // namespace

Prepared prepare(const QString &connection)
{
    QByteArray text = connection.trimmed().toUtf8();
    char *rawError = nullptr;
    const Options options(PQconninfoParse(text.constData(), &rawError));
    const std::unique_ptr<char, ErrorDeleter> parseError(rawError);
    if (!options) {
        const QString prefix = u"[Zentrale] Verbindung= lässt sich nicht lesen"_s;
        // libpq quotes what it stumbled on: never a password into a message.
        if (mayQuotePassword(text))
            return refused(prefix + u" (Schreibweise prüfen; ein Passwort gehört nach ~/.pgpass)"_s);
        return refused(prefix + u": "_s +
                       (parseError ? QString::fromUtf8(parseError.get()) : u"kein Speicher"_s));
    }
    bool hasTimeout = false;
    for (const PQconninfoOption *option = options.get(); option->keyword; ++option) {
        if (!option->val)
            continue;
        const QByteArrayView keyword(option->keyword);
        if (keyword == "password") {
            return refused(u"[Zentrale] Verbindung= enthält ein Passwort. Das Passwort gehört nicht in die "
                           u"Einstellungsdatei, sondern in ~/.pgpass (oder die Datei, die PGPASSFILE nennt) "
                           u"oder in einen Diensteintrag (service=) von pg_service.conf."_s);
        }
        if (const QString why = badValue(keyword, QByteArray(option->val)); !why.isEmpty())
            return refused(u"[Zentrale] Verbindung=: "_s + why);
        if (keyword == "connect_timeout")
            hasTimeout = true;
    }
    if (hasTimeout)
        return {text, {}};
    // In front of key=value pairs, as a last "dbname=" would take what follows as its value.
    const QByteArray timeout = "connect_timeout=" + QByteArray::number(DefaultConnectTimeout);
    if (!isUri(text))
        return {text.isEmpty() ? timeout : timeout + ' ' + text, {}};
    text += (text.contains('?') ? (text.endsWith('?') ? "" : "&") : "?") + timeout;
    char *rawRecheckError = nullptr;
    const Options recheck(PQconninfoParse(text.constData(), &rawRecheckError));
    const std::unique_ptr<char, ErrorDeleter> recheckError(rawRecheckError);
    if (!recheck)
        return refused(u"[Zentrale] Verbindung= lässt sich nicht um connect_timeout ergänzen"_s);
    return {text, {}};
}

} // namespace CentralConnInfo
