#include "store/Capability.h"

#include <algorithm>
#include <cmath>

namespace {

using Sides = CapabilityFigures::Sides;

Sides sidesOf(std::optional<double> lower, std::optional<double> upper)
{
    if (lower && upper)
        return Sides::Both;
    if (upper)
        return Sides::UpperOnly;
    if (lower)
        return Sides::LowerOnly;
    return Sides::None;
}

struct Indices
{
    std::optional<double> potential; // Cp or Pp
    std::optional<double> actual;    // Cpk or Ppk
};

Indices indices(double mean, double sigma, Sides sides, std::optional<double> lower,
                std::optional<double> upper)
{
    if (!(sigma > 0.0) || !std::isfinite(sigma))
        return {};
    const auto above = [&] { return (*upper - mean) / (3.0 * sigma); };
    const auto below = [&] { return (mean - *lower) / (3.0 * sigma); };
    switch (sides) {
    case Sides::Both:
        return {(*upper - *lower) / (6.0 * sigma), std::min(above(), below())};
    case Sides::UpperOnly:
        return {std::nullopt, above()};
    case Sides::LowerOnly:
        return {std::nullopt, below()};
    case Sides::None:
        break;
    }
    return {};
}

} // namespace

CapabilityFigures capability(std::span<const double> values, std::optional<double> lower,
                             std::optional<double> upper)
{
    CapabilityFigures figures;
    figures.n = static_cast<int>(values.size());
    figures.sides = sidesOf(lower, upper);
    if (values.empty())
        return figures;

    const auto [low, high] = std::minmax_element(values.begin(), values.end());
    figures.min = *low;
    figures.max = *high;
    double sum = 0.0;
    for (const double value : values)
        sum += value;
    const double mean = sum / double(values.size());
    figures.mean = mean;
    if (values.size() < 2)
        return figures;

    // Two passes: the squares of the deviations, not of the values, so that
    // large values with a small spread keep their digits.
    double squares = 0.0;
    double ranges = 0.0;
    for (std::size_t i = 0; i < values.size(); ++i) {
        squares += (values[i] - mean) * (values[i] - mean);
        if (i > 0)
            ranges += std::abs(values[i] - values[i - 1]);
    }
    const double overall = std::sqrt(squares / double(values.size() - 1));
    const double within = ranges / double(values.size() - 1) / MovingRangeD2;
    figures.standardDeviation = overall;

    // An exact value has no tolerance to spread into.
    if (lower && upper && *lower == *upper)
        return figures;
    const Indices shortTerm = indices(mean, within, figures.sides, lower, upper);
    const Indices longTerm = indices(mean, overall, figures.sides, lower, upper);
    figures.cp = shortTerm.potential;
    figures.cpk = shortTerm.actual;
    figures.pp = longTerm.potential;
    figures.ppk = longTerm.actual;
    return figures;
}
