#pragma once

#include <QString>

namespace DataFileExport {
// The two columns a verdict adds. A new file gets them when forNewFile is
// set; an existing one has them when its header line ends in them, whatever
// forNewFile says, so that no file mixes lines of twelve and fourteen columns.
struct VerdictColumns
{
    bool forNewFile = false;
    QString verdict; // "i.O.", "n.i.O." or empty
    QString outside; // the names of the values outside their limits, joined by ", "
};
inline constexpr int VerdictColumnCount = 2;
// Whether the header line of the file ends in Bewertung and Abweichung.
[[nodiscard]] bool hasVerdictColumns(const QString &path);
} // namespace DataFileExport
