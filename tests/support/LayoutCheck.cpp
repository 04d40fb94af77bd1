#include "support/LayoutCheck.h"

#include "ui/Twips.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
QString describe(const QRect &rect)
{
    return QStringLiteral("(%1,%2 %3x%4)").arg(rect.x()).arg(rect.y()).arg(rect.width()).arg(rect.height());
}
} // namespace

QString placementProblem(const QWidget *control, const QRect &twips)
{
    const QRect laidOut = Twips::toPixels(twips.x(), twips.y(), twips.width(), twips.height());
    const QRect actual = control->geometry();
    if (const auto *list = qobject_cast<const QComboBox *>(control)) {
        if (actual.topLeft() != laidOut.topLeft() || actual.height() != laidOut.height() ||
            actual.width() < laidOut.width() || actual.width() < list->sizeHint().width())
            return QStringLiteral("list box at %1, laid out at %2").arg(describe(actual), describe(laidOut));
    } else if (actual != laidOut) {
        return QStringLiteral("at %1, laid out at %2").arg(describe(actual), describe(laidOut));
    }
    if (const auto *label = qobject_cast<const QLabel *>(control)) {
        // The sign before an access key is not drawn; the key is underlined.
        QString shown = label->text();
        if (label->buddy())
            shown.remove(QLatin1Char('&'));
        if (label->fontMetrics().horizontalAdvance(shown) > label->width())
            return QStringLiteral("caption cut off in %1").arg(label->font().toString());
    }
    return {};
}

QString shownText(const QWidget *control)
{
    if (const auto *label = qobject_cast<const QLabel *>(control))
        return label->text();
    if (const auto *button = qobject_cast<const QPushButton *>(control))
        return button->text();
    if (const auto *combo = qobject_cast<const QComboBox *>(control))
        return combo->currentText();
    if (const auto *edit = qobject_cast<const QLineEdit *>(control))
        return edit->text();
    return {};
}
