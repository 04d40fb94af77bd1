#include "config/SettingsStore.h"

#include <QDir>
#include <QLocale>
#include <QSysInfo>
#include <cmath>

namespace {
const QString rotorlage = QStringLiteral("Rotorlage");
const QString exportSection = QStringLiteral("Export");
const QString systemSection = QStringLiteral("System");
const QString limitsSection = QStringLiteral("Grenzwerte");
const QString limitsKey = QStringLiteral("Datei");
const QString resultsSection = QStringLiteral("Ergebnisse");
const QString centralSection = QStringLiteral("Zentrale");
} // namespace

QString defaultDataFile()
{
    return QDir::homePath() + QStringLiteral("/Rotorlage.txt");
}

namespace {
[[nodiscard]] QString valueOrDefault(const std::optional<QString> &value, const QString &defaultValue)
{
    if (!value)
        return defaultValue;
    // A damaged file may hold a NUL; the value ends there, as on Windows.
    QString text = *value;
    if (const qsizetype nul = text.indexOf(QChar(u'\0')); nul >= 0)
        text.truncate(nul);
    text = text.trimmed();
    return text.isEmpty() ? defaultValue : text;
}
} // namespace

QString ReadProfileValue(const QString &path, const QString &section, const QString &key,
                         const QString &defaultValue)
{
    return valueOrDefault(ProfileFile::read(path, section, key), defaultValue);
}

void WriteProfileValue(const QString &path, const QString &section, const QString &key, const QString &value)
{
    // A file that cannot be written stays as it was; the caller is not told.
    static_cast<void>(ProfileFile::write(path, section, key, value));
}

std::optional<bool> profileTextToBool(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (trimmed.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    bool ok = false;
    double number = QLocale::c().toDouble(trimmed, &ok);
    if (!ok)
        number = QLocale().toDouble(trimmed, &ok); // "2,5" with a German locale
    // "nan" and "inf" pass as doubles but are no numbers here.
    if (!ok || !std::isfinite(number))
        return std::nullopt;
    return number != 0.0;
}

QString profileBoolText(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

StoredSettings readStoredSettings(const QString &path)
{
    return readStoredSettings(ProfileFile::Snapshot::read(path));
}

StoredSettings readStoredSettings(const ProfileFile::Snapshot &file)
{
    const auto read = [&file](const QString &section, const char *key, const QString &defaultValue) {
        return valueOrDefault(file.value(section, QString::fromLatin1(key)), defaultValue);
    };
    const QString trueText = profileBoolText(true);
    StoredSettings settings;
    settings.schnittstelle = read(rotorlage, "Schnittstelle", QStringLiteral("Com1"));
    settings.dataFile = read(exportSection, "DataFile", defaultDataFile());
    settings.dataTrenner = read(exportSection, "DataTrenner", QStringLiteral("Semikolon [;]"));
    settings.maschinenTyp = read(exportSection, "MaschinenTyp", QString());
    settings.symbolListe = profileTextToBool(read(systemSection, "SymbolListe", trueText));
    settings.taskliste = profileTextToBool(read(systemSection, "Taskliste", trueText));
    settings.limitsFile = read(limitsSection, "Datei", QString());
    settings.verdictColumns = profileTextToBool(read(exportSection, "Bewertung", QString())).value_or(false);
    settings.regionalFormat = read(exportSection, "Regionalformat", QString());
    settings.resultsFile = read(resultsSection, "Datei", QString());
    settings.resultsOn = profileTextToBool(read(resultsSection, "Speichern", trueText)).value_or(true);
    settings.bench = read(resultsSection, "Pruefstand", QSysInfo::machineHostName());
    settings.centralConnection = read(centralSection, "Verbindung", QString());
    return settings;
}

void writeStoredSettings(const QString &path, const StoredSettings &settings)
{
    // One replace of the file instead of six; the result is the same.
    QList<ProfileFile::Entry> entries{
        {rotorlage, QStringLiteral("Schnittstelle"), settings.schnittstelle},
        {exportSection, QStringLiteral("DataFile"), settings.dataFile},
        {exportSection, QStringLiteral("DataTrenner"), settings.dataTrenner},
        {exportSection, QStringLiteral("MaschinenTyp"), settings.maschinenTyp},
        {systemSection, QStringLiteral("SymbolListe"), profileBoolText(settings.symbolListe.value_or(true))},
        {systemSection, QStringLiteral("Taskliste"), profileBoolText(settings.taskliste.value_or(true))},
    };
    // A cleared choice must reach a file that holds one.
    if (!settings.limitsFile.isEmpty() || ProfileFile::read(path, limitsSection, limitsKey))
        entries.append({limitsSection, limitsKey, settings.limitsFile});
    static_cast<void>(ProfileFile::write(path, entries));
}
