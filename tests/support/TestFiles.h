#pragma once

#include <QByteArray>
#include <QString>

// Whole-file reads and writes for tests that compare files byte for byte.
[[nodiscard]] QByteArray contents(const QString &path); // "<missing>" when it cannot be read
bool writeFile(const QString &path, const QByteArray &bytes);
// Writes the file or ends the test program: the test cannot go on without it.
QString makeFile(const QString &path, const QByteArray &bytes);
