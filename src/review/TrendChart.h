#pragma once

#include "store/ReviewData.h"
#include "tolerance/Limit.h"

#include <QChartView>
#include <QHash>
#include <QLocale>
#include <functional>
#include <optional>

class QDateTimeAxis;
class QLineSeries;
class QScatterSeries;
class QValueAxis;

// One quantity of one type over time: the values as a line (a few points per
// pixel column when there are more values than columns), the mean, the
// limits, and a red marker with a tool tip for each record outside them
// (at most the highest and lowest of a column).
class TrendChart : public QChartView
{
    Q_OBJECT
public:
    // The numbers of records by id, for the markers' tool tips.
    using NumberLookup = std::function<QHash<qint64, QString>(const QList<qint64> &ids)>;

    explicit TrendChart(NumberLookup numbers, QWidget *parent = nullptr);

    struct Trend
    {
        QString type;
        ReviewQuantity quantity = ReviewQuantity::ElectricalAngle;
        ReviewSeries series;
        std::optional<Limit> limit;
        std::optional<double> mean;
    };
    void showTrend(Trend trend);
    // No trend, only a word in its place.
    void showMessage(const QString &text);

    [[nodiscard]] qsizetype linePointCount() const;
    [[nodiscard]] qsizetype markerCount() const;
    [[nodiscard]] qsizetype outsideCount() const { return m_outside.size(); }

protected:
    void resizeEvent(QResizeEvent *event) override;
    // The marker under the mouse shows its tool tip; the scene's own help
    // would hide it, having none.
    bool viewportEvent(QEvent *event) override;

private:
    void draw();
    [[nodiscard]] int columns() const;
    [[nodiscard]] QString tipFor(std::size_t index) const;
    // The marker at a point of the viewport; -1 for none.
    [[nodiscard]] qsizetype markerAt(const QPointF &position) const;

    NumberLookup m_numbers;
    QHash<qint64, QString> m_knownNumbers;
    Trend m_trend;
    std::vector<std::size_t> m_outside; // indices of the values outside the limits
    int m_drawnColumns = 0;
    QLineSeries *m_line;
    QLineSeries *m_mean;
    QLineSeries *m_lower;
    QLineSeries *m_upper;
    QScatterSeries *m_markers;
    QList<QString> m_markerTips;
    QDateTimeAxis *m_time;
    QValueAxis *m_value;
    QLocale m_locale;
};
