#pragma once

#include "core/UserMessage.h"
#include "link/Frame.h"
#include "link/FrameReader.h"

#include <QByteArray>
#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <optional>

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
};

enum class OutputFormat { Text, Json, Csv };

struct Options
{
    std::optional<QString> settingsFile; // nullopt: the window's file beside the program
    std::optional<QString> port;         // overrides the configured port name
    std::optional<QString> device;       // reads this device instead of a port
    bool demo = false;
    OutputFormat format = OutputFormat::Text;
    bool save = false;
    QString type;   // --typ
    QString number; // --nummer
    QString mark;   // --visum
    bool help = false;
    bool version = false;
};

struct ParseResult
{
    std::optional<Options> options; // nullopt on a usage error
    QString error;                  // German
};

// arguments without the program name.
[[nodiscard]] ParseResult parseArguments(const QStringList &arguments);

[[nodiscard]] QString usageText(const QString &settingsFile);
[[nodiscard]] QString versionText();

// A valid frame and what the window made of it.
struct Reading
{
    ReceptionBuffer buffer;
    QStringList measuredTexts; // the window's fields 2..10, framing blanks included
    QDateTime time;
    QString port;   // "Com3"; empty when a device was named directly
    QString device; // the device read
};

[[nodiscard]] QString textOutput(const Reading &reading);
[[nodiscard]] QString jsonOutput(const Reading &reading);
// The data file's record line as the code page leaves it, without line end.
[[nodiscard]] QString csvOutput(const Reading &reading, const Options &options, const QString &dataTrenner);

// The message of a failed read as standard error gets it.
[[nodiscard]] QString messageText(const UserMessage &message);

struct Outcome
{
    int status = Success;
    QByteArray out; // UTF-8
    QByteArray err; // UTF-8
};

// The whole command. programDir locates the default settings file.
[[nodiscard]] Outcome run(const QStringList &arguments, const QString &programDir,
                          const QLocale &locale = QLocale());

} // namespace ReadCommand
