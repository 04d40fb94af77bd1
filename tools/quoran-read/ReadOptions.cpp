#include "ReadOptions.h"

#include <QMap>
#include <QSet>

namespace ReadOptions {
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
const QString UploadOption = QStringLiteral("--upload");
const QString CentralInitOption = QStringLiteral("--central-init");
const QString LimitsOption = QStringLiteral("--limits");
const QString CheckOption = QStringLiteral("--check");
const QString ImportOption = QStringLiteral("--import");
const QString HelpOption = QStringLiteral("--help");
const QString VersionOption = QStringLiteral("--version");

ParseResult usageError(const QString &error)
{
    return {std::nullopt, error};
}

} // namespace

ParseResult parse(const QStringList &arguments)
{
    static const QSet<QString> valueOptions{SettingsOption, PortOption, DeviceOption, TypeOption,
                                            NumberOption,   MarkOption, LimitsOption};
    static const QSet<QString> flagOptions{DemoOption,    JsonOption,        CsvOption,  SaveOption,
                                           UploadOption,  CentralInitOption, HelpOption, CheckOption,
                                           VersionOption, ImportOption};
    QMap<QString, QString> values;
    QSet<QString> flags;
    QStringList files; // the arguments that are no option: data files of --import
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
            files.append(arguments.at(i));
        }
    }

    Options options;
    options.help = flags.contains(HelpOption);
    options.version = flags.contains(VersionOption);
    if (values.contains(SettingsOption))
        options.settingsFile = values.value(SettingsOption);
    if (options.help || options.version)
        return {options, {}};
    if (values.contains(LimitsOption) && values.value(LimitsOption).trimmed().isEmpty())
        return usageError(QStringLiteral("Zu --limits fehlt der Pfad der Grenzwertdatei."));
    if (values.contains(LimitsOption))
        options.limits = values.value(LimitsOption);
    if (flags.contains(ImportOption)) {
        // An import reads no instrument: only the settings and limits files go with it.
        for (const QString &other : {PortOption, DeviceOption, TypeOption, NumberOption, MarkOption}) {
            if (values.contains(other))
                return usageError(QStringLiteral("--import und %1 schließen einander aus.").arg(other));
        }
        for (const QString &other :
             {DemoOption, JsonOption, CsvOption, SaveOption, CheckOption, UploadOption, CentralInitOption}) {
            if (flags.contains(other))
                return usageError(QStringLiteral("--import und %1 schließen einander aus.").arg(other));
        }
        if (files.isEmpty())
            return usageError(QStringLiteral("Zu --import fehlt die Datendatei."));
        options.importFiles = files;
        return {options, {}};
    }
    if (!files.isEmpty())
        return usageError(QStringLiteral("Unerwartetes Argument: %1").arg(files.first()));

    // The two central commands read nothing from the instrument.
    for (const QString &command : {UploadOption, CentralInitOption}) {
        if (!flags.contains(command))
            continue;
        for (const QString &other : flags) {
            if (other != command)
                return usageError(QStringLiteral("%1 und %2 schließen einander aus.").arg(command, other));
        }
        for (auto value = values.cbegin(); value != values.cend(); ++value) {
            if (value.key() != SettingsOption)
                return usageError(
                    QStringLiteral("%1 und %2 schließen einander aus.").arg(command, value.key()));
        }
        options.upload = command == UploadOption;
        options.centralInit = command == CentralInitOption;
        return {options, {}};
    }

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
        // Without --save the type only names the limits to judge against.
        if (!options.save && values.contains(field) && field != TypeOption)
            return usageError(QStringLiteral("Die Option %1 gehört zu --save.").arg(field));
        if (options.save && !values.contains(field))
            return usageError(QStringLiteral("Zu --save fehlt %1.").arg(field));
        if (options.save && values.value(field).trimmed().isEmpty())
            return usageError(QStringLiteral("%1 darf nicht leer sein.").arg(field));
    }
    options.type = values.value(TypeOption);
    options.number = values.value(NumberOption);
    options.mark = values.value(MarkOption);
    options.check = flags.contains(CheckOption);
    return {options, {}};
}

} // namespace ReadOptions
