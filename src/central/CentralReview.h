#pragma once

#include "central/CentralConnection.h"
#include "store/ReviewSource.h"

#include <QByteArray>
#include <QHash>
#include <QStringList>
#include <atomic>
#include <memory>

// The review's queries on the central table, the records of every bench:
// read-only, with bound values, on a connection of its own that is opened
// when first needed and again after a failure. Every call may wait on the
// network up to its deadline; call it off the window's thread.
//
// A row's id for the review is made here from its store and its id there
// (the store's number in this session above bit 40), as the central table
// has no id of its own.
class CentralReview final : public ReviewSource
{
public:
    // conninfo prepared by CentralConnInfo; cancel ends any wait (may be null).
    CentralReview(const QByteArray &conninfo, std::shared_ptr<std::atomic<bool>> cancel = {});

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
    // Runs one statement; empty or the cause.
    [[nodiscard]] QString query(const QByteArray &sql, const QList<QByteArray> &values,
                                CentralResult *result);
    // The column's values, sorted, each once.
    [[nodiscard]] Fetched<QStringList> distinctValues(const char *column);
    [[nodiscard]] qint64 idOf(const QString &storeId, qint64 localId);
    [[nodiscard]] ReviewRow rowOf(const CentralResult &result, int row);

    QByteArray m_conninfo;
    std::shared_ptr<std::atomic<bool>> m_cancel;
    CentralConnection m_connection;
    QHash<QString, qint64> m_storeNumbers;
    QStringList m_stores; // by number
};
