#include "app/Settings.h"

#include "app/CentralPanel.h"
#include "app/Main.h"
#include "app/Windows.h"
#include "config/PortMap.h"
#include "config/RegionalFormat.h"
#include "config/SettingsPath.h"
#include "config/SettingsStore.h"
#include "core/AppState.h"
#include "store/StoreSetup.h"

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
    state.setLimitsFile(stored.limitsFile);
    state.setVerdictColumns(stored.verdictColumns);
    const RegionalFormat::Resolved format = RegionalFormat::resolve(stored.regionalFormat);
    // Without a name the desktop's settings apply as they are at each use.
    state.setRegionalFormat(stored.regionalFormat.isEmpty() || format.unknown
                                ? std::nullopt
                                : std::optional<QLocale>(format.locale));
    // The read panel is the status bar's place for a word to the operator;
    // the first read replaces it.
    if (format.unknown)
        state.setLastReadOutcome(RegionalFormat::unknownStatusText(stored.regionalFormat));
    const StoreSetup results = StoreSetup::fromSettings(stored, settingsFilePath());
    state.setResultsFile(results.path);
    state.setBench(results.bench);
    Main *main = Windows::main();
    main->applyBarSwitches(stored.symbolListe, stored.taskliste);
    main->useLoadedPins(PortMap::pinsIn(file));
    main->centralPanel()->start(stored, settingsFilePath());
}

void SaveSettings()
{
    const AppState &state = AppState::instance();
    StoredSettings settings{
        state.schnittstelle(), state.dataFile(), state.dataTrenner(), state.maschinenTyp(), true, true};
    settings.limitsFile = state.limitsFile();
    if (const Main *main = Windows::existingMain()) {
        settings.symbolListe = main->symbolleisteChecked();
        settings.taskliste = main->tasklisteChecked();
    }
    writeStoredSettings(settingsFilePathForSaving(), settings);
}
