#pragma once

#include "SimFrame.h"

#include <QString>
#include <QStringList>
#include <optional>

// What the quoran-sim command line asks for.
struct SimCommandLine
{
    SimMode mode;
    QString linkPath;   // --link: a symbolic link to the pty slave
    QString devicePath; // --device: serve this serial device instead of a pty
    bool quiet = false; // no log on stderr
    bool help = false;
};

struct SimParseResult
{
    std::optional<SimCommandLine> commandLine; // nullopt on error
    QString error;
};

// arguments as QCoreApplication::arguments() gives them (program name first).
[[nodiscard]] SimParseResult parseSimCommandLine(const QStringList &arguments);
[[nodiscard]] QString simUsage();
