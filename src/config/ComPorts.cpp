#include "config/ComPorts.h"

#include "config/PortMap.h"

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

bool PortExists(const QString &portName, const PortMap &map)
{
    return knownPortsListHas(EnumSerialPorts(map), portName);
}

bool PortExists(const QString &portName)
{
    return PortExists(portName, PortMap::current());
}
