#include "tolerance/LimitsTable.h"

#include "core/TextEncoding.h"

#include <QFile>
#include <QFileInfo>
#include <QVarLengthArray>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <list>
#include <string>

namespace {

constexpr int ColumnCount = 4;
constexpr std::array<QStringView, ColumnCount> ColumnNames{u"Typ", u"Wert", u"Min", u"Max"};
const QString AnyType = QStringLiteral("*");

// Far more than any table an engineer keeps (10,000 lines are some
// 350 KiB); a file chosen by mistake is not read into memory whole.
constexpr qint64 MaxFileSize = 16 * 1024 * 1024;

QString typeKey(QStringView type)
{
    return type.trimmed().toString().toCaseFolded();
}

QString quoted(const QString &text)
{
    return QStringLiteral("„") + text + QStringLiteral("“");
}

// The fields of one line, as views into it. A field that starts with a
// double quote runs to the next lone one; "" inside stands for one quote, and
// such a field's text is kept in `unescaped`. False when the quotes are not
// closed or text follows a closing one.
using Fields = QVarLengthArray<QStringView, 8>;
bool splitFields(QStringView line, QChar separator, Fields *fields, std::list<QString> *unescaped)
{
    fields->clear();
    qsizetype pos = 0;
    while (true) {
        QStringView field;
        if (pos < line.size() && line[pos] == u'"') {
            const qsizetype start = ++pos;
            bool doubled = false;
            while (true) {
                if (pos >= line.size())
                    return false;
                if (line[pos] == u'"') {
                    if (pos + 1 < line.size() && line[pos + 1] == u'"') {
                        doubled = true;
                        pos += 2;
                        continue;
                    }
                    break;
                }
                ++pos;
            }
            field = line.sliced(start, pos - start);
            ++pos; // the closing quote
            if (doubled) {
                unescaped->push_back(field.toString().replace(QStringLiteral("\"\""), QStringLiteral("\"")));
                field = unescaped->back();
            }
            while (pos < line.size() && line[pos] == u' ')
                ++pos;
            if (pos < line.size() && line[pos] != separator)
                return false;
        } else {
            qsizetype end = line.indexOf(separator, pos);
            if (end < 0)
                end = line.size();
            field = line.sliced(pos, end - pos);
            pos = end;
        }
        fields->append(field);
        if (pos >= line.size())
            return true;
        ++pos; // the separator
    }
}

bool isHeader(QStringView line, QChar separator)
{
    Fields fields;
    std::list<QString> unescaped;
    if (!splitFields(line, separator, &fields, &unescaped) || fields.size() != ColumnCount)
        return false;
    for (int i = 0; i < ColumnCount; ++i) {
        if (fields[i].trimmed().compare(ColumnNames[std::size_t(i)], Qt::CaseInsensitive) != 0)
            return false;
    }
    return true;
}

// A number with "." or "," as the decimal sign, no grouping; an exponent as
// a spreadsheet writes small numbers is allowed. Empty text: an open side.
std::optional<double> parseNumber(QStringView text, bool *ok)
{
    *ok = true;
    if (text.isEmpty())
        return std::nullopt;
    std::string ascii; // short enough for no allocation
    ascii.reserve(std::size_t(text.size()));
    qsizetype i = text.startsWith(u'+') ? 1 : 0; // from_chars takes no plus sign
    int decimalSigns = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c == u',' || c == u'.') {
            ++decimalSigns;
            ascii += '.';
        } else if ((c >= u'0' && c <= u'9') || c == u'-' || c == u'+' || c == u'e' || c == u'E') {
            ascii += char(c);
        } else {
            *ok = false;
            return std::nullopt;
        }
    }
    double value = 0.0;
    const char *end = ascii.data() + ascii.size();
    const std::from_chars_result parsed = std::from_chars(ascii.data(), end, value);
    *ok = decimalSigns <= 1 && parsed.ec == std::errc() && parsed.ptr == end && std::isfinite(value);
    if (!*ok)
        return std::nullopt;
    return value;
}

struct ParsedLine
{
    QStringView type; // blanks at both ends removed
    LimitValue value = LimitValue::PoleCount;
    Limit limit;
};

