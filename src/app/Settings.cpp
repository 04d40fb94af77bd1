#include "app/Settings.h"

#include "app/CentralPanel.h"
#include "app/Main.h"
#include "app/Windows.h"
#include "config/PortMap.h"
#include "config/SettingsPath.h"
#include "config/SettingsStore.h"
#include "core/AppState.h"

void LoadSettings()
{
    // One reading of the file serves the six keys and the port pins.
    const ProfileFile::Snapshot file = ProfileFile::Snapshot::read(settingsFilePath());
    const StoredSettings stored = readStoredSettings(file);
    AppState &state = AppState::instance();
    state.setSchnittstelle(stored.schnittstelle);
    state.setDataFile(stored.dataFile);
    state.setDataTrenner(stored.dataTrenner);
    state.setMaschinenTyp(stored.maschinenTyp);
    Main *main = Windows::main();
    main->applyBarSwitches(stored.symbolListe, stored.taskliste);
    main->useLoadedPins(PortMap::pinsIn(file));
    main->centralPanel()->start(file, settingsFilePath());
}

void SaveSettings()
{
    const AppState &state = AppState::instance();
    StoredSettings settings{
        state.schnittstelle(), state.dataFile(), state.dataTrenner(), state.maschinenTyp(), true, true};
    if (const Main *main = Windows::existingMain()) {
        settings.symbolListe = main->symbolleisteChecked();
        settings.taskliste = main->tasklisteChecked();
    }
    writeStoredSettings(settingsFilePathForSaving(), settings);
}
