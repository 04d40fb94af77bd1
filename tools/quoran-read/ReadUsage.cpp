#include "ReadUsage.h"

#include "core/VersionInfo.h"

#include <QFileInfo>

namespace ReadUsage {

QString usageText(const QString &settingsFile)
{
    return QStringLiteral(
               "Aufruf: quoran-read [--settings DATEI] [--port ComN | --device PFAD] [--demo]\n"
               "                    [--json | --csv] [--save --typ TEXT --nummer TEXT --visum TEXT]\n"
               "                    [--typ TEXT] [--limits DATEI] [--check]\n"
               "        quoran-read [--settings DATEI] [--limits DATEI] --import DATENDATEI...\n"
               "        quoran-read [--settings DATEI] --upload | --central-init\n"
               "        quoran-read --help | --version\n"
               "\n"
               "Liest eine Messung vom Messgerät wie \"Daten lesen\" im Fenster und gibt sie aus.\n"
               "\n"
               "  --settings DATEI  die Einstellungsdatei (Schnittstelle, Datendatei, Trennzeichen,\n"
               "                    [Schnittstellen], [Ergebnisse]); sie wird nur gelesen\n"
               "  --port ComN       diese Schnittstelle statt der eingestellten\n"
               "  --device PFAD     dieses Gerät direkt lesen (auch ein Pseudo-Terminal)\n"
               "  --demo            Demo-Modus: der Empfang wird durch den Demo-Datensatz ersetzt\n"
               "  --json            ein JSON-Objekt, unabhängig von den Regionseinstellungen\n"
               "  --csv             die Zeile der Datendatei ohne Kopfzeile, in UTF-8\n"
               "  --save            den Datensatz an die Datendatei anhängen wie \"Daten speichern\",\n"
               "                    dann in die Ergebnisdatenbank ([Ergebnisse] der Einstellungsdatei);\n"
               "                    kann sie nicht geschrieben werden, zählt die Speicherung trotzdem, die\n"
               "                    Ursache steht auf der Standardfehlerausgabe und der Datensatz wird\n"
               "                    später nachgetragen\n"
               "  --typ TEXT, --nummer TEXT, --visum TEXT\n"
               "                    Typ, Nummer und Visum des Datensatzes; zu --save, nicht leer.\n"
               "                    --typ ohne --save nennt nur den Typ für die Bewertung\n"
               "  --limits DATEI    diese Grenzwertdatei statt der eingestellten ([Grenzwerte] Datei=);\n"
               "                    mit einer Grenzwertdatei folgt der Messung ihre Bewertung\n"
               "  --check           die Bewertung als Rückgabewert (7, 9)\n"
               "  --import DATENDATEI...\n"
               "                    Datendateien in die Ergebnisdatenbank einlesen wie \"Datei →\n"
               "                    Datendatei importieren\" im Fenster (Zahlen im Regionalformat der\n"
               "                    Einstellungen); schon vorhandene Zeilen werden übersprungen, Zeilen\n"
               "                    ohne Bewertung nach den heutigen Grenzwerten bewertet; der Bericht\n"
               "                    nennt gelesene, neue, vorhandene und abgewiesene Zeilen\n"
               "  --upload          die vorgemerkten Datensätze der Ergebnisdatenbank an die zentrale\n"
               "                    Datenbank senden ([Zentrale] Verbindung=); --save merkt nur vor\n"
               "  --central-init    die Tabelle der zentralen Datenbank anlegen (wiederholbar); die\n"
               "                    Rolle der Verbindung muss Tabellen anlegen dürfen\n"
               "  --help            dieser Text\n"
               "  --version         die Version\n"
               "\n"
               "Rückgabewerte:\n"
               "  0  Messung gelesen (mit --save: und gespeichert); mit --import: jede Datei\n"
               "     gelesen (abgewiesene Zeilen stehen im Bericht); mit --upload: nichts mehr\n"
               "     vorgemerkt; mit --central-init: Tabelle angelegt\n"
               "  2  Aufruffehler, oder die mit --settings oder --limits genannte Datei fehlt oder ist\n"
               "     nicht lesbar, oder kein gültiges Regionalformat für die Datendatei; mit --import:\n"
               "     eine Datendatei fehlt oder ist nicht lesbar; mit --upload und --central-init:\n"
               "     keine oder eine unbrauchbare [Zentrale] Verbindung=, mit --upload auch\n"
               "     [Ergebnisse] Speichern=False\n"
               "  3  die Schnittstelle kann nicht angesprochen werden\n"
               "  4  keine Daten empfangen\n"
               "  5  Startbyte, Endbyte oder Prüfsumme falsch\n"
               "  6  der Datensatz konnte nicht in die Datendatei geschrieben werden; mit --import:\n"
               "     die Ergebnisdatenbank konnte nicht geschrieben werden; mit --upload: sie kann\n"
               "     nicht gelesen oder geschrieben werden\n"
               "  7  mit --check: n.i.O. (mit --save ist der Datensatz gespeichert)\n"
               "  8  die zentrale Datenbank ist nicht erreichbar oder lehnt ab (--upload,\n"
               "     --central-init); die Datensätze bleiben vorgemerkt, die Ursache steht auf\n"
               "     der Standardfehlerausgabe\n"
               "  9  mit --check: keine Grenzwerte, oder die Grenzwertdatei fehlt oder ist fehlerhaft\n"
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
