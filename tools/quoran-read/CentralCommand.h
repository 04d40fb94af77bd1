#pragma once

#include "ReadCommand.h"

struct StoredSettings;

// quoran-read's two commands for the central database: --upload sends the
// results store's queue, --central-init makes the central table. Neither
// reads the instrument. Status 2 when the settings name no usable central
// database, 8 when the server cannot be reached or refuses.
namespace CentralCommand {
[[nodiscard]] ReadCommand::Outcome upload(const StoredSettings &stored, const QString &settingsPath);
[[nodiscard]] ReadCommand::Outcome init(const StoredSettings &stored, const QString &settingsPath);
} // namespace CentralCommand
