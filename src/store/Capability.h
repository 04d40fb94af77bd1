#pragma once

#include <optional>
#include <span>

// Process capability of one quantity from consecutive values.
struct CapabilityFigures
{
    // Which limits the indices use: with one side open only that side's
    // index (CPU or CPL, PPU or PPL) stands as Cpk and Ppk, and Cp, Pp are absent.
    enum class Sides { None, Both, UpperOnly, LowerOnly };

    int n = 0;
    std::optional<double> mean;
    std::optional<double> standardDeviation; // overall, n - 1 in the divisor
    std::optional<double> min;
    std::optional<double> max;
    Sides sides = Sides::None;
    std::optional<double> cp;
    std::optional<double> cpk;
    std::optional<double> pp;
    std::optional<double> ppk;
};

// The moving-range constant d2 for ranges of two values.
inline constexpr double MovingRangeD2 = 1.128;

// values in time order; lower and upper the limits (absent: that side open).
// Cp, Cpk use the within sigma, mean moving range / d2; Pp, Ppk the overall
// standard deviation. With fewer than two values, limits Min = Max (an exact
// value) or a sigma of 0 the indices are absent.
[[nodiscard]] CapabilityFigures capability(std::span<const double> values, std::optional<double> lower,
                                           std::optional<double> upper);
