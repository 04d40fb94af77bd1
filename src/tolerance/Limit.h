#pragma once

#include "tolerance/LimitValue.h"

#include <QLocale>
#include <QString>
#include <optional>

// One line of the limits table: either side may be open; Min = Max asks for
// an exact value.
struct Limit
{
    std::optional<double> min;
    std::optional<double> max;

    // Inside when Min <= value <= Max; an absent value is outside any limit.
    [[nodiscard]] bool holds(std::optional<double> value) const;

    // "Grenze: 2,0 … 4,0" with the locale's decimal sign and at least as many
    // decimals as the value's field shows; "Grenze: ≥ 2,0" or "Grenze: ≤ 4,0"
    // for an open side, "Grenze: genau 4" for an exact value and
    // "Grenze: beliebiger Wert" when both sides are open.
    [[nodiscard]] QString text(LimitValue value, const QLocale &locale) const;

    friend bool operator==(const Limit &, const Limit &) = default;
};
