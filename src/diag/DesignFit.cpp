#include "diag/DesignFit.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>

namespace {
constexpr qreal SmallestPoints = 6.0;
constexpr qreal Step = 0.25;
} // namespace

void fitCaptions(QWidget *root)
{
    const QList<QLabel *> labels = root->findChildren<QLabel *>();
    for (QLabel *label : labels) {
        if (label->text().isEmpty() || label->wordWrap())
            continue;
        QFont font = label->font();
        if (font.pointSizeF() <= 0)
            continue;
        const int room = label->contentsRect().width();
        bool changed = false;
        while (QFontMetrics(font).horizontalAdvance(label->text()) > room &&
               font.pointSizeF() - Step >= SmallestPoints) {
            font.setPointSizeF(font.pointSizeF() - Step);
            changed = true;
        }
        if (changed)
            label->setFont(font);
    }
}

void fitToEntries(QComboBox *list)
{
    const int needed = list->sizeHint().width();
    if (needed > list->width())
        list->resize(needed, list->height());
}
