#include "review/ReviewValueText.h"

#include "link/DisplayPattern.h"

namespace {

const QString Missing = QStringLiteral("–");

} // namespace

QString reviewValueText(ReviewQuantity quantity, std::optional<double> value, const QLocale &locale)
{
    if (!value)
        return Missing;
    switch (quantity) {
    case ReviewQuantity::ElectricalAngle:
    case ReviewQuantity::MechanicalAngle:
    case ReviewQuantity::Voltage:
        return formatPattern(*value, DisplayPattern::OneDecimal, locale).trimmed();
    case ReviewQuantity::VoltageConstant:
        return formatPattern(*value, DisplayPattern::OneOrTwoDecimals, locale).trimmed();
    case ReviewQuantity::Speed:
        return formatPattern(*value, DisplayPattern::Grouped, locale).trimmed();
    case ReviewQuantity::OffsetU:
    case ReviewQuantity::OffsetV:
    case ReviewQuantity::OffsetW:
        break;
    }
    return locale.toString(*value, 'g', 10);
}

QString reviewCountText(std::optional<int> value, const QLocale &locale)
{
    return value ? locale.toString(*value) : Missing;
}
