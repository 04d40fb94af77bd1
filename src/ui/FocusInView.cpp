#include "ui/FocusInView.h"

#include <QApplication>
#include <QMdiArea>
#include <QScrollBar>
#include <algorithm>

namespace {

// How far to scroll so that [low, high] lies within [0, size]; the start
// wins where the control is larger than the visible part.
int shiftFor(int low, int high, int size)
{
    if (low < 0)
        return low;
    if (high > size)
        return std::min(high - size, low);
    return 0;
}

} // namespace

FocusInView::FocusInView(QMdiArea *area) : QObject(area), m_area(area)
{
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) { show(now); });
}

void FocusInView::show(QWidget *focused)
{
    QWidget *viewport = m_area->viewport();
    if (!focused || !viewport->isAncestorOf(focused))
        return;
    const QRect place(focused->mapTo(viewport, QPoint(0, 0)), focused->size());
    QScrollBar *horizontal = m_area->horizontalScrollBar();
    QScrollBar *vertical = m_area->verticalScrollBar();
    horizontal->setValue(horizontal->value() + shiftFor(place.left(), place.right() + 1, viewport->width()));
    vertical->setValue(vertical->value() + shiftFor(place.top(), place.bottom() + 1, viewport->height()));
}
