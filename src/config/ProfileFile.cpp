#include "config/ProfileFile.h"

#include "core/Windows1252.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

const QByteArray crLf = QByteArrayLiteral("\r\n");

// One line of the file as it stands on disk; text without its line end.
struct Line
{
    QByteArray text;
    QByteArray end; // "\r\n", "\n", or empty for a last line without one
};

enum class LineKind { Other, Section, Key };

struct ParsedLine
{
    LineKind kind = LineKind::Other;
    QString name;             // section or key name, trimmed
    QByteArrayView nameBytes; // the same as it stands in the file
    QByteArrayView value;     // keys only: raw bytes after the first "=", untrimmed
};

[[nodiscard]] bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

[[nodiscard]] QByteArrayView trimmed(QByteArrayView bytes)
{
    qsizetype begin = 0;
    qsizetype end = bytes.size();
    while (begin < end && isBlank(bytes[begin]))
        ++begin;
    while (end > begin && isBlank(bytes[end - 1]))
        --end;
    return bytes.sliced(begin, end - begin);
}

[[nodiscard]] ParsedLine parse(const QByteArray &text)
{
    const QByteArrayView line = trimmed(text);
    if (line.isEmpty())
        return {};
    if (line.front() == '[') {
        const qsizetype close = line.indexOf(']');
        if (close > 0) {
            const QByteArrayView name = trimmed(line.sliced(1, close - 1));
            return {LineKind::Section, Windows1252::decode(name), name, {}};
        }
    }
    // As on Windows, a line without "=" is a key with an empty value, so that
    // reading and writing agree on which line a key is.
    const qsizetype equals = line.indexOf('=');
    if (equals < 0)
        return {LineKind::Key, Windows1252::decode(line), line, {}};
    const QByteArrayView name = trimmed(line.first(equals));
    return {LineKind::Key, Windows1252::decode(name), name, line.sliced(equals + 1)};
}

[[nodiscard]] bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

[[nodiscard]] QString valueText(QByteArrayView raw)
{
    QString value = Windows1252::decode(trimmed(raw));
    if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"')))
        value = value.sliced(1, value.size() - 2);
    return value;
}

