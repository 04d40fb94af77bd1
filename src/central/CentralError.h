#pragma once

#include <QByteArrayView>
#include <QString>

// Why a talk with the central database failed: a coarse German reason for
// the status bar, followed by libpq's or the server's own words.
class CentralError
{
public:
    enum class Kind {
        None,
        InvalidSettings,      // "ungültige Verbindungsangabe": the string cannot be used
        Refused,              // "Verbindung abgelehnt": nothing listens, or the way is barred
        UnknownHost,          // "Rechner unbekannt": the host name does not resolve
        AuthenticationFailed, // "Anmeldung fehlgeschlagen": password, pg_hba or certificate
        NoAnswer,             // "keine Antwort": connected or resolving, but no answer in time
        DatabaseMissing,      // "Datenbank fehlt"
        MissingTable,         // "Tabelle fehlt": SQLSTATE 42P01
        PermissionDenied,     // "keine Berechtigung": SQLSTATE 42501
        ServerNotReady,       // "Server nicht bereit": starting, shutting down, full
        Timeout,              // "Zeitüberschreitung": a statement outlived its deadline
        Cancelled,            // "abgebrochen": the cancel flag was set
        ConnectionLost,       // "Verbindung unterbrochen"
        Other,                // "Datenbankfehler"
    };

    CentralError() = default;
    CentralError(Kind kind, const QString &detail);

    [[nodiscard]] Kind kind() const { return m_kind; }
    [[nodiscard]] bool isError() const { return m_kind != Kind::None; }
    // The German reason alone, empty for None.
    [[nodiscard]] QString reason() const;
    // "reason: detail", or the reason alone when there is no detail.
    [[nodiscard]] QString text() const;
    [[nodiscard]] QString detail() const { return m_detail; }

    // The kind of a server error by its SQLSTATE; Other for codes not singled out.
    [[nodiscard]] static Kind kindForSqlState(QByteArrayView sqlState);

private:
    Kind m_kind = Kind::None;
    QString m_detail;
};
