#include "config/PortMap.h"

#include "config/ProfileFile.h"
#include "config/SettingsPath.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSerialPortInfo>
#include <QSet>
#include <algorithm>
#include <sys/stat.h>

namespace {

[[nodiscard]] QString canonical(const QString &path)
{
    const QString resolved = QFileInfo(path).canonicalFilePath();
    return resolved.isEmpty() ? path : resolved;
}

// Sort key of a device: its family first (ttyS, ttyUSB, ttyACM, others),
// then the name without its trailing number, then that number as a number.
struct DeviceOrder
{
    int family = 0;
    QString stem;
    qulonglong number = 0;
    bool hasNumber = false;
    QString path;

    explicit DeviceOrder(const QString &devicePath) : path(devicePath)
    {
        static const QRegularExpression pattern(QStringLiteral("^(.*?)(\\d+)$"));
        const QString name = QFileInfo(devicePath).fileName();
        const QRegularExpressionMatch match = pattern.match(name);
        stem = match.hasMatch() ? match.captured(1) : name;
        if (match.hasMatch())
            number = match.captured(2).toULongLong(&hasNumber);
        static const QStringList families{QStringLiteral("ttyS"), QStringLiteral("ttyUSB"),
                                          QStringLiteral("ttyACM")};
        const qsizetype index = families.indexOf(stem);
        family = index >= 0 ? int(index) : int(families.size());
    }

    [[nodiscard]] bool operator<(const DeviceOrder &other) const
    {
        if (family != other.family)
            return family < other.family;
        if (stem != other.stem)
            return stem < other.stem;
        if (hasNumber != other.hasNumber)
            return !hasNumber; // "tty" before "tty0"
        if (number != other.number)
            return number < other.number;
        return path < other.path;
    }
};

} // namespace

PortMap PortMap::build(const QMap<int, QString> &pins, const QStringList &systemDevices)
{
    PortMap map;
    QSet<QString> taken;
    for (auto it = pins.cbegin(); it != pins.cend(); ++it) {
        QString path = it.value().trimmed();
        if (it.key() < 1 || it.key() > MaxPort || path.isEmpty())
            continue;
        // A bare device name ("ttyUSB0") means the device of that name, as
        // the serial port opens it, not a file in the working folder.
        if (!path.contains(QLatin1Char('/')))
            path.prepend(QStringLiteral("/dev/"));
        map.m_paths.insert(it.key(), path);
        taken.insert(canonical(path));
    }

    QList<DeviceOrder> devices;
    for (const QString &device : systemDevices) {
        if (!device.isEmpty())
            devices.append(DeviceOrder(device));
    }
    std::sort(devices.begin(), devices.end());

    int port = 1;
    for (const DeviceOrder &device : devices) {
        const QString resolved = canonical(device.path);
        if (taken.contains(resolved))
            continue;
        while (port <= MaxPort && map.m_paths.contains(port))
            ++port;
        if (port > MaxPort)
            break;
        map.m_paths.insert(port, device.path);
        taken.insert(resolved);
    }
    return map;
}

QMap<int, QString> PortMap::pinsIn(const ProfileFile::Snapshot &file)
{
    QMap<int, QString> pins;
    for (int port = 1; port <= MaxPort; ++port) {
        const std::optional<QString> path =
            file.value(QStringLiteral("Schnittstellen"), QStringLiteral("Com%1").arg(port));
        if (path && !path->trimmed().isEmpty())
            pins.insert(port, *path);
    }
    return pins;
}

namespace {
QMap<int, QString> pinsFromFile(const QString &iniPath)
{
    return PortMap::pinsIn(ProfileFile::Snapshot::read(iniPath));
}

QStringList systemDevices()
{
    QStringList devices;
    const QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : ports)
        devices.append(info.systemLocation());
    return devices;
}
} // namespace

PortMap PortMap::fromSystem(const QString &iniPath)
{
    return build(pinsFromFile(iniPath), systemDevices());
}

QString PortMap::currentDevicePath(int portNumber)
{
    return devicePathFor(portNumber, pinsFromFile(settingsFilePath()));
}

QString PortMap::devicePathFor(int portNumber, const QMap<int, QString> &pins)
{
    if (pins.contains(portNumber))
        return build(pins, {}).devicePath(portNumber);
    return build(pins, systemDevices()).devicePath(portNumber);
}

PortMap PortMap::current()
{
    return fromSystem(settingsFilePath());
}

QString PortMap::devicePath(int portNumber) const
{
    return m_paths.value(portNumber);
}

bool PortMap::deviceExists(const QString &devicePath)
{
    struct stat info = {};
    return !devicePath.isEmpty() && ::stat(QFile::encodeName(devicePath).constData(), &info) == 0;
}

bool PortMap::isKnown(int portNumber) const
{
    const QString path = devicePath(portNumber);
    if (path.isEmpty())
        return false;
    struct stat info = {};
    if (::stat(QFile::encodeName(canonical(path)).constData(), &info) != 0)
        return false;
    return S_ISCHR(info.st_mode);
}
