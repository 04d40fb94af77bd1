#include "config/SettingsPath.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace {
QString &testPath()
{
    static QString path;
    return path;
}
} // namespace

QString settingsFilePath()
{
    if (!testPath().isEmpty())
        return testPath();
    return QCoreApplication::applicationDirPath() + QLatin1Char('/') +
           QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName() + QStringLiteral(".ini");
}

void setSettingsFilePathForTesting(const QString &path)
{
    testPath() = path;
}

QString settingsFilePathFor(const QString &programDir)
{
    return programDir + QStringLiteral("/quoran.ini");
}
