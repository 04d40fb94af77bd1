#pragma once

#include "store/ReviewSource.h"

#include <memory>

// The review's source as the window chooses it: this bench's store, or the
// central database when there is one. The window's table and chart keep
// this one object; a switch takes effect at the next call.
class ReviewSourceSwitch final : public ReviewSource
{
public:
    // central may be null: then there is only the bench's own source.
    ReviewSourceSwitch(std::unique_ptr<ReviewSource> local, std::unique_ptr<ReviewSource> central);
    ~ReviewSourceSwitch() override;

    [[nodiscard]] bool hasCentral() const { return m_central != nullptr; }
    [[nodiscard]] bool usesCentral() const { return m_current == m_central.get(); }
    void useCentral(bool central);
    void setCentral(std::unique_ptr<ReviewSource> central);

    [[nodiscard]] QString description() const override { return m_current->description(); }
    [[nodiscard]] Fetched<QStringList> types() override { return m_current->types(); }
    [[nodiscard]] Fetched<QStringList> benches() override { return m_current->benches(); }
    [[nodiscard]] Fetched<QString> newestType() override { return m_current->newestType(); }
    [[nodiscard]] Fetched<qint64> count(const ReviewFilter &filter) override
    {
        return m_current->count(filter);
    }
    [[nodiscard]] Fetched<QList<ReviewRow>> rows(const ReviewFilter &filter, const ReviewOrder &order,
                                                 qint64 offset, int count) override
    {
        return m_current->rows(filter, order, offset, count);
    }
    [[nodiscard]] Fetched<std::optional<ReviewRecord>> record(qint64 id) override
    {
        return m_current->record(id);
    }
    [[nodiscard]] Fetched<ReviewSeries> series(const ReviewFilter &filter, ReviewQuantity quantity) override
    {
        return m_current->series(filter, quantity);
    }
    [[nodiscard]] Fetched<QHash<qint64, QString>> numbers(const QList<qint64> &ids) override
    {
        return m_current->numbers(ids);
    }
    [[nodiscard]] Fetched<QJsonObject> latestLimits(const QString &type) override
    {
        return m_current->latestLimits(type);
    }

private:
    std::unique_ptr<ReviewSource> m_local;
    std::unique_ptr<ReviewSource> m_central;
    ReviewSource *m_current;
};
