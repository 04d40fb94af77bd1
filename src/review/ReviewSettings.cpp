#include "review/ReviewSettings.h"

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
    return settings;
}
