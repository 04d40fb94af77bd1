#pragma once

#include <QByteArray>
#include <QString>

// Where the review finds the results store: where the saves write it (the
// store's usual place for the settings file, or "[Ergebnisse] Datei="). A
// store switched off by "Speichern=False" is still read where it lies.
struct ReviewSettings
{
    QString storeFile;
    // [Zentrale] Verbindung=, prepared; empty without a usable central database.
    QByteArray centralConninfo;

    [[nodiscard]] static ReviewSettings read(const QString &settingsFile);
};
