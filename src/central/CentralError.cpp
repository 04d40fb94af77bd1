#include "central/CentralError.h"

using namespace Qt::StringLiterals;

CentralError::CentralError(Kind kind, const QString &detail) : m_kind(kind), m_detail(detail.simplified()) {}

QString CentralError::reason() const
{
    switch (m_kind) {
    case Kind::None:
        return {};
    case Kind::InvalidSettings:
        return u"ungültige Verbindungsangabe"_s;
    case Kind::Refused:
        return u"Verbindung abgelehnt"_s;
    case Kind::UnknownHost:
        return u"Rechner unbekannt"_s;
    case Kind::AuthenticationFailed:
        return u"Anmeldung fehlgeschlagen"_s;
    case Kind::NoAnswer:
        return u"keine Antwort"_s;
    case Kind::DatabaseMissing:
        return u"Datenbank fehlt"_s;
    case Kind::MissingTable:
        return u"Tabelle fehlt"_s;
    case Kind::PermissionDenied:
        return u"keine Berechtigung"_s;
    case Kind::ServerNotReady:
        return u"Server nicht bereit"_s;
    case Kind::Timeout:
        return u"Zeitüberschreitung"_s;
    case Kind::Cancelled:
        return u"abgebrochen"_s;
    case Kind::ConnectionLost:
        return u"Verbindung unterbrochen"_s;
    case Kind::Other:
        break;
    }
    return u"Datenbankfehler"_s;
}

QString CentralError::text() const
{
    if (m_detail.isEmpty())
        return reason();
    return reason() + u": "_s + m_detail;
}

CentralError::Kind CentralError::kindForSqlState(QByteArrayView sqlState)
{
    if (sqlState == "42P01")
        return Kind::MissingTable;
    if (sqlState == "42501")
        return Kind::PermissionDenied;
    if (sqlState == "3D000")
        return Kind::DatabaseMissing;
    if (sqlState.startsWith("28"))
        return Kind::AuthenticationFailed;
    // Too many connections, out of resources, starting up or in recovery.
    if (sqlState.startsWith("53") || sqlState == "57P03")
        return Kind::ServerNotReady;
    // Ended by the administrator or by a crash of another server process.
    if (sqlState.startsWith("08") || sqlState == "57P01" || sqlState == "57P02")
        return Kind::ConnectionLost;
    if (sqlState == "57014")
        return Kind::Timeout;
    return Kind::Other;
}
