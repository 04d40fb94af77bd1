#include "config/ComPorts.h"

#include "config/PortMap.h"

#include <QComboBox>

QString knownPortsList(const SerialCommReader &readValue)
{
    QString list;
    for (int n = 0; n < PortMap::MaxPort; ++n) {
        const RegistryValue value = readValue(serialDevicePrefix + QString::number(n));
        if (const auto *text = std::get_if<QString>(&value))
            list += *text;
        else if (const auto *number = std::get_if<qint32>(&value))
            list += QString::number(*number);
        list += QLatin1Char(',');
    }
    return list;
}

QString EnumSerialPorts(const PortMap &map)
{
    return knownPortsList([&map](const QString &valueName) {
        return ReadRegistryValue(registryLocalMachine, serialCommKey, valueName, map);
    });
}

QString EnumSerialPorts()
{
    return EnumSerialPorts(PortMap::current());
}

bool knownPortsListHas(const QString &knownPorts, const QString &portName)
{
    // The comma keeps COM1 from matching COM11.
    return knownPorts.toUpper().contains(portName.toUpper() + QLatin1Char(','));
}

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

bool PortExists(const QString &portName, const PortMap &map)
{
    return knownPortsListHas(EnumSerialPorts(map), portName);
}

bool PortExists(const QString &portName)
{
    return PortExists(portName, PortMap::current());
}
