#include "central/CentralWorker.h"

#include "central/CentralConnection.h"
#include "central/StoreUpload.h"
#include "store/ResultStore.h"
#include "store/UploadQueue.h"

#include <QFileInfo>
#include <QThread>
#include <QTimer>
#include <algorithm>

using namespace std::chrono_literals;

namespace {
// How often the queue is looked at when nothing else asks.
constexpr std::chrono::milliseconds CheckInterval = 60s;
constexpr std::chrono::milliseconds FirstPause = 5s;
constexpr std::chrono::milliseconds LongestPause = 5min;
// One batch: connect (connect_timeout, 5 s unless the string says otherwise),
// insert 500 rows, commit.
constexpr std::chrono::milliseconds BatchDeadline = 60s;
} // namespace

CentralWorker::CentralWorker(const QByteArray &conninfo, const QString &storePath,
                             std::shared_ptr<std::atomic<bool>> cancel)
    : m_conninfo(conninfo), m_storePath(storePath), m_cancel(std::move(cancel))
{}

CentralWorker::~CentralWorker() = default;

std::chrono::milliseconds CentralWorker::retryPause(int failures)
{
    std::chrono::milliseconds pause = FirstPause;
    for (int i = 1; i < failures && pause < LongestPause; ++i)
        pause *= 2;
    return std::min(pause, LongestPause);
}

void CentralWorker::begin()
{
    m_connection = std::make_unique<CentralConnection>(m_cancel.get());
    m_timer = new QTimer(this);
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, [this] { attempt(QDeadlineTimer(BatchDeadline)); });
    schedule(0ms);
}

bool CentralWorker::haveStore()
{
    if (!m_store && QFileInfo::exists(m_storePath))
        m_store = std::make_unique<ResultStore>(m_storePath);
    return m_store != nullptr;
}

void CentralWorker::schedule(std::chrono::milliseconds delay)
{
    if (!*m_cancel)
        m_timer->start(delay);
}

void CentralWorker::publish(CentralStatus::State state, qint64 pending, bool sending, const QString &reason,
                            const QString &detail)
{
    const CentralStatus status{state, pending, sending, reason, detail};
    if (status.state == m_status.state && status.pending == m_status.pending &&
        status.sending == m_status.sending && status.detail == m_status.detail &&
        status.reason == m_status.reason)
        return;
    m_status = status;
    emit statusChanged(m_status);
}

void CentralWorker::attempt(QDeadlineTimer deadline)
{
    if (*m_cancel)
        return;
    if (!haveStore()) {
        publish(CentralStatus::State::Current, 0, false);
        schedule(CheckInterval);
        return;
    }
    const UploadQueue::Count queued = UploadQueue::pending(*m_store);
    if (!queued.cause.isEmpty()) {
        publish(CentralStatus::State::StoreFailed, m_status.pending, false, queued.cause, queued.cause);
        schedule(CheckInterval);
        return;
    }
    if (queued.rows == 0) {
        m_connection->close();
        m_failures = 0;
        publish(CentralStatus::State::Current, 0, false);
        schedule(CheckInterval);
        return;
    }
    // While the last attempt failed, the field keeps saying so during the next one.
    const CentralStatus::State showing =
        m_failures > 0 ? CentralStatus::State::Unreachable : CentralStatus::State::Pending;
    if (showing == CentralStatus::State::Pending)
        publish(showing, queued.rows, true);
    else
        publish(showing, queued.rows, true, m_status.reason, m_status.detail);
    const StoreUpload::Batch batch = StoreUpload::send(*m_store, *m_connection, m_conninfo, deadline);
    const qint64 left = queued.rows - batch.sent;
    if (batch.error.isError()) {
        // Never kept half-used: the next attempt connects afresh.
        m_connection->close();
        ++m_failures;
        publish(CentralStatus::State::Unreachable, left, false, batch.error.reason(), batch.error.text());
        schedule(retryPause(m_failures));
        return;
    }
    if (!batch.storeCause.isEmpty()) {
        publish(CentralStatus::State::StoreFailed, left, false, batch.storeCause, batch.storeCause);
        schedule(CheckInterval);
        return;
    }
    m_failures = 0;
    if (batch.full) {
        publish(CentralStatus::State::Pending, left, true);
        schedule(0ms);
        return;
    }
    // Rows saved meanwhile are counted at the next look.
    schedule(0ms);
}

void CentralWorker::recordSaved()
{
    if (*m_cancel || !m_timer)
        return;
    if (m_failures == 0) {
        schedule(0ms);
        return;
    }
    // Waiting out a pause: the server is not asked again before its end.
    if (haveStore()) {
        if (const UploadQueue::Count queued = UploadQueue::pending(*m_store); queued.cause.isEmpty())
            publish(m_status.state, queued.rows, m_status.sending, m_status.reason, m_status.detail);
    }
}

void CentralWorker::finish(QDeadlineTimer deadline)
{
    if (m_timer)
        m_timer->stop();
    if (!*m_cancel && m_connection && haveStore())
        static_cast<void>(StoreUpload::send(*m_store, *m_connection, m_conninfo, deadline));
    *m_cancel = true;
    m_connection.reset();
    m_store.reset();
    thread()->quit();
}
