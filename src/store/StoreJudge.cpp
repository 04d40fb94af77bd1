#include "store/StoreJudge.h"

#include "tolerance/LimitsTable.h"
#include "tolerance/Verdict.h"

#include <QJsonArray>

namespace StoreJudge {
namespace {

std::optional<QJsonObject> appliedLimits(const QJsonObject &limits)
{
    return limits.isEmpty() ? std::nullopt : std::optional<QJsonObject>(limits);
}

QJsonValue side(const std::optional<double> &bound)
{
    return bound ? QJsonValue(*bound) : QJsonValue(QJsonValue::Null);
}

std::optional<double> valueOf(const MeasuredValues &values, LimitValue value)
{
    switch (value) {
    case LimitValue::PoleCount:
        return values.poleCount;
    case LimitValue::Speed:
        return values.speed;
    case LimitValue::VoltageConstant:
        return values.voltageConstant;
    case LimitValue::Voltage:
        return values.voltage;
    case LimitValue::ElectricalAngle:
        return values.electricalAngle;
    case LimitValue::MechanicalAngle:
        return values.mechanicalAngle;
    case LimitValue::Teeth:
        return values.teeth;
    case LimitValue::OffsetU:
    case LimitValue::OffsetV:
    case LimitValue::OffsetW:
        break;
    }
    return std::nullopt;
}

bool isOffset(LimitValue value)
{
    return value == LimitValue::OffsetU || value == LimitValue::OffsetV || value == LimitValue::OffsetW;
}

} // namespace

StoreVerdict fromVerdict(const Verdict &verdict)
{
    const QJsonObject json = verdict.toJson();
    StoreVerdict stored;
    stored.verdict = json.value(QLatin1StringView("verdict")).toString();
    stored.outside = verdict.outsideNames();
    stored.limits = appliedLimits(json.value(QLatin1StringView("limits")).toObject());
    return stored;
}

ImportJudge forImport(const LimitsTable &table)
{
    return [table](const MeasuredValues &values, const QString &type) {
        if (!table.isUsable())
            return StoreVerdict{QStringLiteral("error"), {}, std::nullopt};
        const LimitsTable::Limits limits = table.limitsFor(type);
        QJsonObject applied;
        QStringList outside;
        for (const LimitValue value : AllLimitValues) {
            const std::optional<Limit> &limit = limits[std::size_t(value)];
            if (!limit || isOffset(value))
                continue;
            applied.insert(limitValueName(value), QJsonArray{side(limit->min), side(limit->max)});
            if (!limit->holds(valueOf(values, value)))
                outside.append(limitValueName(value));
        }
        const QString verdict = applied.isEmpty()   ? QStringLiteral("none")
                                : outside.isEmpty() ? QStringLiteral("pass")
                                                    : QStringLiteral("fail");
        return StoreVerdict{verdict, outside, appliedLimits(applied)};
    };
}

} // namespace StoreJudge
