#pragma once

#include <QFont>

// The windows are laid out for Arial; fontconfig gives its metric twin
// (Liberation Sans) where Arial itself is missing.
[[nodiscard]] inline QFont arialFont(qreal points, bool bold = false)
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}
