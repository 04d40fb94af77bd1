#include "store/StoreSetup.h"

#include "config/SettingsStore.h"
#include "store/StorePath.h"

#include <QDir>
#include <QFileInfo>

StoreSetup StoreSetup::fromSettings(const StoredSettings &stored, const QString &settingsFile)
{
    StoreSetup setup;
    setup.bench = stored.bench;
    if (!stored.resultsOn)
        return setup;
    setup.path = stored.resultsFile.isEmpty()
                     ? StorePath::forSettingsFile(settingsFile)
                     : QFileInfo(settingsFile).absoluteDir().absoluteFilePath(stored.resultsFile);
    return setup;
}
