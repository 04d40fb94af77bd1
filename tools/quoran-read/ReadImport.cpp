#include "ReadImport.h"

#include "config/SettingsStore.h"
#include "store/ImportSummary.h"
#include "store/ResultSaver.h"
#include "store/ResultStore.h"
#include "store/StoreSetup.h"

namespace ReadImport {

ReadCommand::Outcome run(const QStringList &files, const StoredSettings &stored, const QString &settingsFile,
                         const QLocale &locale, const ImportJudge &judge)
{
    ReadCommand::Outcome outcome;
    const StoreSetup setup = StoreSetup::fromSettings(stored, settingsFile);
    if (!setup.isOn()) {
        outcome.status = ReadCommand::SaveFailed;
        outcome.err = (ResultSaver::note(QStringLiteral("ausgeschaltet ([Ergebnisse] Speichern=False)")) +
                       QLatin1Char('\n'))
                          .toUtf8();
        return outcome;
    }
    ResultStore store(setup.path);
    for (const QString &file : files) {
        const ImportReport report = store.importDataFile(file, locale, judge);
        const QByteArray text = ImportSummary::text(file, report).toUtf8();
        if (report.error.isEmpty()) {
            outcome.out += text;
            continue;
        }
        outcome.err += text;
        if (report.storeFailed) {
            outcome.status = ReadCommand::SaveFailed;
            return outcome;
        }
        outcome.status = ReadCommand::UsageError;
    }
    return outcome;
}

} // namespace ReadImport
