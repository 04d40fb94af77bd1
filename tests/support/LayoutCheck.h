#pragma once

#include <QRect>
#include <QString>

class QWidget;

// What is wrong with a control's place and caption, or nothing: it must
// stand where the layout in twips puts it (a list box may grow to the right
// to show its entries whole), and a caption must show whole.
[[nodiscard]] QString placementProblem(const QWidget *control, const QRect &twips);
// The text a control shows: caption, button text, chosen entry or field text.
[[nodiscard]] QString shownText(const QWidget *control);
