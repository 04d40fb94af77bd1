#include "CentralCommand.h"

#include "central/CentralConfig.h"
#include "central/CentralConnection.h"
#include "central/CentralSchema.h"
#include "central/StoreUpload.h"
#include "config/SettingsStore.h"
#include "store/ResultStore.h"
#include "store/UploadQueue.h"

#include <QFileInfo>

namespace CentralCommand {
namespace {

using ReadCommand::Outcome;

// One batch: connect (connect_timeout) and 500 rows.
constexpr int BatchDeadlineMs = 60000;
// The schema: a few statements, but they may wait for a lock on the table.
constexpr int InitDeadlineMs = 120000;

Outcome failure(int status, const QString &text)
{
    return {status, {}, (QStringLiteral("Fehler: Zentrale\n") + text + u'\n').toUtf8()};
}

// The settings' answer when they name no usable central database; nothing when they do.
std::optional<Outcome> unusable(const CentralConfig &config, const QString &settingsPath)
{
    switch (config.mode) {
    case CentralConfig::Mode::Off:
        return failure(ReadCommand::UsageError,
                       QStringLiteral("Die Einstellungsdatei %1 nennt keine zentrale Datenbank "
                                      "([Zentrale] Verbindung=).")
                           .arg(settingsPath));
    case CentralConfig::Mode::Invalid:
        return failure(ReadCommand::UsageError, config.error.text());
    case CentralConfig::Mode::SavingOff:
    case CentralConfig::Mode::On:
        break;
    }
    return std::nullopt;
}

Outcome storeFailure(const ResultStore &store, const QString &cause)
{
    return failure(ReadCommand::SaveFailed,
                   QStringLiteral("Ergebnisdatenbank %1: %2").arg(store.path(), cause));
}

} // namespace

Outcome upload(const StoredSettings &stored, const QString &settingsPath)
{
    const CentralConfig config = CentralConfig::fromSettings(stored, settingsPath);
    if (std::optional<Outcome> refused = unusable(config, settingsPath))
        return *refused;
    if (config.mode == CentralConfig::Mode::SavingOff)
        return failure(
            ReadCommand::UsageError,
            QStringLiteral("[Ergebnisse] Speichern=False: Die Ergebnisdatenbank ist ausgeschaltet, "
                           "es wird nichts vorgemerkt und nichts gesendet."));
    if (!QFileInfo::exists(config.storePath))
        return {ReadCommand::Success,
                QStringLiteral("Nichts zu senden: keine Ergebnisdatenbank.\n").toUtf8(),
                {}};

    ResultStore store(config.storePath);
    if (const QString cause = store.open(); !cause.isEmpty())
        return storeFailure(store, cause);
    // Records whose store write failed go into the queue first; a failure
    // here leaves them for the next save.
    static_cast<void>(store.catchUp());
    CentralConnection connection;
    qint64 sent = 0;
    for (;;) {
        const StoreUpload::Batch batch =
            StoreUpload::send(store, connection, config.conninfo, QDeadlineTimer(BatchDeadlineMs));
        sent += batch.sent;
        if (batch.error.isError()) {
            const UploadQueue::Count left = UploadQueue::pending(store);
            return failure(ReadCommand::CentralFailed,
                           QStringLiteral("Zentrale nicht erreichbar: %1\n%2 Datensätze gesendet, %3 bleiben "
                                          "vorgemerkt.")
                               .arg(batch.error.text())
                               .arg(sent)
                               .arg(left.rows));
        }
        if (!batch.storeCause.isEmpty())
            return storeFailure(store, batch.storeCause);
        if (!batch.full)
            break;
    }
    return {ReadCommand::Success,
            QStringLiteral("%1 Datensätze an die zentrale Datenbank gesendet, keine ausstehend.\n")
                .arg(sent)
                .toUtf8(),
            {}};
}

Outcome init(const StoredSettings &stored, const QString &settingsPath)
{
    const CentralConfig config = CentralConfig::fromSettings(stored, settingsPath);
    if (std::optional<Outcome> refused = unusable(config, settingsPath))
        return *refused;
    CentralConnection connection;
    if (!connection.open(config.conninfo, QDeadlineTimer(BatchDeadlineMs)))
        return failure(ReadCommand::CentralFailed, connection.error().text());
    if (const CentralError error = CentralSchema::init(connection, QDeadlineTimer(InitDeadlineMs));
        error.isError())
        return failure(ReadCommand::CentralFailed, error.text());
    return {ReadCommand::Success,
            QStringLiteral("Die zentrale Datenbank ist eingerichtet (Schema %1).\n")
                .arg(CentralSchema::Version)
                .toUtf8(),
            {}};
}

} // namespace CentralCommand
