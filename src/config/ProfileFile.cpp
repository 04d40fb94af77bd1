#include "config/ProfileFile.h"

#include "config/ProfileFileLeftovers.h"
#include "core/FolderSync.h"
#include "core/TextEncoding.h"
#include "core/Windows1252.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>

namespace {

const QByteArray crLf = QByteArrayLiteral("\r\n");
const QByteArray utf8Bom = QByteArrayLiteral("\xEF\xBB\xBF");

// The file's text encoding (TextEncoding). A file keeps its encoding and its
// mark, until a value comes that Windows-1252 cannot hold: then it becomes
// UTF-8 with a mark.
using Encoding = TextEncoding;

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

[[nodiscard]] ParsedLine parse(const QByteArray &text, const Encoding &encoding)
{
    const QByteArrayView line = trimmed(text);
    if (line.isEmpty())
        return {};
    if (line.front() == '[') {
        const qsizetype close = line.indexOf(']');
        if (close > 0) {
            const QByteArrayView name = trimmed(line.sliced(1, close - 1));
            return {LineKind::Section, encoding.decode(name), name, {}};
        }
    }
    // As on Windows, a line without "=" is a key with an empty value, so that
    // reading and writing agree on which line a key is.
    const qsizetype equals = line.indexOf('=');
    if (equals < 0)
        return {LineKind::Key, encoding.decode(line), line, {}};
    const QByteArrayView name = trimmed(line.first(equals));
    return {LineKind::Key, encoding.decode(name), name, line.sliced(equals + 1)};
}

[[nodiscard]] bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

[[nodiscard]] QString valueText(QByteArrayView raw, const Encoding &encoding)
{
    QString value = encoding.decode(trimmed(raw));
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
    explicit Document(const QByteArray &fileBytes) : m_encoding(Encoding::of(fileBytes))
    {
        // The mark is no part of the first line, or its section could not be found.
        QByteArray bytes = m_encoding.bom ? fileBytes.sliced(utf8Bom.size()) : fileBytes;
        // A mark before text that is no UTF-8: the text is Windows-1252, and
        // becomes the UTF-8 the mark promises, so no byte turns into U+FFFD.
        if (m_encoding.bom && !Encoding::isUtf8(bytes))
            bytes = Windows1252::decode(bytes).toUtf8();
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
        // Lines this program writes end as the file's first line does; a new file's in CR LF.
        if (!m_lines.isEmpty() && m_lines.constFirst().end == "\n")
            m_lineEnd = m_lines.constFirst().end;
    }

    [[nodiscard]] QByteArray bytes() const
    {
        QByteArray out = m_encoding.bom ? utf8Bom : QByteArray();
        for (const Line &line : m_lines)
            out += line.text + line.end;
        return out;
    }

    // Every key's line, under its section's and its own case-folded name,
    // from one pass over the file. First match wins, as set() finds it.
    using KeyIndex = QHash<QString, QHash<QString, qsizetype>>;
    [[nodiscard]] KeyIndex keyIndex() const
    {
        KeyIndex index;
        QHash<QString, qsizetype> *keys = nullptr;
        for (qsizetype i = 0; i < m_lines.size(); ++i) {
            const ParsedLine parsed = parsedLine(i);
            if (parsed.kind == LineKind::Section) {
                const QString name = parsed.name.toCaseFolded();
                // A later header of a section already seen opens nothing new.
                keys = index.contains(name) ? nullptr : &index[name];
            } else if (parsed.kind == LineKind::Key && keys) {
                if (const QString name = parsed.name.toCaseFolded(); !keys->contains(name))
                    keys->insert(name, i);
            }
        }
        return index;
    }

    [[nodiscard]] QString valueAt(qsizetype line) const
    {
        return valueText(parsedLine(line).value, m_encoding);
    }

    void set(const QString &section, const QString &key, const QString &value)
    {
        // Never a "?" in place of a character: a path must still lead to its folder.
        if (!m_encoding.canHold(section) || !m_encoding.canHold(key) || !m_encoding.canHold(value))
            switchToUtf8();
        const QByteArray valueBytes = m_encoding.encode(singleLine(value));
        const QByteArray keyLine = m_encoding.encode(singleLine(key)) + '=' + valueBytes;
        const qsizetype header = findSection(section);
        if (header < 0) {
            endLastLine();
            m_lines.append(
                {m_encoding.encode(QLatin1Char('[') + singleLine(section) + QLatin1Char(']')), m_lineEnd});
            m_lines.append({keyLine, m_lineEnd});
            return;
        }
        if (const qsizetype existing = findKey(header, key); existing >= 0) {
            // Only the value changes; the key keeps its spelling in the file.
            const QByteArray name = parsedLine(existing).nameBytes.toByteArray();
            m_lines[existing] = {name + '=' + valueBytes, m_lineEnd};
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
            m_lines[after].end = m_lineEnd;
        m_lines.insert(after + 1, {keyLine, m_lineEnd});
    }

private:
    // Every line keeps its text; only its bytes change.
    void switchToUtf8()
    {
        for (Line &line : m_lines)
            line.text = Windows1252::decode(line.text).toUtf8();
        m_encoding = {true, true};
    }

    [[nodiscard]] ParsedLine parsedLine(qsizetype index) const
    {
        return parse(m_lines.at(index).text, m_encoding);
    }

    [[nodiscard]] qsizetype findSection(const QString &section) const
    {
        for (qsizetype i = 0; i < m_lines.size(); ++i) {
            const ParsedLine parsed = parsedLine(i);
            if (parsed.kind == LineKind::Section && sameName(parsed.name, section))
                return i;
        }
        return -1;
    }

    // One past the last line of the section whose header is at index header.
    [[nodiscard]] qsizetype sectionEnd(qsizetype header) const
    {
        for (qsizetype i = header + 1; i < m_lines.size(); ++i) {
            if (parsedLine(i).kind == LineKind::Section)
                return i;
        }
        return m_lines.size();
    }

    [[nodiscard]] qsizetype findKey(qsizetype header, const QString &key) const
    {
        for (qsizetype i = header + 1; i < m_lines.size(); ++i) {
            const ParsedLine parsed = parsedLine(i);
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
            m_lines.last().end = m_lineEnd;
    }

    Encoding m_encoding;
    QList<Line> m_lines;
    QByteArray m_lineEnd = crLf;
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
    // QSaveFile writes through a symbolic link: its copy and the rename are
    // in the target's folder.
    const QString canonical = QFileInfo(path).canonicalFilePath();
    const QString written = canonical.isEmpty() ? QFileInfo(path).absoluteFilePath() : canonical;
    ProfileFileLeftovers::removeStale(written);
    // QSaveFile also refuses an existing file that is read-only, as Windows does.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    if (!file.commit())
        return false;
    return syncFolderOf(QFile::encodeName(written)) == 0;
}

} // namespace

namespace ProfileFile {

// The file parsed once: each value found through the index, not by reading
// the lines again (a long-used bench's file may hold thousands of them).
struct Snapshot::Data
{
    explicit Data(const QByteArray &bytes) : document(bytes), index(document.keyIndex()) {}

    Document document;
    Document::KeyIndex index;
};

Snapshot::Snapshot() : m_data(std::make_shared<const Data>(QByteArray())) {}

Snapshot Snapshot::read(const QString &path)
{
    Snapshot snapshot;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly))
        snapshot.m_data = std::make_shared<const Data>(file.readAll());
    return snapshot;
}

std::optional<QString> Snapshot::value(const QString &section, const QString &key) const
{
    const auto keys = m_data->index.constFind(section.toCaseFolded());
    if (keys == m_data->index.cend())
        return std::nullopt;
    const auto line = keys->constFind(key.toCaseFolded());
    if (line == keys->cend())
        return std::nullopt;
    return m_data->document.valueAt(*line);
}

std::optional<QString> read(const QString &path, const QString &section, const QString &key)
{
    return Snapshot::read(path).value(section, key);
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
