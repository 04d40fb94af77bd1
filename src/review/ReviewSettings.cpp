#include "review/ReviewSettings.h"

#include "central/CentralConfig.h"
#include "config/ProfileFile.h"
#include "config/SettingsStore.h"
#include "store/StorePath.h"

ReviewSettings ReviewSettings::read(const QString &settingsFile)
{
    const ProfileFile::Snapshot file = ProfileFile::Snapshot::read(settingsFile);
    ReviewSettings settings;
    settings.storeFile =
        resultsFileSetting(file, settingsFile).value_or(StorePath::forSettingsFile(settingsFile));
    settings.limitsFile = limitsFileSetting(file, settingsFile).value_or(QString());
    // Reading the central database needs no store of this bench.
    const CentralConfig central = CentralConfig::fromSettings(readStoredSettings(file), settingsFile);
    if (central.mode == CentralConfig::Mode::On || central.mode == CentralConfig::Mode::SavingOff)
        settings.centralConninfo = central.conninfo;
    return settings;
}
