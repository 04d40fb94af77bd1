#pragma once

#include <QString>
#include <QStringList>

// Lines of the data file: Windows-1252, CR LF, a header only in a new file.
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

// Appends text + CR LF in one write, fsync, close, holding an exclusive lock
// on the file meanwhile (waiting up to 2 s for another writer's); on any
// failure the file is cut back to its old length and the German reason is returned.
struct AppendResult
{
    bool ok = false;
    QString reason;
};
[[nodiscard]] AppendResult appendLine(const QString &path, const QString &text);
[[nodiscard]] bool fileExists(const QString &path);

// The two columns a verdict adds. A new file gets them when forNewFile is
// set; an existing one has them when its header line ends in them, whatever
// forNewFile says, so that no file mixes lines of twelve and fourteen columns.
struct VerdictColumns
{
    bool forNewFile = false;
    QString verdict; // "i.O.", "n.i.O." or empty
    QString outside; // the names of the values outside their limits, joined by ", "
};
inline constexpr int VerdictColumnCount = 2;
// Whether the header line of the file ends in Bewertung and Abweichung.
[[nodiscard]] bool hasVerdictColumns(const QString &path);

// The whole save: header when the file does not exist, then the record line.
// A new file appears with its header already in it, so two instances saving
// into the same new file at once still give one header; its folder is synced
// before the record follows.
[[nodiscard]] AppendResult save(const QString &path, const QString &dataTrenner, const QStringList &fields,
                                const VerdictColumns &verdict = {});
} // namespace DataFileExport
