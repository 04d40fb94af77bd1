#pragma once

// Sizes the instrument and the data file fix for every part of the program.
namespace Quoran {
// Bytes kept of one reception; the rest is dropped.
inline constexpr int ReceptionSize = 100;
// Columns of one record in the data file and fields of the measurement log.
inline constexpr int ColumnCount = 12;
} // namespace Quoran
