#pragma once

#include "config/ProfileFile.h"

#include <QMap>
#include <QString>
#include <QStringList>

// Which device each port name Com1..Com16 stands for: pins from the settings
// file's section "Schnittstellen" first, then the system's serial devices in
// natural order filling the free numbers from Com1.
class PortMap
{
public:
    static constexpr int MaxPort = 16;

    // pins: port number -> device path as written; systemDevices: device paths
    // as the system lists them (any order; sorted naturally here).
    [[nodiscard]] static PortMap build(const QMap<int, QString> &pins, const QStringList &systemDevices);
    // Pins from the settings file at iniPath plus QSerialPortInfo::availablePorts().
    [[nodiscard]] static PortMap fromSystem(const QString &iniPath);
    // The same for the program's own settings file.
    [[nodiscard]] static PortMap current();
    // One port's device for the program's settings file. A pinned port needs
    // no look at the system's devices, which costs some 20 ms.
    [[nodiscard]] static QString currentDevicePath(int portNumber);
    // The same with pins already read.
    [[nodiscard]] static QString devicePathFor(int portNumber, const QMap<int, QString> &pins);
    // The pins of the section "Schnittstellen", all from one reading of the file.
    [[nodiscard]] static QMap<int, QString> pinsIn(const ProfileFile::Snapshot &file);

    // Whether a device path names something that is there (through links); a
    // pinned adapter that is unplugged is not.
    [[nodiscard]] static bool deviceExists(const QString &devicePath);

    [[nodiscard]] QString devicePath(int portNumber) const; // empty when none
    // Known: the map gives a path that exists and is a character device.
    [[nodiscard]] bool isKnown(int portNumber) const;
    [[nodiscard]] QMap<int, QString> entries() const { return m_paths; }

private:
    QMap<int, QString> m_paths;
};
