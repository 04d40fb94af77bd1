#include "config/SettingsPath.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {
QString &testPath()
{
    static QString path;
    return path;
}

[[nodiscard]] QString besidePath(const QString &executablePath)
{
    const QFileInfo executable(executablePath);
    return executable.path() + QLatin1Char('/') + executable.completeBaseName() + QStringLiteral(".ini");
}

[[nodiscard]] bool isInstalled(const QString &executablePath)
{
    return executablePath.startsWith(QLatin1String("/usr/")) ||
           executablePath.startsWith(QLatin1String("/opt/"));
}

// Missing folders are made with mode 0700, as the XDG base directory rules ask.
bool makeFolder(const QString &path)
{
    if (QFileInfo(path).isDir())
        return true;
    const QString parent = QFileInfo(path).path();
    if (parent != path && !makeFolder(parent))
        return false;
    return QDir().mkdir(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner) ||
           QFileInfo(path).isDir();
}
} // namespace

QString chooseSettingsFilePath(const QString &executablePath, bool besideFileExists,
                               const QString &xdgConfigHome, const QString &home)
{
    const QString beside = besidePath(executablePath);
    if (besideFileExists || !isInstalled(executablePath))
        return beside;
    // A relative XDG_CONFIG_HOME is invalid and ignored (XDG base directory rules).
    QString configHome = xdgConfigHome;
    if (!QDir::isAbsolutePath(configHome)) {
        if (!QDir::isAbsolutePath(home))
            return beside;
        configHome = QDir::cleanPath(home) + QStringLiteral("/.config");
    }
    return QDir::cleanPath(configHome) + QStringLiteral("/quoran/quoran.ini");
}

namespace {
// The rule applied to this machine's files and environment.
QString settingsFileOf(const QString &executablePath)
{
    return chooseSettingsFilePath(executablePath, QFileInfo::exists(besidePath(executablePath)),
                                  qEnvironmentVariable("XDG_CONFIG_HOME"), qEnvironmentVariable("HOME"));
}
} // namespace

QString settingsFilePath()
{
    if (!testPath().isEmpty())
        return testPath();
    return settingsFileOf(QCoreApplication::applicationFilePath());
}

QString settingsFilePathForSaving()
{
    const QString path = settingsFilePath();
    // A folder that cannot be made leaves the write to fail unreported, as an
    // unwritable folder does.
    if (testPath().isEmpty() && path != besidePath(QCoreApplication::applicationFilePath()))
        makeFolder(QFileInfo(path).path());
    return path;
}

void setSettingsFilePathForTesting(const QString &path)
{
    testPath() = path;
}

QString settingsFilePathFor(const QString &programDir)
{
    return settingsFileOf(programDir + QStringLiteral("/quoran"));
}