// A line break inside a name or value would split the line and change the
// file's structure.
[[nodiscard]] QString singleLine(QString text)
{
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

class Document
{
public:
    explicit Document(const QByteArray &bytes)
    {
        qsizetype start = 0;
        while (start < bytes.size()) {
            const qsizetype newline = bytes.indexOf('\n', start);
            if (newline < 0) {
                m_lines.append({bytes.sliced(start), {}});
                break;
            }
            const bool crBefore = newline > start && bytes.at(newline - 1) == '\r';
            const qsizetype textEnd = crBefore ? newline - 1 : newline;
            m_lines.append({bytes.sliced(start, textEnd - start), crBefore ? crLf : QByteArrayLiteral("\n")});
            start = newline + 1;
        }
    }

    [[nodiscard]] QByteArray bytes() const
    {
        QByteArray out;
        for (const Line &line : m_lines)
            out += line.text + line.end;
        return out;
    }

    [[nodiscard]] std::optional<QString> value(const QString &section, const QString &key) const
    {
        const qsizetype header = findSection(section);
        if (header < 0)
            return std::nullopt;
        const qsizetype keyLine = findKey(header, key);
        if (keyLine < 0)
            return std::nullopt;
        return valueText(parse(m_lines.at(keyLine).text).value);
    }

    void set(const QString &section, const QString &key, const QString &value)
    {
        const QByteArray valueBytes = Windows1252::encode(singleLine(value));
        const QByteArray keyLine = Windows1252::encode(singleLine(key)) + '=' + valueBytes;
        const qsizetype header = findSection(section);
        if (header < 0) {
            endLastLine();
            m_lines.append(
                {Windows1252::encode(QLatin1Char('[') + singleLine(section) + QLatin1Char(']')), crLf});
            m_lines.append({keyLine, crLf});
            return;
        }
        if (const qsizetype existing = findKey(header, key); existing >= 0) {
            // Only the value changes; the key keeps its spelling in the file.
            const QByteArray name = parse(m_lines.at(existing).text).nameBytes.toByteArray();
            m_lines[existing] = {name + '=' + valueBytes, crLf};
            return;
        }
        // After the section's last non-blank line, so that a blank line
        // separating it from the next section stays where it is.
        qsizetype after = header;
        const qsizetype end = sectionEnd(header);
        for (qsizetype i = header + 1; i < end; ++i) {
            if (!trimmed(m_lines.at(i).text).isEmpty())
                after = i;
        }
        if (m_lines.at(after).end.isEmpty())
            m_lines[after].end = crLf;
        m_lines.insert(after + 1, {keyLine, crLf});
    }

private:
    [[nodiscard]] qsizetype findSection(const QString &section) const
    {
        for (qsizetype i = 0; i < m_lines.size(); ++i) {
            const ParsedLine parsed = parse(m_lines.at(i).text);
            if (parsed.kind == LineKind::Section && sameName(parsed.name, section))
                return i;
        }
        return -1;
    }

    // One past the last line of the section whose header is at index header.
    [[nodiscard]] qsizetype sectionEnd(qsizetype header) const
    {
        for (qsizetype i = header + 1; i < m_lines.size(); ++i) {
            if (parse(m_lines.at(i).text).kind == LineKind::Section)
                return i;
        }
        return m_lines.size();
    }

    [[nodiscard]] qsizetype findKey(qsizetype header, const QString &key) const
    {
        for (qsizetype i = header + 1; i < m_lines.size(); ++i) {
            const ParsedLine parsed = parse(m_lines.at(i).text);
            if (parsed.kind == LineKind::Section)
                return -1;
            if (parsed.kind == LineKind::Key && sameName(parsed.name, key))
                return i;
        }
        return -1;
    }

    void endLastLine()
    {
        if (!m_lines.isEmpty() && m_lines.last().end.isEmpty())
            m_lines.last().end = crLf;
    }

    QList<Line> m_lines;
};

// The file's bytes; empty for a missing file; nothing when it exists but
// cannot be read (then it must not be replaced either).
[[nodiscard]] std::optional<QByteArray> load(const QString &path)
{
    QFile file(path);
    if (!file.exists())
        return QByteArray();
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

[[nodiscard]] bool store(const QString &path, const QByteArray &bytes)
{
    // QSaveFile also refuses an existing file that is read-only, as Windows does.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace

namespace ProfileFile {

struct Snapshot::Data
{
    Document document;
};

Snapshot::Snapshot() : m_data(std::make_shared<const Data>(Data{Document(QByteArray())})) {}

Snapshot Snapshot::read(const QString &path)
{
    Snapshot snapshot;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly))
        snapshot.m_data = std::make_shared<const Data>(Data{Document(file.readAll())});
    return snapshot;
}

std::optional<QString> Snapshot::value(const QString &section, const QString &key) const
{
    return m_data->document.value(section, key);
}

std::optional<QString> read(const QString &path, const QString &section, const QString &key)
{
    return Snapshot::read(path).value(section, key);
}

QList<std::optional<QString>> read(const QString &path, const QString &section, const QStringList &keys)
{
    const Snapshot snapshot = Snapshot::read(path);
    QList<std::optional<QString>> values(keys.size());
    for (qsizetype i = 0; i < keys.size(); ++i)
        values[i] = snapshot.value(section, keys.at(i));
    return values;
}

bool write(const QString &path, const QString &section, const QString &key, const QString &value)
{
    return write(path, QList<Entry>{{section, key, value}});
}

bool write(const QString &path, const QList<Entry> &entries)
{
    const std::optional<QByteArray> before = load(path);
    if (!before)
        return false;
    Document document(*before);
    for (const Entry &entry : entries)
        document.set(entry.section, entry.key, entry.value);
    const QByteArray after = document.bytes();
    if (after == *before && QFileInfo::exists(path))
        return true;
    return store(path, after);
}

} // namespace ProfileFile
