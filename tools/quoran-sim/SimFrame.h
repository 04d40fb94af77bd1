#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

// Field values the simulated instrument holds in its data-hold mode, in the
// raw units it sends them. The defaults give the program's demo frame.
struct SimFields
{
    std::uint8_t poles = 4;
    std::uint16_t period = 249;  // ms
    std::int32_t kv = 28;        // 0.01 V/krpm
    std::int32_t voltage = 276;  // 0.1 V
    std::int16_t elAngle = 28;   // 0.1 degree
    std::int16_t mechAngle = 14; // 0.1 degree
    std::int16_t teeth = 256;
    std::int16_t offsetU = 1;
    std::int16_t offsetV = 86;
    std::int16_t offsetW = 43;

    friend bool operator==(const SimFields &, const SimFields &) = default;
};

// How the instrument answers a request; changeable between requests.
struct SimMode
{
    SimFields fields{};
    std::optional<QByteArray> raw{}; // sent as given instead of a built frame
    bool silent = false;             // never answers (not in data-hold mode)
    int lateMs = 0;                  // answer this long after the request
    bool badStart = false;
    bool badEnd = false;
    bool badChecksum = false;
    std::optional<int> shortLength{}; // send only the first N bytes
    std::optional<int> longLength{};  // pad the answer to N bytes
    bool paced = false;               // one byte per 9600-baud byte time
    bool hangUp = false;              // on a request, close the line instead of answering

    friend bool operator==(const SimMode &, const SimMode &) = default;
};

namespace SimFrame {
inline constexpr int Length = 26;
// One 8N1 character at 9600 baud: 10 bits.
inline constexpr int ByteTimeUs = 1'042;

// XOR of positions 2..24 (offsets 1..23) of a frame; missing bytes count as 0.
[[nodiscard]] std::uint8_t checksum(const QByteArray &frame);
// The 26-byte frame for the fields, checksum computed.
[[nodiscard]] QByteArray build(const SimFields &fields);
// What the instrument sends for one request under the mode (empty when silent).
[[nodiscard]] QByteArray answer(const SimMode &mode);
// Bytes from text such as "02 04 00 F9" or "0204,00f9"; nullopt on bad text.
[[nodiscard]] std::optional<QByteArray> parseHex(const QString &text);
// "02 04 00 F9"
[[nodiscard]] QString toHex(const QByteArray &bytes);
} // namespace SimFrame
