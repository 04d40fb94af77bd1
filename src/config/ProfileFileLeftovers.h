#pragma once

#include <QString>
#include <chrono>

// Where a file system has no unnamed temporary files (FUSE), the atomic
// replace of the settings file writes a hidden copy first,
// "quoran.ini.AbCdEf", which a write cut short leaves behind. Removes such
// copies beside settingsPath that are older than maxAge, so that another
// program's replace in progress is never touched. Returns how many went.
// Six letters of one case are left alone: "quoran.ini.backup" is a person's.
namespace ProfileFileLeftovers {
using namespace std::chrono_literals;
int removeStale(const QString &settingsPath, std::chrono::seconds maxAge = 1h);
} // namespace ProfileFileLeftovers
