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
