#include "ReadCommand.h"

#include "CentralCommand.h"
#include "ReadImport.h"
#include "ReadOptions.h"
#include "ReadOutput.h"
#include "ReadUsage.h"
#include "config/PortMap.h"
#include "config/ProfileFile.h"
#include "config/RegionalFormat.h"
#include "config/SettingsPath.h"
#include "config/SettingsStore.h"
#include "core/UserMessage.h"
#include "link/FrameReader.h"
#include "link/PortNumber.h"
#include "log/DataFileExport.h"
#include "log/MeasurementLog.h"
#include "log/VerdictView.h"
#include "store/ResultSaver.h"
#include "store/StoreJudge.h"
#include "store/StoreSetup.h"
#include "tolerance/LimitsTable.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

namespace ReadCommand {
namespace {

// The message of a failed read as standard error gets it.
QString messageText(const UserMessage &message)
{
    return message.title + QLatin1Char('\n') + message.text + QLatin1Char('\n');
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

} // namespace

Outcome run(const QStringList &arguments, const QString &programDir, const QLocale &locale)
{
    const ReadOptions::ParseResult parsed = ReadOptions::parse(arguments);
    if (!parsed.options)
        return usageFailure(parsed.error);
    const ReadOptions::Options &options = *parsed.options;
    const QString settingsPath = options.settingsFile.value_or(settingsFilePathFor(programDir));
    if (options.help)
        return {Success, ReadUsage::usageText(settingsPath).toUtf8(), {}};
    if (options.version)
        return {Success, ReadUsage::versionText().toUtf8(), {}};
    // A script that names a file means that file, never the defaults.
    if (options.settingsFile && !isReadableFile(settingsPath))
        return usageFailure(
            QStringLiteral("Die Einstellungsdatei %1 fehlt oder ist nicht lesbar.").arg(settingsPath));
    if (options.limits && !isReadableFile(*options.limits))
        return usageFailure(
            QStringLiteral("Die Grenzwertdatei %1 fehlt oder ist nicht lesbar.").arg(*options.limits));

    const ProfileFile::Snapshot file = ProfileFile::Snapshot::read(settingsPath);
    const StoredSettings stored = readStoredSettings(file);
    if (options.upload)
        return CentralCommand::upload(stored, settingsPath);
    if (options.centralInit)
        return CentralCommand::init(stored, settingsPath);
    // One number and date format per data file: a run from cron under C must not
    // append "0.28" and "7 Dec 2026" below lines that read "0,28" and "07.12.2026".
    const RegionalFormat::Resolved format = RegionalFormat::resolve(stored.regionalFormat, locale);
    if (format.unknown)
        return failure(UsageError, messageText({QStringLiteral("Fehler: Regionalformat"),
                                                RegionalFormat::unknownMessage(stored.regionalFormat)}));
    // Without a limits file there is no verdict, and nothing of it in the output.
    const QString limitsPath = options.limits.value_or(stored.limitsFile);
    if (!options.importFiles.isEmpty())
        return ReadImport::run(options.importFiles, stored, settingsPath, format.locale,
                               limitsPath.isEmpty() ? ImportJudge()
                                                    : StoreJudge::forImport(LimitsTable::read(limitsPath)));
    if (options.save && RegionalFormat::missingForSave(stored.regionalFormat, locale))
        return failure(UsageError, messageText({QStringLiteral("Fehler: Regionalformat"),
                                                RegionalFormat::missingForSaveMessage()}));

    ReadOutput::Reading reading;
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
    const MeasurementLog::ReadView view = MeasurementLog::evaluateRead(result, reading.time, format.locale);
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
    if (!limitsPath.isEmpty())
        reading.verdict = Verdict::judge(LimitsTable::read(limitsPath), options.type, view.record);

    // A store that cannot be written leaves the save counted and says so on standard error.
    QByteArray storeNote;
    if (options.save) {
        const QStringList fields = ReadOutput::recordFields(reading, options);
        const DataFileExport::AppendResult saved =
            DataFileExport::save(stored.dataFile, stored.dataTrenner, fields, format.locale,
                                 verdictColumns(reading.verdict.value_or(Verdict()), stored.verdictColumns));
        if (!saved.ok)
            return failure(SaveFailed,
                           messageText(MeasurementLog::saveFailureMessage(stored.dataFile, saved.reason)));
        ResultSaver results;
        results.use(StoreSetup::fromSettings(stored, settingsPath));
        if (const QString note =
                results.save(reading.buffer, reading.time, fields, stored.dataFile,
                             reading.verdict ? StoreJudge::fromVerdict(*reading.verdict) : StoreVerdict{});
            !note.isEmpty())
            storeNote = (note + QLatin1Char('\n')).toUtf8();
    }

    // The reading goes out whatever the verdict; --check only sets the status.
    // A table that cannot be used says why: the text has it in its verdict
    // line, the other formats on standard error.
    QByteArray err = storeNote;
    if (reading.verdict && reading.verdict->kind() == Verdict::Kind::Error &&
        options.format != ReadOptions::OutputFormat::Text)
        err += (reading.verdict->text() + QLatin1Char('\n')).toUtf8();
    int status = Success;
    if (options.check) {
        const Verdict::Kind kind = reading.verdict ? reading.verdict->kind() : Verdict::Kind::None;
        status = kind == Verdict::Kind::Pass   ? Success
                 : kind == Verdict::Kind::Fail ? CheckFailed
                                               : CheckUndecided;
    }
    switch (options.format) {
    case ReadOptions::OutputFormat::Text:
        return {status, ReadOutput::text(reading).toUtf8(), err};
    case ReadOptions::OutputFormat::Json:
        return {status, ReadOutput::json(reading), err};
    case ReadOptions::OutputFormat::Csv:
        return {status,
                (ReadOutput::csv(reading, options, stored.dataTrenner, format.locale, stored.dataFile,
                                 verdictColumns(reading.verdict.value_or(Verdict()), stored.verdictColumns)) +
                 QLatin1Char('\n'))
                    .toUtf8(),
                err};
    }
    return {};
}

} // namespace ReadCommand
