#include "tolerance/Limit.h"

#include <charconv>

namespace {

// Decimals the value's field shows at least, and whether it groups digits.
struct Shape
{
    int decimals = 0;
    bool grouped = false;
};

Shape shapeOf(LimitValue value)
{
    switch (value) {
    case LimitValue::Speed:
    case LimitValue::Teeth:
        return {0, true};
    case LimitValue::VoltageConstant:
    case LimitValue::Voltage:
    case LimitValue::ElectricalAngle:
    case LimitValue::MechanicalAngle:
        return {1, false};
    default:
        return {0, false};
    }
}

// Decimals of the shortest fixed text that reads back as the number, so a
// limit of 2,05 is never shown rounded to 2,1.
int exactDecimals(double number)
{
    std::array<char, 400> digits{};
    const std::to_chars_result written =
        std::to_chars(digits.data(), digits.data() + digits.size(), number, std::chars_format::fixed);
    const std::string_view text(digits.data(), std::size_t(written.ptr - digits.data()));
    const std::size_t point = text.find('.');
    return point == std::string_view::npos ? 0 : int(text.size() - point - 1);
}

QString numberText(double number, LimitValue value, const QLocale &locale)
{
    const Shape shape = shapeOf(value);
    QLocale shown = locale;
    if (!shape.grouped)
        shown.setNumberOptions(shown.numberOptions() | QLocale::OmitGroupSeparator);
    return shown.toString(number, 'f', std::max(shape.decimals, exactDecimals(number)));
}

} // namespace

bool Limit::holds(std::optional<double> value) const
{
    if (!value)
        return false;
    return (!min || *min <= *value) && (!max || *value <= *max);
}

QString Limit::text(LimitValue value, const QLocale &locale) const
{
    const QString prefix = QStringLiteral("Grenze: ");
    if (min && max && *min == *max)
        return prefix + QStringLiteral("genau ") + numberText(*min, value, locale);
    if (min && max)
        return prefix + numberText(*min, value, locale) + QStringLiteral(" … ") +
               numberText(*max, value, locale);
    if (min)
        return prefix + QStringLiteral("≥ ") + numberText(*min, value, locale);
    if (max)
        return prefix + QStringLiteral("≤ ") + numberText(*max, value, locale);
    return prefix + QStringLiteral("beliebiger Wert");
}
