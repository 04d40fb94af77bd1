#pragma once

#include <QString>

struct StoredSettings;

// The results store a program of the bench writes to, as its settings say.
struct StoreSetup
{
    QString path; // empty: the store is switched off
    QString bench;

    [[nodiscard]] bool isOn() const { return !path.isEmpty(); }

    // [Ergebnisse] Datei (a relative path counts from the settings file's
    // folder), else the store's usual place for this settings file;
    // "Speichern=False" leaves the path empty.
    [[nodiscard]] static StoreSetup fromSettings(const StoredSettings &stored, const QString &settingsFile);

    friend bool operator==(const StoreSetup &, const StoreSetup &) = default;
};
