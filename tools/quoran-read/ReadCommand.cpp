#include "ReadCommand.h"

#include "config/PortMap.h"
#include "config/ProfileFile.h"
#include "config/SettingsPath.h"
#include "config/SettingsStore.h"
#include "core/Text.h"
#include "core/VersionInfo.h"
#include "core/Windows1252.h"
#include "link/PortNumber.h"
#include "log/DataFileExport.h"
#include "log/MeasurementLog.h"

#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QSet>
#include <array>
#include <charconv>
#include <cstdlib>
#include <utility>

namespace ReadCommand {
namespace {

const QString SettingsOption = QStringLiteral("--settings");
const QString PortOption = QStringLiteral("--port");
const QString DeviceOption = QStringLiteral("--device");
const QString TypeOption = QStringLiteral("--typ");
const QString NumberOption = QStringLiteral("--nummer");
const QString MarkOption = QStringLiteral("--visum");
const QString DemoOption = QStringLiteral("--demo");
const QString JsonOption = QStringLiteral("--json");
const QString CsvOption = QStringLiteral("--csv");
const QString SaveOption = QStringLiteral("--save");
const QString HelpOption = QStringLiteral("--help");
const QString VersionOption = QStringLiteral("--version");

ParseResult usageError(const QString &error)
{
    return {std::nullopt, error};
}

Outcome failure(int status, const QString &text)
{
    return {status, {}, text.toUtf8()};
}

Outcome usageFailure(const QString &error)
{
    return failure(UsageError, messageText({QStringLiteral("Fehler: Aufruf"), error}) +
                                   QStringLiteral("Hilfe: quoran-read --help\n"));
}

bool isReadableFile(const QString &path)
{
    QFile file(path);
    return QFileInfo(path).isFile() && file.open(QIODevice::ReadOnly);
}

// Shortest decimal that reads back as the same value, as std::to_chars gives it.
template <typename Number> QString shortest(Number value)
{
    std::array<char, 64> digits{};
    const std::to_chars_result written = std::to_chars(digits.data(), digits.data() + digits.size(), value);
    return QString::fromLatin1(digits.data(), written.ptr - digits.data());
}

QString jsonString(const QString &text)
{
    QString quoted = QStringLiteral("\"");
    for (const QChar c : text) {
        if (c == u'"' || c == u'\\') {
            quoted += QLatin1Char('\\');
            quoted += c;
        } else if (c.unicode() < 0x20) {
            quoted += QStringLiteral("\\u%1").arg(uint(c.unicode()), 4, 16, QLatin1Char('0'));
        } else {
            quoted += c;
        }
    }
    return quoted + QLatin1Char('"');
}

// ISO 8601 to the second with the offset always written out ("+00:00", not "Z").
QString isoTimeWithOffset(const QDateTime &time)
{
    const int offset = time.offsetFromUtc();
    const int minutes = std::abs(offset) / 60;
    return time.toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss")) + QLatin1Char(offset < 0 ? '-' : '+') +
           QStringLiteral("%1:%2")
               .arg(minutes / 60, 2, 10, QLatin1Char('0'))
               .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

QStringList recordFields(const Reading &reading, const Options &options)
{
    return QStringList{options.type, options.number} + reading.measuredTexts + QStringList{options.mark};
}

} // namespace

ParseResult parseArguments(const QStringList &arguments)
{
    static const QSet<QString> valueOptions{SettingsOption, PortOption,   DeviceOption,
                                            TypeOption,     NumberOption, MarkOption};
    static const QSet<QString> flagOptions{DemoOption, JsonOption, CsvOption,
                                           SaveOption, HelpOption, VersionOption};
    QMap<QString, QString> values;
    QSet<QString> flags;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        QString name = arguments.at(i);
        std::optional<QString> value;
        if (name == QLatin1String("-h")) {
            name = HelpOption;
        } else if (const qsizetype equals = name.indexOf(u'=');
                   name.startsWith(QLatin1String("--")) && equals > 2) {
            value = name.mid(equals + 1);
            name.truncate(equals);
        }
        if (values.contains(name) || flags.contains(name))
            return usageError(QStringLiteral("Die Option %1 ist mehrfach angegeben.").arg(name));
        if (valueOptions.contains(name)) {
            // A following option is no value: "--port --json" lacks the port.
            if (!value && i + 1 < arguments.size() && !arguments.at(i + 1).startsWith(QLatin1String("--")))
                value = arguments.at(++i);
            if (!value)
                return usageError(QStringLiteral("Zur Option %1 fehlt der Wert.").arg(name));
            values.insert(name, *value);
        } else if (flagOptions.contains(name)) {
            if (value)
                return usageError(QStringLiteral("Die Option %1 nimmt keinen Wert.").arg(name));
            flags.insert(name);
        } else if (name.startsWith(u'-')) {
            return usageError(QStringLiteral("Unbekannte Option: %1").arg(name));
        } else {
            return usageError(QStringLiteral("Unerwartetes Argument: %1").arg(name));
        }
    }

