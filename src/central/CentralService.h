#pragma once

#include "central/CentralStatus.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <atomic>
#include <chrono>
#include <memory>

class CentralWorker;
class QThread;

// Starts and stops the central upload's worker thread (see CentralWorker)
// from the window's thread. No call here waits on the network: a save only
// posts a note to the worker, and stop() waits a bounded time.
class CentralService : public QObject
{
    Q_OBJECT
public:
    explicit CentralService(QObject *parent = nullptr);
    ~CentralService() override; // stop()

    // Starts the worker for the store at storePath and a prepared connection
    // string; a running one is stopped first.
    void start(const QByteArray &conninfo, const QString &storePath);
    [[nodiscard]] bool isRunning() const { return m_worker != nullptr; }
    // A save queued a row: the worker sends it soon (or counts it while it
    // waits out a pause after a failure). Returns at once.
    void recordSaved();
    // Lets the worker try one last batch, and returns within budget however
    // the server behaves: a worker still waiting then is cancelled, and one
    // that does not end even so (a local lock) is left to end by itself.
    void stop(std::chrono::milliseconds budget = std::chrono::seconds(2));

signals:
    void statusChanged(const CentralStatus &status);

private:
    QThread *m_thread = nullptr;
    CentralWorker *m_worker = nullptr;
    std::shared_ptr<std::atomic<bool>> m_cancel;
};
