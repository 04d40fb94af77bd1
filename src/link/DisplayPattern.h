#pragma once

#include <QLocale>
#include <QString>

// The number patterns of the measurement record, each framed by one blank
// before and after; grouping and decimal characters from the locale,
// rounding half away from zero.
enum class DisplayPattern {
    Integer,          // " #0 "
    Grouped,          // " #,##0 "
    OneOrTwoDecimals, // " ##0.0# "  (second decimal only when not zero)
    OneDecimal,       // " ##0.0 "
};

[[nodiscard]] QString formatPattern(double value, DisplayPattern pattern, const QLocale &locale = QLocale());
// For single-precision values: rounds the float's own shortest decimal text,
// so 2.8F shows as 2.8 and not as the 2.7999999523 of its double.
[[nodiscard]] QString formatFloatPattern(float value, DisplayPattern pattern,
                                         const QLocale &locale = QLocale());
