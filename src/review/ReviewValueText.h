#pragma once

#include "store/ReviewData.h"

#include <QLocale>
#include <QString>

#include <optional>

// A measured value as the log window and the data file show it: the
// record's own pattern per quantity, so a stored 4.0 reads "4,0" and not "4".
[[nodiscard]] QString reviewValueText(ReviewQuantity quantity, std::optional<double> value,
                                      const QLocale &locale = QLocale());
// Counts (pole count, teeth, offsets): "–" when absent.
[[nodiscard]] QString reviewCountText(std::optional<int> value, const QLocale &locale = QLocale());
