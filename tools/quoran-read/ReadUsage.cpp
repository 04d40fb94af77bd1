#include "ReadUsage.h"

#include "core/VersionInfo.h"

#include <QFileInfo>

namespace ReadUsage {

QString usageText(const QString &settingsFile)
{
    return QStringLiteral(
               "Aufruf: quoran-read [--settings DATEI] [--port ComN | --device PFAD] [--demo]\n"
               "                    [--json | --csv] [--save --typ TEXT --nummer TEXT --visum TEXT]\n"
               "        quoran-read [--settings DATEI] --upload | --central-init\n"
               "        quoran-read --help | --version\n"
               "\n"
               "Liest eine Messung vom Messgerät wie \"Daten lesen\" im Fenster und gibt sie aus.\n"
               "\n"
               "  --settings DATEI  die Einstellungsdatei (Schnittstelle, Datendatei, Trennzeichen,\n"
               "                    [Schnittstellen]); sie wird nur gelesen\n"
               "  --port ComN       diese Schnittstelle statt der eingestellten\n"
               "  --device PFAD     dieses Gerät direkt lesen (auch ein Pseudo-Terminal)\n"
               "  --demo            Demo-Modus: der Empfang wird durch den Demo-Datensatz ersetzt\n"
               "  --json            ein JSON-Objekt, unabhängig von den Regionseinstellungen\n"
               "  --csv             die Zeile der Datendatei ohne Kopfzeile, in UTF-8\n"
               "  --save            den Datensatz an die Datendatei anhängen wie \"Daten speichern\"\n"
               "  --typ TEXT, --nummer TEXT, --visum TEXT\n"
               "                    Typ, Nummer und Visum des Datensatzes; zu --save, nicht leer\n"
               "  --upload          die vorgemerkten Datensätze der Ergebnisdatenbank an die zentrale\n"
               "                    Datenbank senden ([Zentrale] Verbindung=); --save merkt nur vor\n"
               "  --central-init    die Tabelle der zentralen Datenbank anlegen (wiederholbar); die\n"
               "                    Rolle der Verbindung muss Tabellen anlegen dürfen\n"
               "  --help            dieser Text\n"
               "  --version         die Version\n"
               "\n"
               "Rückgabewerte:\n"
               "  0  Messung gelesen (mit --save: und gespeichert); mit --upload: nichts mehr\n"
               "     vorgemerkt; mit --central-init: Tabelle angelegt\n"
               "  2  Aufruffehler, oder die mit --settings genannte Datei fehlt oder ist nicht lesbar,\n"
               "     oder kein gültiges Regionalformat für die Datendatei; mit --upload und\n"
               "     --central-init auch: keine oder eine unbrauchbare [Zentrale] Verbindung=,\n"
               "     mit --upload: [Ergebnisse] Speichern=False\n"
               "  3  die Schnittstelle kann nicht angesprochen werden\n"
               "  4  keine Daten empfangen\n"
               "  5  Startbyte, Endbyte oder Prüfsumme falsch\n"
               "  6  der Datensatz konnte nicht in die Datendatei geschrieben werden; mit --upload:\n"
               "     die Ergebnisdatenbank kann nicht gelesen oder geschrieben werden\n"
               "  8  die zentrale Datenbank ist nicht erreichbar oder lehnt ab (--upload,\n"
               "     --central-init); die Datensätze bleiben vorgemerkt, die Ursache steht auf\n"
               "     der Standardfehlerausgabe\n"
               "\n"
               "Einstellungsdatei: ") +
           settingsFile +
           (QFileInfo(settingsFile).isFile() ? QString() : QStringLiteral(" (nicht vorhanden)")) +
           QLatin1Char('\n');
}

QString versionText()
{
    return QStringLiteral("quoran-read %1.%2.%3\n")
        .arg(VersionInfo::Major)
        .arg(VersionInfo::Minor)
        .arg(VersionInfo::Revision);
}

} // namespace ReadUsage
