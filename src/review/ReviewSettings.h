#pragma once

#include <QByteArray>
#include <QString>

// Where the review finds the results store and the limits: the same store
// the saves write (beside the settings file, or the per-user data folder for
// an installed program, or "[Ergebnisse] Datei="), and "[Grenzwerte] Datei=".
struct ReviewSettings
{
    QString storeFile;
    QString limitsFile; // empty when none is set
    // [Zentrale] Verbindung=, prepared; empty without a usable central database.
    QByteArray centralConninfo;

    [[nodiscard]] static ReviewSettings read(const QString &settingsFile);
};
