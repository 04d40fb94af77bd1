#pragma once

class QTreeWidget;

// Column widths of a list in report view. A QTreeWidget counts as being in
// report view while its header is shown: without column headers there are
// no columns to fit.
namespace ColumnWidth {
inline constexpr int AutoSize = -1;          // the widest cell
inline constexpr int AutoSizeUseHeader = -2; // the larger of header and widest cell
} // namespace ColumnWidth

// Sizes columns 1..count, each as ResizeColumn does.
void ResizeAllColumns(QTreeWidget *list, int sizing);
// column counts from 1; sizing is a width in pixels, AutoSize or
// AutoSizeUseHeader. AutoSizeUseHeader stretches the last column over the
// rest of the list, but never below what its header and cells need. Anything
// else (no report view, a column outside 1..count) changes nothing.
void ResizeColumn(QTreeWidget *list, int column, int sizing);
