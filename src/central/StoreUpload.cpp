#include "central/StoreUpload.h"

#include "central/CentralConnection.h"
#include "central/CentralUpload.h"
#include "store/UploadQueue.h"

namespace StoreUpload {

Batch send(ResultStore &store, CentralConnection &connection, const QByteArray &conninfo,
           QDeadlineTimer deadline)
{
    Batch batch;
    const UploadQueue::Rows queued = UploadQueue::next(store, int(CentralUpload::BatchSize));
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
    const CentralUpload::Result inserted = CentralUpload::insertRows(connection, queued.rows, deadline);
    batch.error = inserted.error;
    const std::span<const StoredRow> committed(queued.rows.constData(), std::size_t(inserted.committed));
    batch.storeCause = UploadQueue::markUploaded(store, committed);
    if (batch.storeCause.isEmpty())
        batch.sent = inserted.committed;
    return batch;
}

} // namespace StoreUpload
