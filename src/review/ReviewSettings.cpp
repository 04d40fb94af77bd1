#include "review/ReviewSettings.h"

#include "config/SettingsStore.h"
#include "store/StoreSetup.h"

ReviewSettings ReviewSettings::read(const QString &settingsFile)
{
    StoredSettings stored = readStoredSettings(settingsFile);
    stored.resultsOn = true;
    return {StoreSetup::fromSettings(stored, settingsFile).path};
}
