#include "link/Frame.h"

#include "link/DisplayPattern.h"

#include <algorithm>

namespace {

std::uint16_t unsigned16(const ReceptionBuffer &buffer, int position)
{
    return std::uint16_t((buffer.at(position) << 8) | buffer.at(position + 1));
}

std::int16_t signed16(const ReceptionBuffer &buffer, int position)
{
    return static_cast<std::int16_t>(unsigned16(buffer, position));
}

std::int32_t signed32(const ReceptionBuffer &buffer, int position)
{
    const std::uint32_t raw = (std::uint32_t(buffer.at(position)) << 24) |
                              (std::uint32_t(buffer.at(position + 1)) << 16) |
                              (std::uint32_t(buffer.at(position + 2)) << 8) | buffer.at(position + 3);
    return static_cast<std::int32_t>(raw);
}

constexpr int ChecksumPosition = 25;
constexpr int FirstDataPosition = 2;
constexpr int LastDataPosition = 24;

} // namespace

void ReceptionBuffer::clear()
{
    m_bytes.fill(0);
    m_count = 0;
}

void ReceptionBuffer::fill(const QByteArray &received)
{
    clear();
    m_count = int(std::min<qsizetype>(received.size(), Frame::BufferSize));
    std::copy_n(reinterpret_cast<const std::uint8_t *>(received.constData()), m_count, m_bytes.begin());
}

std::uint8_t ReceptionBuffer::at(int position) const
{
    if (position < 1 || position > Frame::BufferSize)
        return 0;
    return m_bytes[std::size_t(position - 1)];
}

QByteArray ReceptionBuffer::received() const
{
    return QByteArray(reinterpret_cast<const char *>(m_bytes.data()), m_count);
}

FrameCheck checkFrame(const ReceptionBuffer &buffer)
{
    if (buffer.at(1) != Frame::Stx)
        return FrameCheck::WrongStartByte;
    if (buffer.at(Frame::Length) != Frame::Etx)
        return FrameCheck::WrongEndByte;
    std::uint8_t checksum = 0;
    for (int position = FirstDataPosition; position <= LastDataPosition; ++position)
        checksum ^= buffer.at(position);
    if (checksum != buffer.at(ChecksumPosition))
        return FrameCheck::WrongChecksum;
    return FrameCheck::Valid;
}

UserMessage checkMessage(FrameCheck check)
{
    const QString title = QStringLiteral("Fehler: Datenempfang");
    switch (check) {
    case FrameCheck::Valid:
        return {};
    case FrameCheck::WrongStartByte:
        return {title, QStringLiteral("Als Startbyte wurde ein falscher Wert empfangen...")};
    case FrameCheck::WrongEndByte:
        return {title, QStringLiteral("Als Endbyte wurde ein falscher Wert empfangen...")};
    case FrameCheck::WrongChecksum:
        return {title, QStringLiteral("Die Prüfsumme der empfangenen Daten ist falsch...")};
    }
    return {};
}

MeasurementRecord decodeFrame(const ReceptionBuffer &buffer)
{
    MeasurementRecord record;
    record.poleCount = buffer.at(2);
    // The instrument sends a period; a zero period has no speed, the rest of
    // the frame is still good.
    if (const std::uint16_t period = unsigned16(buffer, 3); period != 0)
        record.speed = 240000.0 / period;
    record.voltageConstant = signed32(buffer, 5) / 100.0;
    record.voltage = signed32(buffer, 9) / 10.0;
    record.electricalAngle = float(signed16(buffer, 13)) / 10.0F;
    record.mechanicalAngle = float(signed16(buffer, 15)) / 10.0F;
    record.teeth = signed16(buffer, 17);
    record.offsetU = signed16(buffer, 19);
    record.offsetV = signed16(buffer, 21);
    record.offsetW = signed16(buffer, 23);
    return record;
}

QStringList displayTexts(const MeasurementRecord &record, const QLocale &locale)
{
    QStringList texts;
    texts.reserve(7);
    texts << formatPattern(record.poleCount, DisplayPattern::Integer, locale)
          << (record.speed ? formatPattern(*record.speed, DisplayPattern::Grouped, locale) : QString())
          << formatPattern(record.voltageConstant, DisplayPattern::OneOrTwoDecimals, locale)
          << formatPattern(record.voltage, DisplayPattern::OneDecimal, locale)
          << formatFloatPattern(record.electricalAngle, DisplayPattern::OneDecimal, locale)
          << formatFloatPattern(record.mechanicalAngle, DisplayPattern::OneDecimal, locale)
          << formatPattern(record.teeth, DisplayPattern::Grouped, locale);
    return texts;
}

QByteArray demoFrame()
{
    static constexpr std::array<std::uint8_t, Frame::Length> bytes{
        0x02, 0x04, 0x00, 0xF9, 0x00, 0x00, 0x00, 0x1C, 0x00, 0x00, 0x01, 0x14, 0x00,
        0x1C, 0x00, 0x0E, 0x01, 0x00, 0x00, 0x01, 0x00, 0x56, 0x00, 0x2B, 0x9B, 0x03};
    return QByteArray(reinterpret_cast<const char *>(bytes.data()), Frame::Length);
}
