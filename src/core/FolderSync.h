#pragma once

#include <QByteArray>

// Flushes the entries of the folder that holds the file at nativePath (as
// QFile::encodeName gives it), so that a file just linked, created or renamed
// there is still there after a power cut. Returns 0 or the errno; file
// systems that cannot sync folders (EINVAL, ENOTSUP) count as done.
[[nodiscard]] int syncFolderOf(const QByteArray &nativePath);
