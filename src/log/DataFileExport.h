#pragma once

#include "log/DataFileColumns.h"

#include <QLocale>
#include <QString>
#include <QStringList>

// Lines of the data file: Windows-1252, CR LF, a header only in a new file,
// each record on a line of its own.
namespace DataFileExport {
// "Tabulator" -> tab, "Komma [,]" -> ",", anything else -> ";" (exact, case-sensitive).
[[nodiscard]] QChar separatorFor(const QString &dataTrenner);
// With withVerdict the columns Bewertung and Abweichung follow the twelve.
[[nodiscard]] QString headerLine(QChar separator, bool withVerdict = false);
// Twelve fields, trimmed; a field holding the separator or a double quote is
// quoted with inner quotes doubled. Only blanks are trimmed: a tab at either
// end of a field stays. Missing fields give empty columns, extra ones are left out.
[[nodiscard]] QString recordLine(const QStringList &fields, QChar separator);
// The same with columnCount columns.
[[nodiscard]] QString recordLine(const QStringList &fields, QChar separator, int columnCount);

// A record is one line: line breaks (as pasted from a spreadsheet cell) become blanks.
[[nodiscard]] QString withoutLineBreaks(const QString &text);

// The record line as the file holds it, without its line end. Digits are
// 0-9 whatever the regional settings write; in the measured fields a decimal
// sign the code page lacks becomes "." and a grouping sign it lacks is left
// out. Any other character the code page cannot hold refuses the record:
// then bytes is empty and refusal (German) names the character and its field.
struct RecordBytes
{
    QByteArray bytes;
    QString refusal;
};
[[nodiscard]] RecordBytes recordBytes(const QStringList &fields, QChar separator,
                                      const QLocale &locale = QLocale());
// "Das Zeichen „č“ (U+010D) im Feld „Typ“ kann in der Datendatei (Windows-1252) nicht gespeichert werden."
[[nodiscard]] QString unholdableReason(char32_t character, const QString &column);

// Appends text + CR LF in one write, fsync, close, holding an exclusive lock
// on the file meanwhile (waiting up to 2 s for another writer's); CR LF goes
// first when the file does not end with a line break. On any failure the file
// is cut back to its old length and the German reason is returned; a text
// with a character the code page cannot hold is refused before anything is written.
struct AppendResult
{
    bool ok = false;
    QString reason;
};
[[nodiscard]] AppendResult appendLine(const QString &path, const QString &text);
[[nodiscard]] bool fileExists(const QString &path);

// The whole save: header when the file does not exist, then the record line
// (recordBytes() in the regional format of locale), with the verdict's
// columns where the file has them. A new file appears with its header
// already in it, so two instances saving into the same new file at once
// still give one header; its folder is synced before the record follows. A
// refused record writes nothing. Removes this host's temporary files of
// saves that were cut short.
[[nodiscard]] AppendResult save(const QString &path, const QString &dataTrenner, const QStringList &fields,
                                const QLocale &locale = QLocale(), const VerdictColumns &verdict = {});
} // namespace DataFileExport
