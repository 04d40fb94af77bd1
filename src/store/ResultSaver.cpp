#include "store/ResultSaver.h"

#include "link/Frame.h"
#include "store/ResultStore.h"

#include <QFileInfo>

ResultSaver::ResultSaver() = default;
ResultSaver::~ResultSaver() = default;

void ResultSaver::use(const StoreSetup &setup)
{
    if (setup == m_setup)
        return;
    m_setup = setup;
    m_store = setup.isOn() ? std::make_unique<ResultStore>(setup.path) : nullptr;
}

QString ResultSaver::save(const ReceptionBuffer &buffer, const QDateTime &time, const QStringList &fields,
                          const QString &dataFile, const StoreVerdict &verdict)
{
    if (!m_store)
        return {};
    const QByteArray frame = buffer.received().left(Frame::Length);
    const StoreRecord record =
        StoreRecord::fromReading(decodeFrame(buffer), frame, time, fields, m_setup.bench,
                                 QFileInfo(dataFile).absoluteFilePath(), verdict);
    const ResultStore::SaveResult result = m_store->save(record);
    return result.stored ? QString() : note(result.cause);
}

QString ResultSaver::catchUp()
{
    if (!m_store)
        return {};
    const PendingList::Drained drained = m_store->catchUp();
    return drained.cause.isEmpty() ? QString() : note(drained.cause);
}

QString ResultSaver::note(const QString &cause)
{
    return QStringLiteral("Ergebnisdatenbank: ") + cause;
}
