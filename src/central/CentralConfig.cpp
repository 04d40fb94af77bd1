#include "central/CentralConfig.h"

#include "central/CentralConnInfo.h"
#include "config/SettingsStore.h"
#include "store/StoreSetup.h"

CentralConfig CentralConfig::fromSettings(const StoredSettings &stored, const QString &settingsFile)
{
    CentralConfig config;
    if (stored.centralConnection.isEmpty())
        return config;
    const CentralConnInfo::Prepared prepared = CentralConnInfo::prepare(stored.centralConnection);
    if (prepared.error.isError()) {
        config.mode = Mode::Invalid;
        config.error = prepared.error;
        return config;
    }
    config.conninfo = prepared.conninfo;
    const StoreSetup store = StoreSetup::fromSettings(stored, settingsFile);
    config.storePath = store.path;
    config.mode = store.isOn() ? Mode::On : Mode::SavingOff;
    return config;
}
