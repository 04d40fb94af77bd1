#pragma once

#include "store/ReviewData.h"

#include <QAbstractTableModel>

class ReviewSource;

// The records as a table, fetched a page at a time as the view scrolls, so
// that a store of 10^5 records opens at once. Sorting asks the source anew.
class ReviewTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    static constexpr int PageSize = 200;

    explicit ReviewTableModel(ReviewSource &source, QObject *parent = nullptr);

    // Starts again from the first page; empty or the source's cause.
    QString setFilter(const ReviewFilter &filter);
    [[nodiscard]] const ReviewFilter &filter() const { return m_filter; }
    [[nodiscard]] const ReviewOrder &order() const { return m_order; }
    // The record of a row fetched so far.
    [[nodiscard]] const ReviewRow &rowAt(int row) const { return m_rows.at(row); }
    // The cause of the last failed fetch; empty after a good one.
    [[nodiscard]] const QString &lastCause() const { return m_cause; }

    [[nodiscard]] int rowCount(const QModelIndex &parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex &parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation,
                                      int role = Qt::DisplayRole) const override;
    [[nodiscard]] bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;
    void sort(int column, Qt::SortOrder order) override;

    // A cell's text, as shown and as the report prints it.
    [[nodiscard]] QString text(const ReviewRow &row, ReviewColumn column) const;

signals:
    // A fetch failed; the table keeps what it has.
    void fetchFailed(const QString &cause);

private:
    QString reload();

    ReviewSource &m_source;
    ReviewFilter m_filter;
    ReviewOrder m_order;
    QList<ReviewRow> m_rows;
    bool m_atEnd = true;
    bool m_fetching = false;
    quint64 m_request = 0; // counts the loads from the start
    QString m_cause;
};