    Options options;
    options.help = flags.contains(HelpOption);
    options.version = flags.contains(VersionOption);
    if (values.contains(SettingsOption))
        options.settingsFile = values.value(SettingsOption);
    if (options.help || options.version)
        return {options, {}};

    if (flags.contains(JsonOption) && flags.contains(CsvOption))
        return usageError(QStringLiteral("--json und --csv schließen einander aus."));
    if (values.contains(PortOption) && values.contains(DeviceOption))
        return usageError(QStringLiteral("--port und --device schließen einander aus."));
    if (values.contains(DeviceOption) && values.value(DeviceOption).trimmed().isEmpty())
        return usageError(QStringLiteral("Zu --device fehlt der Pfad des Geräts."));
    if (values.contains(PortOption))
        options.port = values.value(PortOption);
    if (values.contains(DeviceOption))
        options.device = values.value(DeviceOption);
    options.demo = flags.contains(DemoOption);
    options.format = flags.contains(JsonOption)  ? OutputFormat::Json
                     : flags.contains(CsvOption) ? OutputFormat::Csv
                                                 : OutputFormat::Text;

    options.save = flags.contains(SaveOption);
    for (const QString &field : {TypeOption, NumberOption, MarkOption}) {
        if (!options.save && values.contains(field))
            return usageError(QStringLiteral("Die Option %1 gehört zu --save.").arg(field));
        if (options.save && !values.contains(field))
            return usageError(QStringLiteral("Zu --save fehlt %1.").arg(field));
        if (options.save && values.value(field).trimmed().isEmpty())
            return usageError(QStringLiteral("%1 darf nicht leer sein.").arg(field));
    }
    options.type = values.value(TypeOption);
    options.number = values.value(NumberOption);
    options.mark = values.value(MarkOption);
    return {options, {}};
}

QString usageText(const QString &settingsFile)
{
    return QStringLiteral(
               "Aufruf: quoran-read [--settings DATEI] [--port ComN | --device PFAD] [--demo]\n"
               "                    [--json | --csv] [--save --typ TEXT --nummer TEXT --visum TEXT]\n"
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
               "  --help            dieser Text\n"
               "  --version         die Version\n"
               "\n"
               "Rückgabewerte:\n"
               "  0  Messung gelesen (mit --save: und gespeichert)\n"
               "  2  Aufruffehler, oder die mit --settings genannte Datei fehlt oder ist nicht lesbar\n"
               "  3  die Schnittstelle kann nicht angesprochen werden\n"
               "  4  keine Daten empfangen\n"
               "  5  Startbyte, Endbyte oder Prüfsumme falsch\n"
               "  6  der Datensatz konnte nicht in die Datendatei geschrieben werden\n"
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

QString textOutput(const Reading &reading)
{
    // Captions of the data file's columns, units of the window's fields.
    static const std::array<std::pair<QString, QString>, 9> lines{{
        {QStringLiteral("Polzahl"), QString()},
        {QStringLiteral("Drehzahl"), QStringLiteral("rpm")},
        {QStringLiteral("Spannungskonstante"), QStringLiteral("V/krpm")},
        {QStringLiteral("Spannung"), QStringLiteral("V")},
        {QStringLiteral("el. Winkel"), QStringLiteral("°")},
        {QStringLiteral("mech. Winkel"), QStringLiteral("°")},
        {QStringLiteral("Geberzähne"), QString()},
        {QStringLiteral("Datum"), QString()},
        {QStringLiteral("Zeit"), QString()},
    }};
    QString text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const QString value = trimBlanks(reading.measuredTexts.value(qsizetype(i)));
        text += lines[i].first + QLatin1Char(':');
        // An absent speed stays empty, as in the window.
        if (!value.isEmpty())
            text += QLatin1Char(' ') + value;
        if (!value.isEmpty() && !lines[i].second.isEmpty())
            text += QLatin1Char(' ') + lines[i].second;
        text += QLatin1Char('\n');
    }
    return text;
}

QString jsonOutput(const Reading &reading)
{
    const MeasurementRecord record = decodeFrame(reading.buffer);
    QByteArray frame;
    for (int position = 1; position <= Frame::Length; ++position)
        frame.append(char(reading.buffer.at(position)));
    const QList<std::pair<const char *, QString>> members{
        {"pole_count", QString::number(record.poleCount)},
        {"speed_rpm", record.speed ? shortest(*record.speed) : QStringLiteral("null")},
        {"voltage_constant_v_per_krpm", shortest(record.voltageConstant)},
        {"voltage_v", shortest(record.voltage)},
        {"electrical_angle_deg", shortest(record.electricalAngle)},
        {"mechanical_angle_deg", shortest(record.mechanicalAngle)},
        {"encoder_teeth", QString::number(record.teeth)},
        {"offset_u", QString::number(record.offsetU)},
        {"offset_v", QString::number(record.offsetV)},
        {"offset_w", QString::number(record.offsetW)},
        {"time", jsonString(isoTimeWithOffset(reading.time))},
        {"port", reading.port.isEmpty() ? QStringLiteral("null") : jsonString(reading.port)},
        {"device", jsonString(reading.device)},
        {"frame", jsonString(QString::fromLatin1(frame.toHex()))},
    };
    QString json = QStringLiteral("{");
    for (const auto &[name, value] : members) {
        if (json.size() > 1)
            json += QLatin1Char(',');
        json += QStringLiteral("\"%1\":%2").arg(QLatin1String(name), value);
    }
    return json + QStringLiteral("}\n");
}

QString csvOutput(const Reading &reading, const Options &options, const QString &dataTrenner)
{
    const QString line =
        DataFileExport::recordLine(recordFields(reading, options), DataFileExport::separatorFor(dataTrenner));
    // What the data file would hold: characters outside the code page as it maps them.
    return Windows1252::decode(Windows1252::encode(line));
}

QString messageText(const UserMessage &message)
{
    return message.title + QLatin1Char('\n') + message.text + QLatin1Char('\n');
}

Outcome run(const QStringList &arguments, const QString &programDir, const QLocale &locale)
{
    const ParseResult parsed = parseArguments(arguments);
    if (!parsed.options)
        return usageFailure(parsed.error);
    const Options &options = *parsed.options;
    const QString settingsPath = options.settingsFile.value_or(settingsFilePathFor(programDir));
    if (options.help)
        return {Success, usageText(settingsPath).toUtf8(), {}};
    if (options.version)
        return {Success, versionText().toUtf8(), {}};
    // A script that names a file means that file, never the defaults.
    if (options.settingsFile && !isReadableFile(settingsPath))
        return usageFailure(
            QStringLiteral("Die Einstellungsdatei %1 fehlt oder ist nicht lesbar.").arg(settingsPath));

    const ProfileFile::Snapshot file = ProfileFile::Snapshot::read(settingsPath);
    const StoredSettings stored = readStoredSettings(file);

    Reading reading;
    int portNumber = 1;
    PortMap map;
    if (options.device) {
        map = PortMap::build({{portNumber, *options.device}}, {});
    } else {
        portNumber = portNumberFromName(options.port.value_or(stored.schnittstelle));
        // Numbers outside Com1..Com16 end in the read; no need to scan the devices.
        if (portNumber >= 1 && portNumber <= PortMap::MaxPort)
            map =
                PortMap::build({{portNumber, PortMap::devicePathFor(portNumber, PortMap::pinsIn(file))}}, {});
        reading.port = QStringLiteral("Com%1").arg(portNumber);
    }
    reading.device = map.devicePath(portNumber);

    const ReadResult result = readFrame(portNumber, options.demo, map);
    reading.time = QDateTime::currentDateTime();
    const MeasurementLog::ReadView view = MeasurementLog::evaluateRead(result, reading.time, locale);
    switch (result.outcome) {
    case ReadOutcome::PortNotAccessible:
        return failure(PortNotAccessible, messageText(view.message));
    case ReadOutcome::NoData:
        return failure(NoData, messageText(view.message)); // with its cause where known
    case ReadOutcome::Received:
        break;
    }
    if (!view.valid)
        return failure(FrameCheckFailed, messageText(view.message));
    reading.buffer = result.buffer;
    reading.measuredTexts = view.measuredTexts;

    if (options.save) {
        const DataFileExport::AppendResult saved =
            DataFileExport::save(stored.dataFile, stored.dataTrenner, recordFields(reading, options));
        if (!saved.ok)
            return failure(SaveFailed,
                           messageText(MeasurementLog::saveFailureMessage(stored.dataFile, saved.reason)));
    }

    switch (options.format) {
    case OutputFormat::Text:
        return {Success, textOutput(reading).toUtf8(), {}};
    case OutputFormat::Json:
        return {Success, jsonOutput(reading).toUtf8(), {}};
    case OutputFormat::Csv:
        return {Success, (csvOutput(reading, options, stored.dataTrenner) + QLatin1Char('\n')).toUtf8(), {}};
    }
    return {};
}

} // namespace ReadCommand
