#include "review/ReviewLimits.h"

#include "store/ReviewSource.h"

#include <QJsonArray>

namespace {

std::optional<double> sideOf(const QJsonValue &value)
{
    return value.isDouble() ? std::optional<double>(value.toDouble()) : std::nullopt;
}

} // namespace

LimitValue limitValueOf(ReviewQuantity quantity)
{
    switch (quantity) {
    case ReviewQuantity::ElectricalAngle:
        return LimitValue::ElectricalAngle;
    case ReviewQuantity::MechanicalAngle:
        return LimitValue::MechanicalAngle;
    case ReviewQuantity::VoltageConstant:
        return LimitValue::VoltageConstant;
    case ReviewQuantity::Voltage:
        return LimitValue::Voltage;
    case ReviewQuantity::Speed:
        return LimitValue::Speed;
    case ReviewQuantity::OffsetU:
        return LimitValue::OffsetU;
    case ReviewQuantity::OffsetV:
        return LimitValue::OffsetV;
    case ReviewQuantity::OffsetW:
        break;
    }
    return LimitValue::OffsetW;
}

ReviewLimits::ReviewLimits(const QString &limitsFile)
{
    if (!limitsFile.isEmpty())
        m_file.emplace(limitsFile);
}

ReviewLimits::Found ReviewLimits::limitFor(ReviewSource &source, const QString &type, ReviewQuantity quantity)
{
    const LimitValue value = limitValueOf(quantity);
    if (m_file) {
        const LimitsTable &table = m_file->table();
        if (!table.isUsable())
            return {std::nullopt, table.errorText()};
        const std::optional<Limit> limit = table.limitsFor(type)[std::size_t(value)];
        return {limit, limit ? QStringLiteral("Grenzwertdatei") : QStringLiteral("keine Grenzwerte")};
    }
    const Fetched<QJsonObject> stored = source.latestLimits(type);
    const QJsonValue pair = stored.value.value(limitValueName(value));
    if (!pair.isArray())
        return {std::nullopt, QStringLiteral("keine Grenzwerte")};
    const QJsonArray sides = pair.toArray();
    const Limit limit{sideOf(sides.at(0)), sideOf(sides.at(1))};
    if (!limit.min && !limit.max)
        return {std::nullopt, QStringLiteral("keine Grenzwerte")};
    return {limit, QStringLiteral("wie zuletzt bewertet")};
}
