#include "central/StoreUpload.h"

#include "central/CentralConnection.h"
#include "central/CentralUpload.h"
#include "store/UploadQueue.h"

using namespace Qt::StringLiterals;

namespace StoreUpload {

Batch send(ResultStore &store, CentralConnection &connection, const QByteArray &conninfo,
           QDeadlineTimer deadline)
{
    Batch batch;
    UploadQueue::Rows queued = UploadQueue::next(store, int(CentralUpload::BatchSize));
    if (!queued.cause.isEmpty()) {
        batch.storeCause = queued.cause;
        return batch;
    }
    if (queued.rows.isEmpty())
        return batch;
    batch.full = queued.rows.size() == CentralUpload::BatchSize;
    if (!connection.isOpen() && !connection.open(conninfo, deadline)) {
        batch.error = connection.error();
        return batch;
    }
    CentralUpload::Result inserted = CentralUpload::insertRows(connection, queued.rows, deadline);
    if (inserted.clashes > 0) {
        // A copy of another bench's store file: with its own identity its
        // rows go up; rows it sent before stay found by their line hash.
        if (batch.storeCause = UploadQueue::renewStoreId(store); !batch.storeCause.isEmpty())
            return batch;
        queued = UploadQueue::next(store, int(CentralUpload::BatchSize));
        if (!queued.cause.isEmpty()) {
            batch.storeCause = queued.cause;
            return batch;
        }
        inserted = CentralUpload::insertRows(connection, queued.rows, deadline);
        if (inserted.clashes > 0)
            inserted.error = CentralError(CentralError::Kind::Other,
                                          u"die Kennung der Ergebnisdatenbank ist schon vergeben"_s);
    }
    batch.error = inserted.error;
    const std::span<const StoredRow> committed(queued.rows.constData(), std::size_t(inserted.committed));
    batch.storeCause = UploadQueue::markUploaded(store, committed);
    if (batch.storeCause.isEmpty())
        batch.sent = inserted.committed;
    return batch;
}

} // namespace StoreUpload
