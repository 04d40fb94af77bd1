#pragma once

#include "log/DataFileColumns.h"

#include "ReadOptions.h"
#include "link/FrameReader.h"
#include "tolerance/Verdict.h"

#include <QByteArray>
#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QStringList>

// quoran-read's output formats of one valid reading.
namespace ReadOutput {

// A valid frame and what the window made of it.
struct Reading
{
    ReceptionBuffer buffer;
    QStringList measuredTexts; // the window's fields 2..10, framing blanks included
    QDateTime time;
    QString port;                   // "Com3"; empty when a device was named directly
    QString device;                 // the device read
    std::optional<Verdict> verdict; // only when a limits file is set
};

// Captioned lines with units, as the window shows the values; with a
// verdict a last line "Bewertung: …".
[[nodiscard]] QString text(const Reading &reading);
// One JSON object on one line, UTF-8, independent of the locale; with a
// verdict the keys "verdict", "outside" and "limits".
[[nodiscard]] QByteArray json(const Reading &reading);
// The data file's record line as the code page leaves it, without line end;
// with the verdict's two columns when a save to dataFile would write them.
[[nodiscard]] QString csv(const Reading &reading, const ReadOptions::Options &options,
                          const QString &dataTrenner, const QLocale &locale, const QString &dataFile,
                          const DataFileExport::VerdictColumns &verdict);

// The data file's fields of the reading: the operator's, the measured, the mark.
[[nodiscard]] QStringList recordFields(const Reading &reading, const ReadOptions::Options &options);

} // namespace ReadOutput
