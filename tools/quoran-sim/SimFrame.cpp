#include "SimFrame.h"

#include <QRegularExpression>

namespace {
void putBigEndian(QByteArray &frame, int offset, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        frame[offset + i] = static_cast<char>((value >> (8 * (bytes - 1 - i))) & 0xFFU);
}
} // namespace

namespace SimFrame {

std::uint8_t checksum(const QByteArray &frame)
{
    std::uint8_t sum = 0;
    for (int offset = 1; offset <= 23 && offset < frame.size(); ++offset)
        sum ^= static_cast<std::uint8_t>(frame.at(offset));
    return sum;
}

QByteArray build(const SimFields &fields)
{
    QByteArray frame(Length, '\0');
    frame[0] = 0x02;
    frame[1] = static_cast<char>(fields.poles);
    putBigEndian(frame, 2, fields.period, 2);
    putBigEndian(frame, 4, static_cast<std::uint32_t>(fields.kv), 4);
    putBigEndian(frame, 8, static_cast<std::uint32_t>(fields.voltage), 4);
    putBigEndian(frame, 12, static_cast<std::uint16_t>(fields.elAngle), 2);
    putBigEndian(frame, 14, static_cast<std::uint16_t>(fields.mechAngle), 2);
    putBigEndian(frame, 16, static_cast<std::uint16_t>(fields.teeth), 2);
    putBigEndian(frame, 18, static_cast<std::uint16_t>(fields.offsetU), 2);
    putBigEndian(frame, 20, static_cast<std::uint16_t>(fields.offsetV), 2);
    putBigEndian(frame, 22, static_cast<std::uint16_t>(fields.offsetW), 2);
    frame[24] = static_cast<char>(checksum(frame));
    frame[25] = 0x03;
    return frame;
}

QByteArray answer(const SimMode &mode)
{
    if (mode.silent)
        return {};
    QByteArray bytes = mode.raw ? *mode.raw : build(mode.fields);
    // Each fault changes exactly one thing, so the program's checks can be
    // told apart: 0x55 is neither STX nor ETX.
    if (mode.badStart && !bytes.isEmpty())
        bytes[0] = 0x55;
    if (mode.badEnd && bytes.size() >= Length)
        bytes[Length - 1] = 0x55;
    if (mode.badChecksum && bytes.size() >= Length - 1)
        bytes[Length - 2] = static_cast<char>(bytes.at(Length - 2) ^ 0xFF);
    if (mode.longLength) {
        // A counting pattern after the frame shows which bytes were kept.
        for (int i = static_cast<int>(bytes.size()); i < *mode.longLength; ++i)
            bytes.append(static_cast<char>(i & 0xFF));
    }
    if (mode.shortLength)
        bytes.truncate(*mode.shortLength);
    return bytes;
}

std::optional<QByteArray> parseHex(const QString &text)
{
    static const QRegularExpression separators(QStringLiteral("[\\s,;:]+"));
    QByteArray bytes;
    for (const QString &part : text.split(separators, Qt::SkipEmptyParts)) {
        QString digits = part;
        if (digits.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
            digits = digits.mid(2);
        // Accept "0204" as two bytes as well as "02 04".
        if (digits.isEmpty() || digits.size() % 2 != 0)
            return std::nullopt;
        for (int i = 0; i < digits.size(); i += 2) {
            bool ok = false;
            const uint value = digits.mid(i, 2).toUInt(&ok, 16);
            if (!ok)
                return std::nullopt;
            bytes.append(static_cast<char>(value));
        }
    }
    if (bytes.isEmpty())
        return std::nullopt;
    return bytes;
}

QString toHex(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

} // namespace SimFrame
