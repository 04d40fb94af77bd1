#pragma once

#include <QByteArray>

// The hidden temporary files a save makes beside the data file while it
// creates it: ".quoran-<host>-<pid>-<random>". The host and the process in
// the name tell whose a file is, so a leftover of a save that was cut short
// can go without touching another machine's or a running save's file.
namespace DataFileLeftovers {
// This machine's name as the file names carry it; empty when unknown.
[[nodiscard]] QByteArray hostName();
// A fresh name in folder (which ends in "/" or is empty for the current one).
[[nodiscard]] QByteArray temporaryPath(const QByteArray &folder);
// Removes this host's files in folder whose process no longer runs; returns
// how many went. Nothing goes when the host name is unknown.
int removeDead(const QByteArray &folder);
} // namespace DataFileLeftovers
