#include "tolerance/LimitsTable.h"

#include "core/TextEncoding.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

namespace {

constexpr int ColumnCount = 4;
constexpr std::array<QStringView, ColumnCount> ColumnNames{u"Typ", u"Wert", u"Min", u"Max"};
const QString AnyType = QStringLiteral("*");

// Why a line cannot be used.
struct LineError
{
    QString reason;
};

QString typeKey(const QString &type)
{
    return type.trimmed().toCaseFolded();
}

QString quoted(const QString &text)
{
    return QStringLiteral("„") + text + QStringLiteral("“");
}

// The fields of one line. A field that starts with a double quote runs to
// the next lone one; "" inside stands for one quote. Nothing when the quotes
// are not closed or text follows a closing one.
std::optional<QStringList> splitFields(QStringView line, QChar separator)
{
    QStringList fields;
    qsizetype pos = 0;
    while (true) {
        QString field;
        if (pos < line.size() && line[pos] == u'"') {
            ++pos;
            while (true) {
                if (pos >= line.size())
                    return std::nullopt;
                if (line[pos] == u'"') {
                    if (pos + 1 < line.size() && line[pos + 1] == u'"') {
                        field += u'"';
                        pos += 2;
                        continue;
                    }
                    ++pos;
                    break;
                }
                field += line[pos++];
            }
            while (pos < line.size() && line[pos] == u' ')
                ++pos;
            if (pos < line.size() && line[pos] != separator)
                return std::nullopt;
        } else {
            qsizetype end = line.indexOf(separator, pos);
            if (end < 0)
                end = line.size();
            field = line.sliced(pos, end - pos).toString();
            pos = end;
        }
        fields.append(field);
        if (pos >= line.size())
            return fields;
        ++pos; // the separator
    }
}

bool isHeader(const std::optional<QStringList> &fields)
{
    if (!fields || fields->size() != ColumnCount)
        return false;
    for (int i = 0; i < ColumnCount; ++i) {
        if (fields->at(i).trimmed().compare(ColumnNames[std::size_t(i)], Qt::CaseInsensitive) != 0)
            return false;
    }
    return true;
}

// A number with "." or "," as the decimal sign, no grouping; an exponent as
// a spreadsheet writes small numbers is allowed. Empty text: an open side.
std::optional<double> parseNumber(const QString &text, bool *ok)
{
    *ok = true;
    if (text.isEmpty())
        return std::nullopt;
    std::string ascii;
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
    QString type; // as written, blanks at both ends removed
    LimitValue value = LimitValue::PoleCount;
    Limit limit;
};

// Blank lines, and empty spreadsheet rows that come out as ";;;", give nothing.
std::optional<ParsedLine> parseLine(QStringView line, QChar separator, LineError *error)
{
    const std::optional<QStringList> fields = splitFields(line, separator);
    if (!fields) {
        error->reason = QStringLiteral("Anführungszeichen falsch gesetzt");
        return std::nullopt;
    }
    if (std::all_of(fields->begin(), fields->end(), [](const QString &f) { return f.trimmed().isEmpty(); }))
        return std::nullopt;
    if (fields->size() < ColumnCount) {
        error->reason = QStringLiteral("Spalte %1 fehlt").arg(quoted(ColumnNames[fields->size()].toString()));
        return std::nullopt;
    }
    if (fields->size() > ColumnCount) {
        error->reason = QStringLiteral("mehr als vier Spalten");
        return std::nullopt;
    }
    ParsedLine parsed;
    parsed.type = fields->at(0).trimmed();
    if (parsed.type.isEmpty()) {
        error->reason = QStringLiteral("Typ fehlt");
        return std::nullopt;
    }
    const QString valueName = fields->at(1).trimmed();
    const std::optional<LimitValue> value = limitValueFromName(valueName);
    if (!value) {
        error->reason = QStringLiteral("unbekannter Wert %1").arg(quoted(valueName));
        return std::nullopt;
    }
    parsed.value = *value;
    const QString minText = fields->at(2).trimmed();
    const QString maxText = fields->at(3).trimmed();
    bool ok = false;
    parsed.limit.min = parseNumber(minText, &ok);
    if (!ok) {
        error->reason = QStringLiteral("Min %1 ist keine Zahl").arg(quoted(minText));
        return std::nullopt;
    }
    parsed.limit.max = parseNumber(maxText, &ok);
    if (!ok) {
        error->reason = QStringLiteral("Max %1 ist keine Zahl").arg(quoted(maxText));
        return std::nullopt;
    }
    if (parsed.limit.min && parsed.limit.max && *parsed.limit.min > *parsed.limit.max) {
        error->reason = QStringLiteral("Min %1 ist größer als Max %2").arg(quoted(minText), quoted(maxText));
        return std::nullopt;
    }
    return parsed;
}

} // namespace

LimitsTable LimitsTable::parse(QByteArrayView fileBytes)
{
    const QString text = TextEncoding::decodeFile(fileBytes);
    const auto broken = [](int lineNumber, const QString &reason) {
        return LimitsTable(
            Status::Broken,
            QStringLiteral("Grenzwertdatei fehlerhaft: Zeile %1: %2").arg(lineNumber).arg(reason));
    };

    LimitsTable table;
    // The line each limit came from, to name it when one comes twice.
    QHash<QString, std::array<int, LimitValueCount>> lineOf;
    std::optional<QChar> separator;
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
                if (isHeader(splitFields(line, candidate)))
                    separator = candidate;
            }
            if (!separator)
                return broken(
                    lineNumber,
                    QStringLiteral("Kopfzeile %1 erwartet").arg(quoted(QStringLiteral("Typ;Wert;Min;Max"))));
            continue;
        }
        LineError error;
        const std::optional<ParsedLine> parsed = parseLine(line, *separator, &error);
        if (!parsed) {
            if (!error.reason.isEmpty())
                return broken(lineNumber, error.reason);
            continue;
        }
        const QString key = typeKey(parsed->type);
        const auto index = std::size_t(parsed->value);
        std::array<int, LimitValueCount> &lines = lineOf[key];
        if (lines[index] != 0) {
            return broken(lineNumber, QStringLiteral("Typ %1 mit Wert %2 schon in Zeile %3")
                                          .arg(quoted(parsed->type), quoted(limitValueName(parsed->value)))
                                          .arg(lines[index]));
        }
        lines[index] = lineNumber;
        table.m_types[key][index] = parsed->limit;
    }
    return table;
}

LimitsTable LimitsTable::read(const QString &path)
{
    if (!QFileInfo::exists(path))
        return LimitsTable(Status::Missing, QStringLiteral("Grenzwertdatei nicht gefunden"));
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
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
