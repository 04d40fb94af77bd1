#pragma once

#include <QString>
#include <QStringView>

// Only blanks go, as the data file and the stored machine type want them; a
// tab at either end is part of the value.
[[nodiscard]] QString trimBlanks(const QString &text);

// A text of nothing but white space (blanks, tabs, no-break spaces, line
// breaks) counts as empty wherever a field must be filled: in the window and
// on the command line alike.
[[nodiscard]] bool isBlank(QStringView text);
