#pragma once

#include <QtGlobal>
#include <span>
#include <vector>

// A trend of many more points than the plot has pixel columns looks the same
// drawn from a few points per column: the first, the lowest, the highest and
// the last. Times ascending; the columns split [first time, last time] evenly.
namespace TrendDecimation {

// The indices of the points to draw, ascending: all of them when there are
// no more points than columns, else at most four per column.
[[nodiscard]] std::vector<std::size_t> forWidth(std::span<const qint64> times, std::span<const double> values,
                                                int columns);

// Of the candidates (indices, ascending), at most the highest and the lowest
// of each column: markers stay few however many points lie outside.
[[nodiscard]] std::vector<std::size_t> extremesPerColumn(std::span<const qint64> times,
                                                         std::span<const double> values,
                                                         std::span<const std::size_t> candidates,
                                                         int columns);

} // namespace TrendDecimation
