#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <optional>

// The 8-bit code page of the settings and data files. A built-in table, so
// the files come out the same whether or not Qt has ICU.
namespace Windows1252 {
// Regional minus signs and grouping spaces become "-" and the no-break space,
// direction marks are left out; any other character the code page lacks
// becomes "?", as the Windows conversion does. Not for the two files.
[[nodiscard]] QByteArray encode(QStringView text);
[[nodiscard]] QString decode(QByteArrayView bytes);

enum class Mapping {
    // Every character as it is (the settings file).
    Exact,
    // As encode() maps regional signs, and every decimal digit as 0-9 (the data file).
    DataFile,
};

// An encoding that never writes "?": it stops at the first character the
// code page cannot hold and says which.
struct Checked
{
    QByteArray bytes;                   // the whole text; empty when refused
    std::optional<char32_t> unholdable; // the first character it cannot hold

    [[nodiscard]] bool ok() const { return !unholdable; }
};
[[nodiscard]] Checked encodeChecked(QStringView text, Mapping mapping);
[[nodiscard]] bool canHold(QStringView text, Mapping mapping);

// A character as a message names it: „č“ (U+010D).
[[nodiscard]] QString describe(char32_t character);
} // namespace Windows1252
