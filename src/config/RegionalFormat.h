#pragma once

#include <QLocale>
#include <QString>

// The optional key [Export] Regionalformat: a locale name such as "de_DE"
// that fixes how the data file writes numbers, dates and times (and how the
// log window shows them), whoever saves, so a file never mixes two formats.
// Empty: the desktop's regional settings. Read, never written.
namespace RegionalFormat {
struct Resolved
{
    QLocale locale;       // the one to use
    bool unknown = false; // a name Qt does not know: locale is the desktop's
};
[[nodiscard]] Resolved resolve(const QString &name, const QLocale &desktop = QLocale());

// C, C.UTF-8 and POSIX, which Qt all reads as C: no regional settings at all
// (a service, cron).
[[nodiscard]] bool isC(const QLocale &locale);
// A save would write the C format that nobody chose: no Regionalformat, and
// regional settings that are C.
[[nodiscard]] bool missingForSave(const QString &name, const QLocale &desktop = QLocale());

// German texts: for quoran-read's standard error, and for the window's
// status bar, which goes on with the desktop's settings.
[[nodiscard]] QString unknownMessage(const QString &name);
[[nodiscard]] QString unknownStatusText(const QString &name);
[[nodiscard]] QString missingForSaveMessage();
} // namespace RegionalFormat
