#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// The 8-bit code page of the settings and data files. A built-in table, so
// the files come out the same whether or not Qt has ICU; a character the
// code page lacks becomes "?", as the Windows conversion does.
namespace Windows1252 {
[[nodiscard]] QByteArray encode(QStringView text);
[[nodiscard]] QString decode(QByteArrayView bytes);
} // namespace Windows1252
