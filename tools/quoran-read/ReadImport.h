#pragma once

#include "ReadCommand.h"
#include "store/DataFileImport.h"

#include <QLocale>
#include <QStringList>

struct StoredSettings;

// quoran-read --import: data files read into the results store, as the
// window's "Datendatei importieren" does.
namespace ReadImport {

// Each file's report on standard output; a file that cannot be read, or a
// store that cannot be written, on standard error. Status 0 when every file
// was read (rejected lines are in the report), 2 when one could not be, 6
// when the store could not be written (the files after it are not read).
// locale: the regional format the files were written in; judge: today's
// limits for lines without a verdict of their own (none without a limits file).
[[nodiscard]] ReadCommand::Outcome run(const QStringList &files, const StoredSettings &stored,
                                       const QString &settingsFile, const QLocale &locale,
                                       const ImportJudge &judge);

} // namespace ReadImport
