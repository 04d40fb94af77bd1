#pragma once

#include "store/DataFileImport.h"

#include <QString>

// What an import of data files tells its user, in German: the window's
// message box and quoran-read's output.
namespace ImportSummary {
// The report of one file: its name, then lines read, added, already present
// and rejected, each rejected line with its number and reason (the first
// maxListed of them; all when negative); a file that could not be read, or
// a store that could not be written, says so.
[[nodiscard]] QString text(const QString &dataFile, const ImportReport &report, int maxListed = -1);
} // namespace ImportSummary
