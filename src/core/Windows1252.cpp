#include "core/Windows1252.h"

#include <array>
#include <optional>

namespace {
// 0x80..0x9F; the five unassigned bytes map to the C1 controls of the same value.
constexpr std::array<char16_t, 32> HighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// The byte for one character, or nothing for a character that is left out.
std::optional<char> encodeUnit(char16_t unit)
{
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF))
        return char(unit);
    for (std::size_t i = 0; i < HighControls.size(); ++i) {
        if (HighControls[i] == unit)
            return char(0x80 + i);
    }
    // Minus signs, grouping spaces and direction marks that regional settings
    // put into numbers; as "?" a record would lose its sign. Nothing else.
    switch (unit) {
    case 0x2212: // minus sign
    case 0x2010: // hyphen
    case 0x2011: // non-breaking hyphen
        return '-';
    case 0x202F: // narrow no-break space
    case 0x2009: // thin space
    case 0x2007: // figure space
    case 0x2008: // punctuation space
        return '\xA0';
    case 0x200E: // left-to-right mark
    case 0x200F: // right-to-left mark
        return std::nullopt;
    default:
        return '?';
    }
}
} // namespace

QByteArray Windows1252::encode(QStringView text)
{
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        // A character beyond the basic plane is one character, so one "?".
        if (QChar::isHighSurrogate(unit) && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        if (QChar::isSurrogate(unit))
            out += '?';
        else if (const std::optional<char> byte = encodeUnit(unit))
            out += *byte;
    }
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
