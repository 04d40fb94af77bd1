#pragma once

#include "config/Registry.h"

#include <QString>
#include <QtGlobal>
#include <functional>

class PortMap;

// The known-ports list: for n = 0..15 the port name registered for
// "\Device\Serial" n (e.g. "COM1"), each followed by ","; always 16 commas.
[[nodiscard]] QString EnumSerialPorts();
[[nodiscard]] QString EnumSerialPorts(const PortMap &map);
// The same from any source of the serialcomm values, given the value name.
using SerialCommReader = std::function<RegistryValue(const QString &valueName)>;
[[nodiscard]] QString knownPortsList(const SerialCommReader &readValue);

// Whether the upper-cased name followed by "," occurs in the known-ports list.
[[nodiscard]] bool PortExists(const QString &portName);
[[nodiscard]] bool PortExists(const QString &portName, const PortMap &map);
// The test itself, on a known-ports list.
[[nodiscard]] bool knownPortsListHas(const QString &knownPorts, const QString &portName);
