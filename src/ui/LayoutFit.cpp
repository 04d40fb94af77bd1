#include "ui/LayoutFit.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>

namespace {

constexpr qreal SmallestPoints = 6.0;
constexpr qreal PointStep = 0.25;

[[nodiscard]] bool fits(const QFont &font, const QLabel *label)
{
    // The sign before an access key is not drawn; the key is underlined.
    QString shown = label->text();
    if (label->buddy())
        shown.remove(QLatin1Char('&'));
    return QFontMetrics(font).horizontalAdvance(shown) <= label->contentsRect().width();
}

void fitCaption(QLabel *label)
{
    QFont font = label->font();
    if (label->text().isEmpty() || label->wordWrap() || fits(font, label))
        return;
    // Narrower letters first, so the caption keeps its size as they stay readable at their size.
    for (int stretch = QFont::Unstretched - 1; stretch >= QFont::ExtraCondensed && !fits(font, label);
         --stretch)
        font.setStretch(stretch);
    // Only a caption far too long for its place gets smaller as well.
    while (!fits(font, label) && font.pointSizeF() - PointStep >= SmallestPoints)
        font.setPointSizeF(font.pointSizeF() - PointStep);
    label->setFont(font);
}

} // namespace

void fitCaptions(QWidget *root)
{
    const QList<QLabel *> labels = root->findChildren<QLabel *>();
    for (QLabel *label : labels)
        fitCaption(label);
}

void fitToEntries(QComboBox *list)
{
    const int needed = list->sizeHint().width();
    if (needed > list->width())
        list->resize(needed, list->height());
}
