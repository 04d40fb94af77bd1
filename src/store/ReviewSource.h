#pragma once

#include "store/ReviewData.h"

#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// Where the review reads its records from. This bench's results store is one
// source; a shared database of many benches can be another. Each call is
// answered on the calling thread; a source that may wait on a network is
// to be called off the window's thread. Failures come back as causes.
class ReviewSource
{
public:
    ReviewSource() = default;
    virtual ~ReviewSource() = default;
    ReviewSource(const ReviewSource &) = delete;
    ReviewSource &operator=(const ReviewSource &) = delete;

    // What the window names as the source, e.g. the store's file.
    [[nodiscard]] virtual QString description() const = 0;
    // The machine types of all records, sorted.
    [[nodiscard]] virtual Fetched<QStringList> types() = 0;
    // The benches' names of all records, sorted; imported lines, which
    // have none, are not among them.
    [[nodiscard]] virtual Fetched<QStringList> benches() = 0;
    // The type of the newest record; empty when there is none.
    [[nodiscard]] virtual Fetched<QString> newestType() = 0;
    // How many records the filter lets through.
    [[nodiscard]] virtual Fetched<qint64> count(const ReviewFilter &filter) = 0;
    // count lines of the table from offset on, in the given order.
    [[nodiscard]] virtual Fetched<QList<ReviewRow>> rows(const ReviewFilter &filter, const ReviewOrder &order,
                                                         qint64 offset, int count) = 0;
    // One record with its frame; nothing when it is gone.
    [[nodiscard]] virtual Fetched<std::optional<ReviewRecord>> record(qint64 id) = 0;
    // The quantity of the records the filter lets through, oldest first;
    // records without the value (speed at period 0, offsets of an imported
    // line) are left out.
    [[nodiscard]] virtual Fetched<ReviewSeries> series(const ReviewFilter &filter,
                                                       ReviewQuantity quantity) = 0;
    // The numbers of the records with these ids.
    [[nodiscard]] virtual Fetched<QHash<qint64, QString>> numbers(const QList<qint64> &ids) = 0;
    // The limits the newest judged record of the type was judged against,
    // {name: [min, max]} as stored; empty when none was.
    [[nodiscard]] virtual Fetched<QJsonObject> latestLimits(const QString &type) = 0;
};
