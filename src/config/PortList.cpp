#include "config/PortList.h"

#include "config/ComPorts.h"
#include "config/PortMap.h"

#include <QComboBox>

void FillPortList(QComboBox *list, qint16 highest, bool onlyKnown, const PortMap &map)
{
    const int last = highest == 0 ? 4 : highest;
    const QString known = onlyKnown ? EnumSerialPorts(map) : QString();
    for (int port = 1; port <= last; ++port) {
        const QString name = QStringLiteral("Com%1").arg(port);
        if (onlyKnown && !knownPortsListHas(known, name))
            continue;
        const QString device = map.devicePath(port);
        list->addItem(name);
        list->setItemData(list->count() - 1, device.isEmpty() ? QStringLiteral("kein Gerät") : device,
                          Qt::ToolTipRole);
    }
}

void FillPortList(QComboBox *list, qint16 highest, bool onlyKnown)
{
    FillPortList(list, highest, onlyKnown, PortMap::current());
}
