#pragma once

#include "store/ResultStore.h"
#include "store/ReviewSource.h"

// The review's queries on this bench's results store, on a connection of
// its own. A store file that does not exist yet is not made here: every
// call answers "noch keine Messwerte gespeichert" until a save has made it.
class StoreReview final : public ReviewSource
{
public:
    explicit StoreReview(const QString &storePath);

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
    // Empty when the store is open for queries, else the cause.
    [[nodiscard]] QString ready();

    ResultStore m_store;
};
