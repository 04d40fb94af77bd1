#pragma once

#include "store/StoreRecord.h"
#include "store/StoreSetup.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <memory>

class ReceptionBuffer;
class ResultStore;

// The store's part of a save, as the log window and quoran-read do it: after
// the data-file line was written, the reading with its frame, offsets and
// verdict. A store that cannot be written never fails the save: the record
// waits in the pending list and the caller shows the note.
class ResultSaver
{
public:
    ResultSaver();
    ~ResultSaver();
    ResultSaver(const ResultSaver &) = delete;
    ResultSaver &operator=(const ResultSaver &) = delete;

    // The store to write to from now on; none while setup is off.
    void use(const StoreSetup &setup);
    [[nodiscard]] const StoreSetup &setup() const { return m_setup; }

    // Stores the saved record: buffer is the valid frame it was decoded
    // from, fields the twelve given to the data file. Empty, or the note for
    // the status bar or standard error ("Ergebnisdatenbank: <Ursache>").
    [[nodiscard]] QString save(const ReceptionBuffer &buffer, const QDateTime &time,
                               const QStringList &fields, const QString &dataFile,
                               const StoreVerdict &verdict);

    // Writes the records a failed save left pending, when there are any and
    // the store works again. Empty, or the note when some are still pending.
    [[nodiscard]] QString catchUp();

    // "Ergebnisdatenbank: " + cause.
    [[nodiscard]] static QString note(const QString &cause);

private:
    StoreSetup m_setup;
    std::unique_ptr<ResultStore> m_store;
};
