#include "central/CentralConfig.h"

#include "central/CentralConnInfo.h"
#include "config/ProfileFile.h"
#include "config/SettingsStore.h"
#include "store/StorePath.h"

#include <QDir>
#include <QFileInfo>

CentralConfig CentralConfig::read(const ProfileFile::Snapshot &file, const QString &settingsFile)
{
    CentralConfig config;
    const QString connection = readCentralConnection(file);
    if (connection.isEmpty())
        return config;
    const ResultsSettings results = readResultsSettings(file);
    // A relative Datei= is taken from the settings file's folder, not from
    // wherever the program was started.
    config.storePath =
        results.file.isEmpty()
            ? StorePath::forSettingsFile(settingsFile)
            : QDir::cleanPath(QFileInfo(settingsFile).absoluteDir().absoluteFilePath(results.file));
    const CentralConnInfo::Prepared prepared = CentralConnInfo::prepare(connection);
    if (prepared.error.isError()) {
        config.mode = Mode::Invalid;
        config.error = prepared.error;
        return config;
    }
    config.conninfo = prepared.conninfo;
    config.mode = results.save ? Mode::On : Mode::SavingOff;
    return config;
}
