#pragma once

#include "central/CentralStatus.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QObject>
#include <QString>
#include <atomic>
#include <chrono>
#include <memory>

class CentralConnection;
class QTimer;
class ResultStore;

// Sends the results store's queue to the central database, on a thread of
// its own with connections of its own (store and server), so that no save,
// read or window waits on the network. Driven by queued calls only: begin()
// once on its thread, recordSaved() after each save, finish() at the end.
//
// A batch goes up after each save and while rows are queued; the queue is
// looked at every minute (quoran-read and imports fill it too). A failed
// attempt is retried after a pause that doubles from 5 s up to 5 minutes;
// saves in the meantime only count. The connection is closed whenever the
// queue is empty, so that a hundred idle benches hold no server connections.
class CentralWorker : public QObject
{
    Q_OBJECT
public:
    // cancel may be set from any thread: every wait of the worker ends at
    // once, and nothing further is tried. Shared, as the worker may end
    // while another thread sets it.
    CentralWorker(const QByteArray &conninfo, const QString &storePath,
                  std::shared_ptr<std::atomic<bool>> cancel);
    ~CentralWorker() override;

    // The pause before the next attempt after this many failures in a row.
    [[nodiscard]] static std::chrono::milliseconds retryPause(int failures);

    // On the worker's thread.
    void begin();
    void recordSaved();
    // One last batch within deadline (unless cancelled), then the thread's end.
    void finish(QDeadlineTimer deadline);

signals:
    void statusChanged(const CentralStatus &status);

private:
    void attempt(QDeadlineTimer deadline);
    // True when the store is there to read; a store file that does not
    // exist yet is not made here.
    [[nodiscard]] bool haveStore();
    void schedule(std::chrono::milliseconds delay);
    void publish(CentralStatus::State state, qint64 pending, bool sending, const QString &reason = {},
                 const QString &detail = {});

    const QByteArray m_conninfo;
    const QString m_storePath;
    const std::shared_ptr<std::atomic<bool>> m_cancel;
    std::unique_ptr<ResultStore> m_store;
    std::unique_ptr<CentralConnection> m_connection;
    QTimer *m_timer = nullptr;
    int m_failures = 0;
    CentralStatus m_status;
};