// Blank lines, and empty spreadsheet rows that come out as ";;;", give nothing.
std::optional<ParsedLine> parseLine(const Fields &fields, QString *error)
{
    if (std::all_of(fields.begin(), fields.end(), [](QStringView f) { return f.trimmed().isEmpty(); }))
        return std::nullopt;
    if (fields.size() < ColumnCount) {
        *error = QStringLiteral("Spalte %1 fehlt").arg(quoted(ColumnNames[fields.size()].toString()));
        return std::nullopt;
    }
    if (fields.size() > ColumnCount) {
        *error = QStringLiteral("mehr als vier Spalten");
        return std::nullopt;
    }
    ParsedLine parsed;
    parsed.type = fields[0].trimmed();
    if (parsed.type.isEmpty()) {
        *error = QStringLiteral("Typ fehlt");
        return std::nullopt;
    }
    const QStringView valueName = fields[1].trimmed();
    const std::optional<LimitValue> value = limitValueFromName(valueName);
    if (!value) {
        *error = QStringLiteral("unbekannter Wert %1").arg(quoted(valueName.toString()));
        return std::nullopt;
    }
    parsed.value = *value;
    const QStringView minText = fields[2].trimmed();
    const QStringView maxText = fields[3].trimmed();
    bool ok = false;
    parsed.limit.min = parseNumber(minText, &ok);
    if (!ok) {
        *error = QStringLiteral("Min %1 ist keine Zahl").arg(quoted(minText.toString()));
        return std::nullopt;
    }
    parsed.limit.max = parseNumber(maxText, &ok);
    if (!ok) {
        *error = QStringLiteral("Max %1 ist keine Zahl").arg(quoted(maxText.toString()));
        return std::nullopt;
    }
    if (parsed.limit.min && parsed.limit.max && *parsed.limit.min > *parsed.limit.max) {
        *error = QStringLiteral("Min %1 ist größer als Max %2")
                     .arg(quoted(minText.toString()), quoted(maxText.toString()));
        return std::nullopt;
    }
    return parsed;
}

} // namespace

LimitsTable LimitsTable::parse(QByteArrayView fileBytes)
{
    const QString text = TextEncoding::decodeFile(fileBytes);
    const auto broken = [](int lineNumber, const QString &reason) {
        return LimitsTable(Status::Broken, QStringLiteral("Grenzwertdatei fehlerhaft: Zeile %1: %2")
                                               .arg(QString::number(lineNumber), reason));
    };

    // Each type's limits with the line each came from, to name it when one
    // comes twice.
    struct TypeLines
    {
        Limits limits;
        std::array<int, LimitValueCount> lines{};
    };
    QHash<QString, TypeLines> types;
    std::optional<QChar> separator;
    Fields fields;
    std::list<QString> unescaped;
    int lineNumber = 0;
    qsizetype start = 0;
    while (start <= text.size()) {
        qsizetype end = text.indexOf(u'\n', start);
        if (end < 0)
            end = text.size();
        QStringView line = QStringView(text).sliced(start, end - start);
        if (line.endsWith(u'\r'))
            line.chop(1);
        start = end + 1;
        ++lineNumber;

        if (!separator) {
            for (const QChar candidate : {u';', u'\t', u','}) {
                if (isHeader(line, candidate))
                    separator = candidate;
            }
            if (!separator)
                return broken(
                    lineNumber,
                    QStringLiteral("Kopfzeile %1 erwartet").arg(quoted(QStringLiteral("Typ;Wert;Min;Max"))));
            continue;
        }
        unescaped.clear();
        if (!splitFields(line, *separator, &fields, &unescaped))
            return broken(lineNumber, QStringLiteral("Anführungszeichen falsch gesetzt"));
        QString error;
        const std::optional<ParsedLine> parsed = parseLine(fields, &error);
        if (!parsed) {
            if (!error.isEmpty())
                return broken(lineNumber, error);
            continue;
        }
        const auto index = std::size_t(parsed->value);
        TypeLines &type = types[typeKey(parsed->type)];
        if (type.lines[index] != 0) {
            return broken(lineNumber,
                          QStringLiteral("Typ %1 mit Wert %2 schon in Zeile %3")
                              .arg(quoted(parsed->type.toString()), quoted(limitValueName(parsed->value)),
                                   QString::number(type.lines[index])));
        }
        type.lines[index] = lineNumber;
        type.limits[index] = parsed->limit;
    }
    LimitsTable table;
    table.m_types.reserve(types.size());
    for (auto it = types.cbegin(); it != types.cend(); ++it)
        table.m_types.insert(it.key(), it->limits);
    return table;
}

LimitsTable LimitsTable::read(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return LimitsTable(Status::Missing, QStringLiteral("Grenzwertdatei nicht gefunden"));
    if (info.size() > MaxFileSize)
        return LimitsTable(Status::Unreadable, QStringLiteral("Grenzwertdatei zu groß"));
    QFile file(path);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly))
        return LimitsTable(Status::Unreadable, QStringLiteral("Grenzwertdatei nicht lesbar"));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return LimitsTable(Status::Unreadable, QStringLiteral("Grenzwertdatei nicht lesbar"));
    return parse(bytes);
}

LimitsTable::Limits LimitsTable::limitsFor(const QString &type) const
{
    Limits limits;
    const QString key = typeKey(type);
    const auto own = key.isEmpty() ? m_types.constEnd() : m_types.constFind(key);
    const auto any = m_types.constFind(AnyType);
    for (std::size_t i = 0; i < limits.size(); ++i) {
        if (own != m_types.constEnd() && (*own)[i])
            limits[i] = (*own)[i];
        else if (any != m_types.constEnd())
            limits[i] = (*any)[i];
    }
    return limits;
}
