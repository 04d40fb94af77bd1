#include "config/Registry.h"

#include "config/PortMap.h"

namespace {

// The n of "\Device\Serial" n, or -1 when the name is not one of the sixteen.
[[nodiscard]] int serialIndex(const QString &valueName)
{
    if (!valueName.startsWith(serialDevicePrefix, Qt::CaseInsensitive))
        return -1;
    const QStringView digits = QStringView(valueName).sliced(serialDevicePrefix.size());
    if (digits.isEmpty() || digits.size() > 2 || (digits.size() > 1 && digits.front() == QLatin1Char('0')))
        return -1;
    int index = 0;
    for (const QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return -1;
        index = index * 10 + (c.unicode() - '0');
    }
    return index < PortMap::MaxPort ? index : -1;
}

} // namespace

RegistryValue ReadRegistryValue(const QString &rootKey, const QString &keyPath, const QString &valueName,
                                const PortMap &map)
{
    if (rootKey.compare(registryLocalMachine, Qt::CaseInsensitive) != 0 ||
        keyPath.compare(serialCommKey, Qt::CaseInsensitive) != 0)
        return {};
    const int index = serialIndex(valueName);
    if (index < 0 || !map.isKnown(index + 1))
        return {};
    return QStringLiteral("COM%1").arg(index + 1);
}

RegistryValue ReadRegistryValue(const QString &rootKey, const QString &keyPath, const QString &valueName)
{
    return ReadRegistryValue(rootKey, keyPath, valueName, PortMap::current());
}
