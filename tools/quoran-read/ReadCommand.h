#pragma once

#include <QByteArray>
#include <QLocale>
#include <QString>
#include <QStringList>

// quoran-read: one read from the command line with the window's port map,
// read, checks, decoding and data-file line. Everything but the process
// itself lives here, so it can be tested and timed.
namespace ReadCommand {

enum ExitStatus : int {
    Success = 0,
    UsageError = 2,
    PortNotAccessible = 3,
    NoData = 4,
    FrameCheckFailed = 5,
    SaveFailed = 6,
    CheckFailed = 7,    // --check: n.i.O.
    CentralFailed = 8,  // --upload, --central-init: server unreachable or refusing
    CheckUndecided = 9, // --check: keine Grenzwerte, or the limits table unusable
};

struct Outcome
{
    int status = Success;
    QByteArray out; // UTF-8
    QByteArray err; // UTF-8
};

// The whole command: arguments without the program name; programDir locates
// the default settings file.
[[nodiscard]] Outcome run(const QStringList &arguments, const QString &programDir,
                          const QLocale &locale = QLocale());

} // namespace ReadCommand
