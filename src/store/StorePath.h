#pragma once

#include <QString>

// Where the results store lies and what kind of file system holds it.
namespace StorePath {
// The store of a program whose settings file is settingsFile: quoran.sqlite
// beside the settings file for a portable program; for an installed one
// (executable under /usr or /opt, settings file not in its folder)
// $XDG_DATA_HOME/quoran/quoran.sqlite, default ~/.local/share/quoran/.
// The caller applies "[Ergebnisse] Datei=" before this rule.
[[nodiscard]] QString choose(const QString &settingsFile, const QString &executablePath,
                             const QString &xdgDataHome, const QString &home);
// The rule applied to this process's executable and environment.
[[nodiscard]] QString forSettingsFile(const QString &settingsFile);

// True when the folder of path lies on NFS or SMB/CIFS, where SQLite's
// write-ahead log (shared memory between processes) cannot be used.
[[nodiscard]] bool isOnNetworkFileSystem(const QString &path);

// The pending list of the store at storePath: the same path + ".pending".
[[nodiscard]] QString pendingFile(const QString &storePath);
} // namespace StorePath
