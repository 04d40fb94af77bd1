#include "core/AppState.h"

AppState &AppState::instance()
{
    static AppState state;
    return state;
}

void AppState::reset()
{
    setSchnittstelle({});
    setDataFile({});
    setDataTrenner({});
    setMaschinenTyp({});
    setLimitsFile({});
    setVerdictColumns(false);
    setDemoModus(false);
    setMainGestartet(false);
    setLastReadOutcome({});
    setRegionalFormat(std::nullopt);
    setResultsFile({});
    setBench({});
}
