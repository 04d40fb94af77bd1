#include "diag/InspectorRows.h"

#include "core/Limits.h"
#include "link/FrameReader.h"
#include "link/ReadStatus.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>

namespace {

enum class Reading {
    Unsigned, // plain value of the bytes
    Signed,   // two's complement at the field's width
    Angle,    // AngleFromHex
};

struct Field
{
    const char *datenfeld;
    int position; // 1-based, in the frame
    int length;
    Reading reading;
    const char *beschreibung;
};

constexpr const char *OffsetText = "####, Anzahl Geberzähne seit Referenzmarke";

constexpr std::array<Field, InspectorRowCount> Fields{{
    {"STX", 1, 1, Reading::Unsigned, "###, ASCII 2"},
    {"Polzahl", 2, 1, Reading::Unsigned, "##"},
    {"Drehgeschwindigkeit", 3, 2, Reading::Unsigned, "#### ms, Drehzahl=240000/dauer"},
    {"Spannungskonstante", 5, 4, Reading::Signed, "###.## V/krmp"},
    {"Spannung", 9, 4, Reading::Signed, "###.# V, Phase-Phase"},
    {"el. Winkel", 13, 2, Reading::Angle, "###.# °"},
    {"mech. Winkel", 15, 2, Reading::Angle, "###.# °"},
    {"Geberzähne", 17, 2, Reading::Signed, "####, Anzahl Geberzähne"},
    {"Offset Phase U", 19, 2, Reading::Signed, OffsetText},
    {"Offset Phase V", 21, 2, Reading::Signed, OffsetText},
    {"Offset Phase W", 23, 2, Reading::Signed, OffsetText},
    {"Checksumme", 25, 1, Reading::Unsigned, "###, XOR-Verknüpfung aller Datenbytes (ohne STX, CRC, ETX)"},
    {"ETX", 26, 1, Reading::Unsigned, "###, ASCII 3"},
}};

constexpr int MaxBytes = Quoran::ReceptionSize;

[[nodiscard]] QString hexEntry(std::uint8_t byte)
{
    return QStringLiteral("%1").arg(byte, 2, 16, QLatin1Char('0')).toUpper();
}

[[nodiscard]] QString decimalEntry(std::uint8_t byte)
{
    return QStringLiteral("%1").arg(byte, 3, 10, QLatin1Char('0'));
}

// The Dez cell from the bytes that arrived of a field. A field cut short by
// the end of the reception reads as the shorter number it then is.
[[nodiscard]] QString decimalText(const Field &field, std::uint32_t raw, int available, const QString &hex,
                                  const QLocale &locale)
{
    switch (field.reading) {
    case Reading::Unsigned:
        return QString::number(raw);
    case Reading::Signed: {
        const int bits = 8 * field.length;
        if (available == field.length && (raw >> (bits - 1)) != 0)
            return QString::number(std::int64_t(raw) - (std::int64_t(1) << bits));
        return QString::number(raw);
    }
    case Reading::Angle:
        return angleText(AngleFromHex(hex), locale);
    }
    return {};
}

} // namespace

InspectorView inspectReception(const QByteArray &received, const QLocale &locale)
{
    const auto count = int(std::min<qsizetype>(received.size(), MaxBytes));
    const auto byteAt = [&received](int position) { return std::uint8_t(received.at(position - 1)); };

    InspectorView view;
    QStringList hexEntries;
    QStringList decimalEntries;
    for (int position = 1; position <= count; ++position) {
        hexEntries << hexEntry(byteAt(position));
        decimalEntries << decimalEntry(byteAt(position));
    }
    view.hexList = hexEntries.join(QLatin1Char(','));
    view.decimalList = decimalEntries.join(QLatin1Char(','));

    for (int index = 0; index < InspectorRowCount; ++index) {
        const Field &field = Fields[std::size_t(index)];
        const int available = std::min(field.length, count - field.position + 1);
        // Without its first byte a field has no value at all.
        if (available <= 0)
            break;
        QString hex = QStringLiteral("&H");
        std::uint32_t raw = 0;
        for (int offset = 0; offset < available; ++offset) {
            const std::uint8_t byte = byteAt(field.position + offset);
            hex += hexEntry(byte);
            raw = (raw << 8) | byte;
        }
        view.rows.append({index + 1, QString::fromUtf8(field.datenfeld), QString::number(field.length), hex,
                          decimalText(field, raw, available, hex, locale),
                          QString::fromUtf8(field.beschreibung)});
    }
    return view;
}

float AngleFromHex(const QString &hexText)
{
    QString digits = hexText.trimmed();
    if (digits.startsWith(QLatin1String("&H"), Qt::CaseInsensitive))
        digits = digits.mid(2);
    bool ok = false;
    qint64 value = digits.toLongLong(&ok, 16) & 0xFFFF;
    if (!ok)
        value = 0;
    if (value > 32767)
        value = (65536 - value) * -1;
    return static_cast<float>(double(value) / 10.0);
}

QString angleText(float angle, const QLocale &locale)
{
    // Fixed notation keeps 3000 from turning into "3e+03".
    std::array<char, 64> buffer{};
    const auto [end, error] =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), angle, std::chars_format::fixed);
    if (error != std::errc())
        return {};
    QString text = QString::fromLatin1(buffer.data(), end - buffer.data());
    text.replace(QLatin1Char('.'), locale.decimalPoint());
    return text;
}

QString rowKey(int zeile)
{
    return QStringLiteral("Zeile%1").arg(zeile);
}

QString inspectorStatusText(const ReadResult &result, const QTime &time)
{
    QString text = readStatusText(result, std::nullopt, time);
    // The inspector reads from a port of its own; say whose read it was.
    const qsizetype afterTime = text.indexOf(QLatin1Char(' ')) + 1;
    text.insert(afterTime, QStringLiteral("Debuggen: "));
    return text;
}
