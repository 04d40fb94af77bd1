#pragma once

#include <QString>

// Port number from a port name such as "Com3" or "COM12": the numeric value of
// the last two characters, else of the last one; 0 names no port.
[[nodiscard]] int portNumberFromName(const QString &portName);
