#pragma once

#include "link/Frame.h"
#include "link/FrameReader.h"

#include <QString>
#include <QTime>
#include <optional>

// One line for the status bar about a read, led by its time:
//   "14:03:22 gültige Messung", "14:05:10 Prüfsumme falsch",
//   "14:06:00 keine Daten empfangen (Com3 (/dev/pts/4))",
//   "14:06:00 Com3 (/dev/ttyUSB0): Zugriff verweigert – ist der Benutzer in der Gruppe dialout?".
// check is the frame check of a received frame; without one (the inspector
// does not check) the number of bytes received is told.
[[nodiscard]] QString readStatusText(const ReadResult &result, std::optional<FrameCheck> check,
                                     const QTime &time);

// The status bar's port field: "Com3: /dev/ttyUSB0", "Com3: kein Gerät", or
// "Com3: /dev/ttyUSB0 (fehlt)" for a device that is not there (an unplugged
// adapter keeps its pin).
[[nodiscard]] QString portFieldText(const QString &portName, const QString &devicePath, bool present);
// The same from what a read of that port found.
[[nodiscard]] QString portFieldText(const QString &portName, const ReadResult &result);
