#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// quoran-read's options and their parser. Hand-written on purpose: a following
// option is never taken for a value ("--port --json" lacks the port), and a
// flag given a value ("--json=x") is reported as such.
namespace ReadOptions {

enum class OutputFormat { Text, Json, Csv };

struct Options
{
    std::optional<QString> settingsFile; // nullopt: the window's file beside the program
    std::optional<QString> port;         // overrides the configured port name
    std::optional<QString> device;       // reads this device instead of a port
    bool demo = false;
    OutputFormat format = OutputFormat::Text;
    bool save = false;
    QString type;                  // --typ; without --save only the type to judge
    QString number;                // --nummer
    QString mark;                  // --visum
    std::optional<QString> limits; // --limits: overrides the settings' limits file
    bool check = false;            // the verdict becomes the exit status
    // --import FILE...: data files to read into the results store; no read then.
    QStringList importFiles;
    bool upload = false;      // --upload: send the results store's queue, no reading
    bool centralInit = false; // --central-init: make the central table, no reading
    bool help = false;
    bool version = false;
};

struct ParseResult
{
    std::optional<Options> options; // nullopt on a usage error
    QString error;                  // German
};

// arguments without the program name.
[[nodiscard]] ParseResult parse(const QStringList &arguments);

} // namespace ReadOptions
