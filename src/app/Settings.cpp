#include "app/Settings.h"

#include "app/AppState.h"
#include "app/Main.h"
#include "app/Windows.h"
#include "config/SettingsPath.h"
#include "config/SettingsStore.h"

void LoadSettings()
{
    const StoredSettings stored = readStoredSettings(settingsFilePath());
    AppState &state = AppState::instance();
    state.Schnittstelle = stored.schnittstelle;
    state.DataFile = stored.dataFile;
    state.DataTrenner = stored.dataTrenner;
    state.MaschinenTyp = stored.maschinenTyp;
    Windows::main()->applyBarSwitches(stored.symbolListe, stored.taskliste);
    state.notifyChanged();
}

void SaveSettings()
{
    const AppState &state = AppState::instance();
    StoredSettings settings{state.Schnittstelle, state.DataFile, state.DataTrenner,
                            state.MaschinenTyp,  true,           true};
    if (const Main *main = Windows::existingMain()) {
        settings.symbolListe = main->symbolleisteChecked();
        settings.taskliste = main->tasklisteChecked();
    }
    writeStoredSettings(settingsFilePathForSaving(), settings);
}
