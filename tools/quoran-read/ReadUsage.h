#pragma once

#include <QString>

// What quoran-read prints for --help and --version.
namespace ReadUsage {

// settingsFile: the file this run would read, named at the end of the text.
[[nodiscard]] QString usageText(const QString &settingsFile);
[[nodiscard]] QString versionText();

} // namespace ReadUsage
