#include "tolerance/Verdict.h"

#include <QJsonArray>

#include <algorithm>

namespace {

QJsonValue side(const std::optional<double> &bound)
{
    return bound ? QJsonValue(*bound) : QJsonValue(QJsonValue::Null);
}

} // namespace

Verdict Verdict::judge(const LimitsTable &table, const QString &type, const MeasurementRecord &record)
{
    Verdict verdict;
    if (!table.isUsable()) {
        verdict.m_kind = Kind::Error;
        verdict.m_error = table.errorText();
        return verdict;
    }
    verdict.m_limits = table.limitsFor(type);
    for (const LimitValue value : AllLimitValues) {
        const std::optional<Limit> &limit = verdict.m_limits[std::size_t(value)];
        if (limit && !limit->holds(measuredValue(record, value)))
            verdict.m_outside.append(value);
    }
    const bool anyLimit = std::any_of(verdict.m_limits.begin(), verdict.m_limits.end(),
                                      [](const std::optional<Limit> &limit) { return limit.has_value(); });
    verdict.m_kind = !anyLimit ? Kind::None : verdict.m_outside.isEmpty() ? Kind::Pass : Kind::Fail;
    return verdict;
}

QString Verdict::text() const
{
    switch (m_kind) {
    case Kind::Pass:
        return QStringLiteral("i.O.");
    case Kind::Fail:
        return QStringLiteral("n.i.O.");
    case Kind::None:
        return QStringLiteral("keine Grenzwerte");
    case Kind::Error:
        return m_error;
    }
    return {};
}

QStringList Verdict::outsideNames() const
{
    QStringList names;
    for (const LimitValue value : m_outside)
        names.append(limitValueName(value));
    return names;
}

QJsonObject Verdict::toJson() const
{
    static constexpr std::array<const char *, 4> KindNames{"pass", "fail", "none", "error"};
    QJsonObject limits;
    for (const LimitValue value : AllLimitValues) {
        if (const std::optional<Limit> &limit = m_limits[std::size_t(value)])
            limits.insert(limitValueName(value), QJsonArray{side(limit->min), side(limit->max)});
    }
    return QJsonObject{
        {QStringLiteral("verdict"), QLatin1StringView(KindNames[std::size_t(m_kind)])},
        {QStringLiteral("outside"), QJsonArray::fromStringList(outsideNames())},
        {QStringLiteral("limits"), limits},
    };
}
