#pragma once

#include "tolerance/Limit.h"
#include "tolerance/LimitValue.h"

#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <array>
#include <optional>

// The limits a quality engineer keeps per machine type: a delimited text
// file, header "Typ;Wert;Min;Max" (separator ";", "," or tab, taken from the
// header line), fields with the separator in double quotes, Windows-1252 or
// UTF-8 by the settings file's rule, CR LF or LF. One limit a line; "Typ" is
// a machine type (case and blanks at both ends do not count) or "*" for
// every type without a line of its own for that value; "Min" and "Max" take
// "." or "," as the decimal sign, an empty one leaves that side open. Blank
// lines are skipped. One line that cannot be understood makes the whole
// table unusable, so that nothing is judged against half of it.
class LimitsTable
{
public:
    enum class Status { Usable, Missing, Unreadable, Broken };
    // The limit on each value, indexed by LimitValue; nothing where none applies.
    using Limits = std::array<std::optional<Limit>, LimitValueCount>;

    LimitsTable() = default; // usable, with no limits

    [[nodiscard]] static LimitsTable parse(QByteArrayView fileBytes);
    // The file's table; a missing or unreadable file, or one over 16 MiB,
    // gives an unusable one. Never writes to the file.
    [[nodiscard]] static LimitsTable read(const QString &path);

    [[nodiscard]] Status status() const { return m_status; }
    [[nodiscard]] bool isUsable() const { return m_status == Status::Usable; }
    // "Grenzwertdatei fehlerhaft: Zeile N: <Grund>", "Grenzwertdatei nicht
    // gefunden", "Grenzwertdatei nicht lesbar" or "Grenzwertdatei zu groß";
    // empty when usable.
    [[nodiscard]] QString errorText() const { return m_error; }

    // The limits for a machine type as the operator typed it: its own line
    // for a value, else the "*" line. An empty type gets the "*" lines only;
    // an unusable table gives none.
    [[nodiscard]] Limits limitsFor(const QString &type) const;

private:
    LimitsTable(Status status, QString error) : m_status(status), m_error(std::move(error)) {}

    Status m_status = Status::Usable;
    QString m_error;
    QHash<QString, Limits> m_types; // by folded type; "*" for every type
};
