#include "diag/ListviewColResize.h"

#include <QHeaderView>
#include <QTreeWidget>
#include <algorithm>

namespace {

// The widest cell; QTreeView keeps its override protected.
[[nodiscard]] int widestCell(const QTreeWidget *list, int index)
{
    return static_cast<const QAbstractItemView *>(list)->sizeHintForColumn(index);
}

[[nodiscard]] bool isReportView(const QTreeWidget *list)
{
    return !list->isHeaderHidden();
}

// The larger of the header text and the widest cell.
[[nodiscard]] int contentsWidth(const QTreeWidget *list, int index)
{
    const int header = list->header()->sectionSizeHint(index);
    return std::max(header, widestCell(list, index));
}

void fitLastColumn(QTreeWidget *list, int index)
{
    QHeaderView *header = list->header();
    const int needed = contentsWidth(list, index);
    const int remaining = list->viewport()->width() - header->sectionPosition(index);
    // Stretching fills the rest of the list; where the rest is too narrow the
    // text wins and the list scrolls sideways instead.
    if (remaining >= needed) {
        header->setStretchLastSection(true);
    } else {
        header->setStretchLastSection(false);
        header->resizeSection(index, needed);
    }
}

} // namespace

void ResizeAllColumns(QTreeWidget *list, int sizing)
{
    const int count = list->columnCount();
    for (int column = 1; column <= count; ++column)
        ResizeColumn(list, column, sizing);
}

void ResizeColumn(QTreeWidget *list, int column, int sizing)
{
    if (!isReportView(list) || column < 1 || column > list->columnCount())
        return;
    const int index = column - 1;
    QHeaderView *header = list->header();
    const bool last = index == list->columnCount() - 1;
    // A stretched last column would ignore any width given to it.
    if (last)
        header->setStretchLastSection(false);
    switch (sizing) {
    case ColumnWidth::AutoSizeUseHeader:
        if (last)
            fitLastColumn(list, index);
        else
            header->resizeSection(index, contentsWidth(list, index));
        break;
    case ColumnWidth::AutoSize:
        // An empty list has no widest cell; keep the column grabbable.
        header->resizeSection(index, std::max(widestCell(list, index), header->minimumSectionSize()));
        break;
    default:
        if (sizing >= 0)
            header->resizeSection(index, sizing);
        break;
    }
}
