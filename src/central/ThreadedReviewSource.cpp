#include "central/ThreadedReviewSource.h"

ThreadedReviewSource::ThreadedReviewSource(std::unique_ptr<ReviewSource> source,
                                           std::shared_ptr<std::atomic<bool>> cancel,
                                           std::function<void(bool)> busy)
    : m_source(std::move(source)), m_cancel(std::move(cancel)), m_busy(std::move(busy)),
      m_context(std::make_unique<QObject>())
{
    m_thread.setObjectName(QStringLiteral("Auswertung Zentrale"));
    m_context->moveToThread(&m_thread);
    m_thread.start();
}

ThreadedReviewSource::~ThreadedReviewSource()
{
    // No call is under way here: each one waits for its answer. The flag
    // still ends a connect that another owner started.
    if (m_cancel)
        *m_cancel = true;
    m_thread.quit();
    m_thread.wait();
    // The source's connection is closed on this thread; libpq allows that
    // once its thread is gone.
    m_source.reset();
}

QString ThreadedReviewSource::description() const
{
    return m_source->description();
}

Fetched<QStringList> ThreadedReviewSource::types()
{
    return call([this] { return m_source->types(); });
}

Fetched<QStringList> ThreadedReviewSource::benches()
{
    return call([this] { return m_source->benches(); });
}

Fetched<QString> ThreadedReviewSource::newestType()
{
    return call([this] { return m_source->newestType(); });
}

Fetched<qint64> ThreadedReviewSource::count(const ReviewFilter &filter)
{
    return call([&] { return m_source->count(filter); });
}

Fetched<QList<ReviewRow>> ThreadedReviewSource::rows(const ReviewFilter &filter, const ReviewOrder &order,
                                                     qint64 offset, int count)
{
    return call([&] { return m_source->rows(filter, order, offset, count); });
}

Fetched<std::optional<ReviewRecord>> ThreadedReviewSource::record(qint64 id)
{
    return call([&] { return m_source->record(id); });
}

Fetched<ReviewSeries> ThreadedReviewSource::series(const ReviewFilter &filter, ReviewQuantity quantity)
{
    return call([&] { return m_source->series(filter, quantity); });
}

Fetched<QHash<qint64, QString>> ThreadedReviewSource::numbers(const QList<qint64> &ids)
{
    return call([&] { return m_source->numbers(ids); });
}

Fetched<QJsonObject> ThreadedReviewSource::latestLimits(const QString &type)
{
    return call([&] { return m_source->latestLimits(type); });
}
