#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// The 8-bit code page of the settings and data files. A built-in table, so
// the files come out the same whether or not Qt has ICU. Regional minus signs
// and grouping spaces become "-" and the no-break space, direction marks are
// left out; any other character the code page lacks becomes "?", as the
// Windows conversion does.
namespace Windows1252 {
[[nodiscard]] QByteArray encode(QStringView text);
[[nodiscard]] QString decode(QByteArrayView bytes);
} // namespace Windows1252
