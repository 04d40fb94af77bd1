#pragma once

#include "store/ReviewSource.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>

// A review source that answers on a thread of its own, for one that waits
// on the network (CentralReview). The caller still gets each answer in
// turn, but while it waits its thread keeps its event loop going: windows
// repaint, user input waits until the answer is there, and busy(true) and
// busy(false) frame each call for an indicator. Its end cancels a call
// under way.
class ThreadedReviewSource final : public ReviewSource
{
public:
    // source is moved onto the thread; cancel is the flag it waits on.
    ThreadedReviewSource(std::unique_ptr<ReviewSource> source, std::shared_ptr<std::atomic<bool>> cancel,
                         std::function<void(bool)> busy);
    ~ThreadedReviewSource() override;

    [[nodiscard]] QString description() const override;
    [[nodiscard]] Fetched<QStringList> types() override;
    [[nodiscard]] Fetched<QStringList> benches() override;
    [[nodiscard]] Fetched<QString> newestType() override;
    [[nodiscard]] Fetched<qint64> count(const ReviewFilter &filter) override;
    [[nodiscard]] Fetched<QList<ReviewRow>> rows(const ReviewFilter &filter, const ReviewOrder &order,
                                                 qint64 offset, int count) override;
    [[nodiscard]] Fetched<std::optional<ReviewRecord>> record(qint64 id) override;
    [[nodiscard]] Fetched<ReviewSeries> series(const ReviewFilter &filter, ReviewQuantity quantity) override;
    [[nodiscard]] Fetched<QHash<qint64, QString>> numbers(const QList<qint64> &ids) override;
    [[nodiscard]] Fetched<QJsonObject> latestLimits(const QString &type) override;

private:
    template <class Call> auto call(Call work) -> decltype(work());

    std::unique_ptr<ReviewSource> m_source;
    std::shared_ptr<std::atomic<bool>> m_cancel;
    std::function<void(bool)> m_busy;
    QThread m_thread;
    std::unique_ptr<QObject> m_context; // lives on m_thread: calls run in its name
};

template <class Call> auto ThreadedReviewSource::call(Call work) -> decltype(work())
{
    struct Pending
    {
        std::optional<decltype(work())> answer;
        std::atomic<bool> done = false;
    };
    const auto pending = std::make_shared<Pending>();
    QAbstractEventDispatcher *const dispatcher = QAbstractEventDispatcher::instance();
    if (m_busy)
        m_busy(true);
    QMetaObject::invokeMethod(
        m_context.get(),
        [pending, work, dispatcher] {
            pending->answer = work();
            pending->done = true;
            dispatcher->wakeUp();
        },
        Qt::QueuedConnection);
    // No nested event loop: an application's exit would end one before the
    // answer is there, and the window's own deferred delete could run in
    // it. Events are still handled, so windows repaint while it waits.
    while (!pending->done)
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::WaitForMoreEvents);
    if (m_busy)
        m_busy(false);
    return std::move(*pending->answer);
}
