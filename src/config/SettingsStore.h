#pragma once

#include "config/ProfileFile.h"

#include <QString>
#include <optional>

// The values the settings file holds, with their defaults.
struct StoredSettings
{
    QString schnittstelle;
    QString dataFile;
    QString dataTrenner;
    QString maschinenTyp;
    // Nothing when the stored text is not a boolean: the caller keeps its state.
    std::optional<bool> symbolListe;
    std::optional<bool> taskliste;
    // [Export] Regionalformat, read only: empty for the desktop's regional settings.
    QString regionalFormat = {};
    // [Grenzwerte] Datei: the limits table; empty for none.
    QString limitsFile = {};
    // [Export] Bewertung: only read, never written.
    bool verdictColumns = false;
    // [Ergebnisse], read only: Datei (empty: the store's usual place),
    // Speichern (False switches the store off; anything not a boolean keeps
    // it on) and Pruefstand (the bench's name, default the host name).
    QString resultsFile = {};
    bool resultsOn = true;
    QString bench = {};
    // [Zentrale] Verbindung, read only: the central database's connection
    // string; empty when there is none.
    QString centralConnection = {};
};

[[nodiscard]] QString defaultDataFile(); // "Rotorlage.txt" in the home folder

// Value under the key, or the default when missing or empty.
[[nodiscard]] QString ReadProfileValue(const QString &path, const QString &section, const QString &key,
                                       const QString &defaultValue);
void WriteProfileValue(const QString &path, const QString &section, const QString &key, const QString &value);

// True/False in any case, or a number (0 false); anything else: nothing.
[[nodiscard]] std::optional<bool> profileTextToBool(const QString &text);
[[nodiscard]] QString profileBoolText(bool value); // "True" / "False"

// The six keys in their order, with their defaults, and the limits file and
// the verdict columns.
[[nodiscard]] StoredSettings readStoredSettings(const QString &path);
// The same from a reading of the file already at hand.
[[nodiscard]] StoredSettings readStoredSettings(const ProfileFile::Snapshot &file);
// Writes all six keys in their order (never the regional format, the
// verdict columns nor [Ergebnisse]); the two booleans must be set. The limits
// file only when it is set or its key is already in the file, so a settings
// file of a bench without limits keeps its six keys.
void writeStoredSettings(const QString &path, const StoredSettings &settings);
