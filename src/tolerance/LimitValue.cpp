#include "tolerance/LimitValue.h"

#include <charconv>

namespace {

// The data file's column names and the inspector's names of the offsets.
constexpr std::array<QStringView, LimitValueCount> Names{
    u"Polzahl",      u"Drehzahl",   u"Spannungskonstante", u"Spannung (Phase-Phase)", u"el. Winkel",
    u"mech. Winkel", u"Geberzähne", u"Offset Phase U",     u"Offset Phase V",         u"Offset Phase W",
};

// 2.8F is 2.7999999523 as a double; its shortest decimal is what the
// instrument meant and what the window shows.
double shortestDecimal(float value)
{
    std::array<char, 32> digits{};
    const std::to_chars_result written = std::to_chars(digits.data(), digits.data() + digits.size(), value);
    double result = value;
    std::from_chars(digits.data(), written.ptr, result);
    return result;
}

} // namespace

QString limitValueName(LimitValue value)
{
    return Names[std::size_t(value)].toString();
}

std::optional<LimitValue> limitValueFromName(QStringView name)
{
    for (std::size_t i = 0; i < Names.size(); ++i) {
        if (Names[i] == name)
            return AllLimitValues[i];
    }
    return std::nullopt;
}

std::optional<double> measuredValue(const MeasurementRecord &record, LimitValue value)
{
    switch (value) {
    case LimitValue::PoleCount:
        return record.poleCount;
    case LimitValue::Speed:
        return record.speed;
    case LimitValue::VoltageConstant:
        return record.voltageConstant;
    case LimitValue::Voltage:
        return record.voltage;
    case LimitValue::ElectricalAngle:
        return shortestDecimal(record.electricalAngle);
    case LimitValue::MechanicalAngle:
        return shortestDecimal(record.mechanicalAngle);
    case LimitValue::Teeth:
        return record.teeth;
    case LimitValue::OffsetU:
        return record.offsetU;
    case LimitValue::OffsetV:
        return record.offsetV;
    case LimitValue::OffsetW:
        return record.offsetW;
    }
    return std::nullopt;
}
