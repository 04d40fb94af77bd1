#pragma once

#include <QString>
#include <QtGlobal>

class QComboBox;
class PortMap;

// The known-ports list: for n = 0..15 the port name registered for
// "\Device\Serial" n (e.g. "COM1"), each followed by ","; always 16 commas.
[[nodiscard]] QString EnumSerialPorts();
[[nodiscard]] QString EnumSerialPorts(const PortMap &map);

// Appends "Com1".."Com<highest>" (0 stands for 4) to the list, only the known
// ones when onlyKnown; each entry carries its device path as tool tip.
void FillPortList(QComboBox *list, qint16 highest, bool onlyKnown);

// Whether the upper-cased name followed by "," occurs in the known-ports list.
[[nodiscard]] bool PortExists(const QString &portName);
