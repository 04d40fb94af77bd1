#pragma once

#include "link/Frame.h"

#include <QString>
#include <QStringView>
#include <array>
#include <optional>

// The values of a reading a limit can be set on, in the data file's column
// order (Polzahl is column 3, Geberzähne column 9; the log window's fields
// 2 + int(value)), then the three offsets, which have neither.
enum class LimitValue {
    PoleCount,
    Speed,
    VoltageConstant,
    Voltage,
    ElectricalAngle,
    MechanicalAngle,
    Teeth,
    OffsetU,
    OffsetV,
    OffsetW,
};

inline constexpr int LimitValueCount = 10;
inline constexpr std::array<LimitValue, LimitValueCount> AllLimitValues{
    LimitValue::PoleCount, LimitValue::Speed,           LimitValue::VoltageConstant,
    LimitValue::Voltage,   LimitValue::ElectricalAngle, LimitValue::MechanicalAngle,
    LimitValue::Teeth,     LimitValue::OffsetU,         LimitValue::OffsetV,
    LimitValue::OffsetW,
};

// The German name as the table's column "Wert" writes it, e.g. "el. Winkel".
[[nodiscard]] QString limitValueName(LimitValue value);
// The value a name stands for; exact spelling.
[[nodiscard]] std::optional<LimitValue> limitValueFromName(QStringView name);

// The value as it is compared: a single-precision angle as the shortest
// decimal that reads back as it (2.8F is 2.8). Nothing for an absent speed.
[[nodiscard]] std::optional<double> measuredValue(const MeasurementRecord &record, LimitValue value);
