#include "store/DataFileReader.h"

#include "core/Limits.h"
#include "core/Windows1252.h"
#include "log/DataFileExport.h"

#include <QFile>
#include <QStringDecoder>

namespace {

QString decoded(const QByteArray &bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.sliced(3));
    // A Windows-1252 data file is never valid UTF-8: its header's "ä" alone is not.
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    return utf8.hasError() ? Windows1252::decode(bytes) : text;
}

} // namespace

DataFileReader::DataFileReader(const QString &path) : m_path(path) {}

QString DataFileReader::open()
{
    QFile file(m_path);
    if (!file.exists())
        return QStringLiteral("Die Datei %1 gibt es nicht.").arg(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("Die Datei %1 ist nicht lesbar: %2").arg(m_path, file.errorString());
    m_text = decoded(file.readAll());
    if (file.error() != QFileDevice::NoError)
        return QStringLiteral("Die Datei %1 ist nicht lesbar: %2").arg(m_path, file.errorString());
    m_position = 0;
    m_lineNumber = 0;

    QStringList header;
    int headerLine = 0;
    if (!next(&header, &headerLine))
        return QStringLiteral("Die Datei %1 ist leer.").arg(m_path);
    // Split by the separator again: next() used none yet.
    const QString firstLine = header.constFirst();
    static const QList<QChar> separators{u';', u',', u'\t'};
    const QStringList optional{QStringLiteral("Bewertung"), QStringLiteral("Abweichung")};
    for (const QChar separator : separators) {
        const QStringList names = splitLine(firstLine, separator);
        const QStringList expected = DataFileExport::headerLine(separator).split(separator);
        if (names.size() < Quoran::ColumnCount || names.mid(0, Quoran::ColumnCount) != expected)
            continue;
        const QStringList extra = names.mid(Quoran::ColumnCount);
        if (extra != optional.mid(0, extra.size()))
            continue;
        m_separator = separator;
        m_columns = names;
        return {};
    }
    return QStringLiteral("Die Datei %1 hat keine Kopfzeile einer Datendatei.").arg(m_path);
}

bool DataFileReader::next(QStringList *fields, int *lineNumber)
{
    while (m_position < m_text.size()) {
        qsizetype end = m_text.indexOf(u'\n', m_position);
        if (end < 0)
            end = m_text.size();
        QStringView line = QStringView(m_text).sliced(m_position, end - m_position);
        m_position = end + 1;
        ++m_lineNumber;
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.trimmed().isEmpty())
            continue;
        *lineNumber = m_lineNumber;
        // Before the header is known the whole line is one field.
        *fields = m_separator.isNull() ? QStringList{line.toString()} : splitLine(line, m_separator);
        return true;
    }
    return false;
}

QStringList DataFileReader::splitLine(QStringView line, QChar separator)
{
    QStringList fields;
    if (!line.contains(u'"')) {
        for (const QStringView field : line.split(separator))
            fields.append(field.toString());
        return fields;
    }
    QString field;
    bool quoted = false;
    bool atFieldStart = true;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (quoted) {
            if (c != u'"') {
                field += c;
            } else if (i + 1 < line.size() && line.at(i + 1) == u'"') {
                field += c;
                ++i;
            } else {
                quoted = false;
            }
        } else if (c == separator) {
            fields.append(field);
            field.clear();
            atFieldStart = true;
            continue;
        } else if (c == u'"' && atFieldStart) {
            quoted = true;
        } else {
            field += c;
        }
        atFieldStart = false;
    }
    fields.append(field);
    return fields;
}
