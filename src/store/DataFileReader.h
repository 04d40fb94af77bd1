#pragma once

#include <QString>
#include <QStringList>

// Reads a data file as the export writes it and as a spreadsheet may save it
// again: Windows-1252 (UTF-8 with a byte-order mark, or when the bytes are
// valid UTF-8), CR LF or LF, the separator (";", "," or tab) found from the
// header line, fields in double quotes with inner quotes doubled.
class DataFileReader
{
public:
    explicit DataFileReader(const QString &path);

    // Reads the file and its header; empty or the German reason why the file
    // cannot be imported (missing, unreadable, no data-file header).
    [[nodiscard]] QString open();

    [[nodiscard]] QChar separator() const { return m_separator; }
    // The header's columns: the twelve of the export, then optionally
    // "Bewertung" and "Abweichung".
    [[nodiscard]] const QStringList &columns() const { return m_columns; }

    // The next line that is not empty, as its fields, with its 1-based line
    // number in the file; false at the end.
    [[nodiscard]] bool next(QStringList *fields, int *lineNumber);

    // One line cut into fields.
    [[nodiscard]] static QStringList splitLine(QStringView line, QChar separator);

private:
    QString m_path;
    QString m_text;
    qsizetype m_position = 0;
    int m_lineNumber = 0;
    QChar m_separator;
    QStringList m_columns;
};
