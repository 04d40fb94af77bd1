#include "review/ReviewTableModel.h"

#include "review/ReviewValueText.h"

#include "store/ReviewSource.h"

#include <QDateTime>
#include <QLocale>

ReviewTableModel::ReviewTableModel(ReviewSource &source, QObject *parent)
    : QAbstractTableModel(parent), m_source(source)
{}

QString ReviewTableModel::setFilter(const ReviewFilter &filter)
{
    m_filter = filter;
    return reload();
}

QString ReviewTableModel::reload()
{
    // A source that waits on the network keeps events going meanwhile, so a
    // newer filter may come in: then that one's answer is the one shown.
    const quint64 request = ++m_request;
    const Fetched<QList<ReviewRow>> page = m_source.rows(m_filter, m_order, 0, PageSize);
    if (request != m_request)
        return {};
    beginResetModel();
    m_rows = page.value;
    m_atEnd = !page.ok() || page.value.size() < PageSize;
    m_cause = page.cause;
    endResetModel();
    if (!page.ok())
        emit fetchFailed(page.cause);
    return page.cause;
}

int ReviewTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int ReviewTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ReviewColumnCount;
}

bool ReviewTableModel::canFetchMore(const QModelIndex &parent) const
{
    return !parent.isValid() && !m_atEnd && !m_fetching;
}

void ReviewTableModel::fetchMore(const QModelIndex &parent)
{
    if (!canFetchMore(parent))
        return;
    const quint64 request = m_request;
    m_fetching = true;
    const Fetched<QList<ReviewRow>> page = m_source.rows(m_filter, m_order, m_rows.size(), PageSize);
    m_fetching = false;
    if (request != m_request)
        return; // the table was loaded anew meanwhile
    m_cause = page.cause;
    if (!page.ok()) {
        // Not tried again by every scroll step; a new filter or sort tries again.
        m_atEnd = true;
        emit fetchFailed(page.cause);
        return;
    }
    m_atEnd = page.value.size() < PageSize;
    if (page.value.isEmpty())
        return;
    beginInsertRows({}, int(m_rows.size()), int(m_rows.size() + page.value.size() - 1));
    m_rows.append(page.value);
    endInsertRows();
}

void ReviewTableModel::sort(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= ReviewColumnCount)
        return;
    const ReviewOrder wanted{ReviewColumn(column), order == Qt::DescendingOrder};
    if (wanted == m_order)
        return;
    m_order = wanted;
    reload();
}

QVariant ReviewTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= ReviewColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    return reviewColumnTitle(ReviewColumn(section));
}

QString ReviewTableModel::text(const ReviewRow &row, ReviewColumn column) const
{
    const auto whole = [](const std::optional<int> &value) { return reviewCountText(value); };
    switch (column) {
    case ReviewColumn::Time:
        return QLocale().toString(QDateTime::fromMSecsSinceEpoch(row.timeMs).toLocalTime(),
                                  QStringLiteral("dd.MM.yyyy HH:mm:ss"));
    case ReviewColumn::Type:
        return row.type;
    case ReviewColumn::Number:
        return row.number;
    case ReviewColumn::Mark:
        return row.mark;
    case ReviewColumn::PoleCount:
        return whole(row.poleCount);
    case ReviewColumn::Speed:
        return reviewValueText(ReviewQuantity::Speed, row.speed);
    case ReviewColumn::VoltageConstant:
        return reviewValueText(ReviewQuantity::VoltageConstant, row.voltageConstant);
    case ReviewColumn::Voltage:
        return reviewValueText(ReviewQuantity::Voltage, row.voltage);
    case ReviewColumn::ElectricalAngle:
        return reviewValueText(ReviewQuantity::ElectricalAngle, row.electricalAngle);
    case ReviewColumn::MechanicalAngle:
        return reviewValueText(ReviewQuantity::MechanicalAngle, row.mechanicalAngle);
    case ReviewColumn::Teeth:
        return whole(row.teeth);
    case ReviewColumn::OffsetU:
        return whole(row.offsetU);
    case ReviewColumn::OffsetV:
        return whole(row.offsetV);
    case ReviewColumn::OffsetW:
        return whole(row.offsetW);
    case ReviewColumn::Verdict:
        return reviewVerdictText(row.verdict);
    case ReviewColumn::Outside:
        return row.outside.join(QStringLiteral(", "));
    case ReviewColumn::Source:
        return row.source;
    case ReviewColumn::Bench:
        return row.bench;
    }
    return {};
}

QVariant ReviewTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const ReviewRow &row = m_rows.at(index.row());
    const auto column = ReviewColumn(index.column());
    switch (role) {
    case Qt::DisplayRole:
        return text(row, column);
    case Qt::TextAlignmentRole:
        return column >= ReviewColumn::PoleCount && column <= ReviewColumn::OffsetW
                   ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                   : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    case Qt::UserRole:
        return row.id;
    default:
        return {};
    }
}
