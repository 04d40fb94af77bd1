#pragma once

#include <QLatin1String>
#include <QString>
#include <QtGlobal>
#include <variant>

class PortMap;

// A registry value: nothing, a text or a signed 32-bit integer.
using RegistryValue = std::variant<std::monostate, QString, qint32>;

inline constexpr QLatin1String registryLocalMachine("HKEY_LOCAL_MACHINE");
inline constexpr QLatin1String serialCommKey("hardware\\devicemap\\serialcomm");
inline constexpr QLatin1String serialDevicePrefix("\\Device\\Serial");

// Linux has no registry; only its serial-port list is answered, from the port
// map: under HKEY_LOCAL_MACHINE, key "hardware\devicemap\serialcomm", the
// value "\Device\Serial" n (n = 0..15, no leading zeros) holds "COM" n+1 when
// that port is known. Everything else is nothing. Names ignore letter case,
// as the registry's do.
[[nodiscard]] RegistryValue ReadRegistryValue(const QString &rootKey, const QString &keyPath,
                                              const QString &valueName, const PortMap &map);
// The same with the port map as it stands now.
[[nodiscard]] RegistryValue ReadRegistryValue(const QString &rootKey, const QString &keyPath,
                                              const QString &valueName);
