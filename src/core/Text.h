#pragma once

#include <QString>

// Only blanks go, as the data file and the stored machine type want them; a
// tab at either end is part of the value.
[[nodiscard]] QString trimBlanks(const QString &text);
