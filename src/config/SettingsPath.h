#pragma once

#include <QString>

// The settings file: the executable's folder + "/" + its base name + ".ini".
// An installed program (under /usr or /opt) without that file beside it uses
// $XDG_CONFIG_HOME/quoran/quoran.ini instead (default ~/.config/quoran/quoran.ini).
// Built afresh at every use. Tests point it at a temporary file instead.
[[nodiscard]] QString settingsFilePath();
// The same path for a write: creates the folder of the per-user file when it is missing.
[[nodiscard]] QString settingsFilePathForSaving();
void setSettingsFilePathForTesting(const QString &path);
// The window program's settings file when it runs from programDir under its
// own name, by the same rules, for other programs of the bench that share it.
[[nodiscard]] QString settingsFilePathFor(const QString &programDir);

// The decision alone: executable's absolute path, whether <base name>.ini
// stands beside it, and the values of XDG_CONFIG_HOME and HOME.
[[nodiscard]] QString chooseSettingsFilePath(const QString &executablePath, bool besideFileExists,
                                             const QString &xdgConfigHome, const QString &home);
