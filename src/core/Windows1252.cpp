#include "core/Windows1252.h"

#include <QChar>
#include <array>

namespace {
// 0x80..0x9F; the five unassigned bytes map to the C1 controls of the same value.
constexpr std::array<char16_t, 32> HighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// What becomes of one character: a byte, nothing, or a refusal.
struct Unit
{
    enum class Kind { Byte, Dropped, Unholdable };
    Kind kind = Kind::Unholdable;
    char byte = 0;
};

constexpr Unit byte(char value)
{
    return {Unit::Kind::Byte, value};
}

Unit exactUnit(char32_t code)
{
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF))
        return byte(char(code));
    for (std::size_t i = 0; i < HighControls.size(); ++i) {
        if (HighControls[i] == code)
            return byte(char(0x80 + i));
    }
    return {};
}

// Minus signs, grouping spaces and direction marks that regional settings
// put into numbers; as "?" a record would lose its sign. Nothing else.
Unit regionalUnit(char32_t code)
{
    switch (code) {
    case 0x2212: // minus sign
    case 0x2010: // hyphen
    case 0x2011: // non-breaking hyphen
        return byte('-');
    case 0x202F: // narrow no-break space
    case 0x2009: // thin space
    case 0x2007: // figure space
    case 0x2008: // punctuation space
        return byte('\xA0');
    case 0x200E: // left-to-right mark
    case 0x200F: // right-to-left mark
    case 0x061C: // Arabic letter mark, part of the Arabic minus sign
        return {Unit::Kind::Dropped};
    default:
        return {};
    }
}

Unit dataFileUnit(char32_t code)
{
    if (const Unit exact = exactUnit(code); exact.kind != Unit::Kind::Unholdable)
        return exact;
    // Arabic-Indic, Persian and other scripts' digits: a spreadsheet reads only 0-9.
    if (QChar::category(code) == QChar::Number_DecimalDigit)
        return byte(char('0' + QChar::digitValue(code)));
    return regionalUnit(code);
}

// Calls take(code) for each character; a character beyond the basic plane is
// one character, half a surrogate pair stands for itself.
template <typename Take> void forEachCharacter(QStringView text, Take take)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t code = text[i].unicode();
        if (QChar::isHighSurrogate(code) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            code = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        }
        if (!take(code))
            return;
    }
}

} // namespace

QByteArray Windows1252::encode(QStringView text)
{
    QByteArray out;
    out.reserve(text.size());
    forEachCharacter(text, [&out](char32_t code) {
        Unit unit = exactUnit(code);
        if (unit.kind == Unit::Kind::Unholdable)
            unit = regionalUnit(code);
        if (unit.kind == Unit::Kind::Byte)
            out += unit.byte;
        else if (unit.kind == Unit::Kind::Unholdable)
            out += '?';
        return true;
    });
    return out;
}

QString Windows1252::decode(QByteArrayView bytes)
{
    QString out;
    out.resize(bytes.size());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        out[i] = QChar(byte >= 0x80 && byte < 0xA0 ? HighControls[byte - 0x80] : char16_t(byte));
    }
    return out;
}

Windows1252::Checked Windows1252::encodeChecked(QStringView text, Mapping mapping)
{
    Checked checked;
    checked.bytes.reserve(text.size());
    forEachCharacter(text, [&](char32_t code) {
        const Unit unit = mapping == Mapping::Exact ? exactUnit(code) : dataFileUnit(code);
        if (unit.kind == Unit::Kind::Unholdable) {
            checked.unholdable = code;
            return false;
        }
        if (unit.kind == Unit::Kind::Byte)
            checked.bytes += unit.byte;
        return true;
    });
    if (checked.unholdable)
        checked.bytes.clear();
    return checked;
}

bool Windows1252::canHold(QStringView text, Mapping mapping)
{
    return encodeChecked(text, mapping).ok();
}

QString Windows1252::describe(char32_t character)
{
    // A control character or half a surrogate pair has no glyph to quote.
    const bool printable = QChar::isPrint(character) && !QChar::isSurrogate(character);
    const QString code =
        QStringLiteral("U+") + QString::number(uint(character), 16).toUpper().rightJustified(4, u'0');
    if (!printable)
        return code;
    return QStringLiteral("\u201E") + QString::fromUcs4(&character, 1) + QStringLiteral("\u201C (") + code +
           QLatin1Char(')');
}
