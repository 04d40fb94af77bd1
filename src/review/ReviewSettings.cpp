#include "review/ReviewSettings.h"

#include "central/CentralConfig.h"
#include "config/SettingsStore.h"
#include "store/StoreSetup.h"

ReviewSettings ReviewSettings::read(const QString &settingsFile)
{
    StoredSettings stored = readStoredSettings(settingsFile);
    ReviewSettings settings;
    // Reading the central database needs no store of this bench.
    const CentralConfig central = CentralConfig::fromSettings(stored, settingsFile);
    if (central.mode == CentralConfig::Mode::On || central.mode == CentralConfig::Mode::SavingOff)
        settings.centralConninfo = central.conninfo;
    stored.resultsOn = true;
    settings.storeFile = StoreSetup::fromSettings(stored, settingsFile).path;
    return settings;
}
