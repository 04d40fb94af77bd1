#pragma once

#include <QtGlobal>

class QComboBox;
class PortMap;

// Appends "Com1".."Com<highest>" (0 stands for 4) to the list, only the known
// ones when onlyKnown; each entry carries its device path as tool tip.
void FillPortList(QComboBox *list, qint16 highest, bool onlyKnown);
void FillPortList(QComboBox *list, qint16 highest, bool onlyKnown, const PortMap &map);
