#pragma once

#include "central/CentralError.h"

#include <QByteArray>
#include <QString>

struct StoredSettings;

// What the settings file says about the central database: [Zentrale]
// Verbindung= and the results store whose rows go up. Read, never written.
struct CentralConfig
{
    enum class Mode {
        Off,       // no [Zentrale] Verbindung=: nothing of the upload runs
        Invalid,   // the connection string cannot be used; error says why
        SavingOff, // [Ergebnisse] Speichern=False: the store queues nothing
        On,
    };
    Mode mode = Mode::Off;
    QByteArray conninfo; // prepared, with connect_timeout (On and SavingOff)
    QString storePath;   // the results store, as StoreSetup finds it (On only)
    CentralError error;  // Invalid only

    [[nodiscard]] static CentralConfig fromSettings(const StoredSettings &stored,
                                                    const QString &settingsFile);
};
