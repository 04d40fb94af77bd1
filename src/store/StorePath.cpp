#include "store/StorePath.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/vfs.h>

namespace StorePath {

QString choose(const QString &settingsFile, const QString &executablePath, const QString &xdgDataHome,
               const QString &home)
{
    const QFileInfo settings(settingsFile);
    const QString beside = settings.absolutePath() + QStringLiteral("/quoran.sqlite");
    const bool installed = (executablePath.startsWith(QLatin1String("/usr/")) ||
                            executablePath.startsWith(QLatin1String("/opt/"))) &&
                           QFileInfo(executablePath).absolutePath() != settings.absolutePath();
    if (!installed)
        return beside;
    // A relative XDG_DATA_HOME is invalid and ignored (XDG base directory rules).
    QString dataHome = xdgDataHome;
    if (!QDir::isAbsolutePath(dataHome)) {
        if (!QDir::isAbsolutePath(home))
            return beside;
        dataHome = QDir::cleanPath(home) + QStringLiteral("/.local/share");
    }
    return QDir::cleanPath(dataHome) + QStringLiteral("/quoran/quoran.sqlite");
}

QString forSettingsFile(const QString &settingsFile)
{
    return choose(settingsFile, QCoreApplication::applicationFilePath(),
                  qEnvironmentVariable("XDG_DATA_HOME"), qEnvironmentVariable("HOME"));
}

bool isOnNetworkFileSystem(const QString &path)
{
    // The magic numbers of linux/magic.h and the CIFS/SMB3 client.
    constexpr unsigned long NfsMagic = 0x6969;
    constexpr unsigned long SmbMagic = 0x517B;
    constexpr unsigned long CifsMagic = 0xFF534D42;
    constexpr unsigned long Smb2Magic = 0xFE534D42;
    struct statfs info = {};
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    if (::statfs(folder.constData(), &info) != 0)
        return false;
    const auto type = static_cast<unsigned long>(info.f_type);
    return type == NfsMagic || type == SmbMagic || type == CifsMagic || type == Smb2Magic;
}

QString pendingFile(const QString &storePath)
{
    return storePath + QStringLiteral(".pending");
}

} // namespace StorePath
