#include "central/CentralService.h"

#include "central/CentralWorker.h"

#include <QThread>

using namespace std::chrono_literals;

namespace {
// Kept of stop()'s budget to see a cancelled worker end.
constexpr std::chrono::milliseconds CancelMargin = 150ms;
} // namespace

CentralService::CentralService(QObject *parent) : QObject(parent) {}

CentralService::~CentralService()
{
    stop();
}

void CentralService::start(const QByteArray &conninfo, const QString &storePath)
{
    stop();
    m_thread = new QThread;
    m_thread->setObjectName(QStringLiteral("Zentrale"));
    m_cancel = std::make_shared<std::atomic<bool>>(false);
    m_worker = new CentralWorker(conninfo, storePath, m_cancel);
    m_worker->moveToThread(m_thread);
    // Deleted on its own thread as that ends, with its store and connection.
    connect(m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    connect(m_worker, &CentralWorker::statusChanged, this, &CentralService::statusChanged);
    m_thread->start();
    QMetaObject::invokeMethod(m_worker, &CentralWorker::begin, Qt::QueuedConnection);
    emit statusChanged({CentralStatus::State::Checking, 0, false, {}, {}});
}

void CentralService::recordSaved()
{
    if (m_worker)
        QMetaObject::invokeMethod(m_worker, &CentralWorker::recordSaved, Qt::QueuedConnection);
}

void CentralService::stop(std::chrono::milliseconds budget)
{
    if (!m_worker)
        return;
    const QDeadlineTimer whole(budget);
    const QDeadlineTimer lastBatch(std::max(0ms, budget - 2 * CancelMargin));
    CentralWorker *worker = m_worker;
    disconnect(worker, nullptr, this, nullptr);
    QMetaObject::invokeMethod(
        worker, [worker, lastBatch] { worker->finish(lastBatch); }, Qt::QueuedConnection);
    const qint64 beforeCancel = std::max<qint64>(0, whole.remainingTime() - CancelMargin.count());
    if (!m_thread->wait(QDeadlineTimer(beforeCancel))) {
        // Still in an earlier attempt, or the last batch overran.
        *m_cancel = true;
        static_cast<void>(m_thread->wait(whole));
    }
    // Blocked where no cancel reaches (a store lock held elsewhere): left to
    // end by itself, as destroying a running thread would abort the program.
    // Connected before the look, so that an end in between is not missed.
    connect(m_thread, &QThread::finished, m_thread, &QObject::deleteLater);
    if (m_thread->isFinished())
        delete m_thread; // the worker went with the thread's end
    m_thread = nullptr;
    m_worker = nullptr;
    m_cancel.reset();
}
