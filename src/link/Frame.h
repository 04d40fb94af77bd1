#pragma once

#include "core/Limits.h"
#include "core/UserMessage.h"

#include <QByteArray>
#include <QLocale>
#include <QStringList>
#include <array>
#include <cstdint>
#include <optional>

// The instrument's measurement frame: 26 bytes, STX at position 1, ETX at 26,
// checksum at 25 = XOR of positions 2..24; multi-byte fields big-endian.
namespace Frame {
inline constexpr int Length = 26;
inline constexpr int BufferSize = Quoran::ReceptionSize;
inline constexpr std::uint8_t Stx = 0x02;
inline constexpr std::uint8_t Etx = 0x03;
} // namespace Frame

// The received bytes at positions 1..100; positions not received read as 0,
// bytes beyond 100 are dropped.
class ReceptionBuffer
{
public:
    ReceptionBuffer() = default;
    explicit ReceptionBuffer(const QByteArray &received) { fill(received); }

    void clear();
    void fill(const QByteArray &received);                      // clears first
    [[nodiscard]] std::uint8_t at(int position) const;          // 1-based; 0 outside 1..100
    [[nodiscard]] int receivedCount() const { return m_count; } // at most 100
    [[nodiscard]] QByteArray received() const;                  // the stored bytes

private:
    std::array<std::uint8_t, Frame::BufferSize> m_bytes{};
    int m_count = 0;
};

enum class FrameCheck { Valid, WrongStartByte, WrongEndByte, WrongChecksum };

// The three checks in their order; the first failure decides.
[[nodiscard]] FrameCheck checkFrame(const ReceptionBuffer &buffer);
// Title "Fehler: Datenempfang" and the check's text; empty for Valid.
[[nodiscard]] UserMessage checkMessage(FrameCheck check);

struct MeasurementRecord
{
    int poleCount = 0;
    std::optional<double> speed; // absent when the period is 0
    double voltageConstant = 0.0;
    double voltage = 0.0;
    float electricalAngle = 0.0F;
    float mechanicalAngle = 0.0F;
    std::int16_t teeth = 0;
    std::int16_t offsetU = 0;
    std::int16_t offsetV = 0;
    std::int16_t offsetW = 0;
};

[[nodiscard]] MeasurementRecord decodeFrame(const ReceptionBuffer &buffer);

// Display texts of fields 2..8 of the measurement log (pole count, speed,
// voltage constant, voltage, electrical and mechanical angle, teeth), with
// their framing blanks; an absent speed gives an empty text.
[[nodiscard]] QStringList displayTexts(const MeasurementRecord &record, const QLocale &locale = QLocale());

// The constant frame that replaces the reception in demo mode.
[[nodiscard]] QByteArray demoFrame();
