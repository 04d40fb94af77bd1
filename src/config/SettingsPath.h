#pragma once

#include <QString>

// The settings file: the executable's folder + "/" + its base name + ".ini".
// Built afresh at every use. Tests point it at a temporary file instead.
[[nodiscard]] QString settingsFilePath();
void setSettingsFilePathForTesting(const QString &path);
// The window program's settings file when it runs from programDir under its
// own name, for other programs of the bench that share its settings.
[[nodiscard]] QString settingsFilePathFor(const QString &programDir);
