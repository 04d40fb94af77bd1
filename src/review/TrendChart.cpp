#include "review/TrendChart.h"

#include "review/ReviewValueText.h"
#include "review/TrendDecimation.h"

#include <QDateTime>
#include <QDateTimeAxis>
#include <QHelpEvent>
#include <QLineSeries>
#include <QLocale>
#include <QScatterSeries>
#include <QToolTip>
#include <QValueAxis>
#include <algorithm>

namespace {

QLineSeries *lineSeries(QChart *chart, const QString &name, const QPen &pen)
{
    auto *series = new QLineSeries(chart);
    series->setName(name);
    series->setPen(pen);
    chart->addSeries(series);
    return series;
}

QPen dashed(const QColor &colour)
{
    QPen pen(colour, 1.5);
    pen.setStyle(Qt::DashLine);
    return pen;
}

} // namespace

TrendChart::TrendChart(NumberLookup numbers, QWidget *parent)
    : QChartView(new QChart, parent), m_numbers(std::move(numbers)), m_time(new QDateTimeAxis),
      m_value(new QValueAxis)
{
    setObjectName(QStringLiteral("chtVerlauf"));
    setAccessibleName(QStringLiteral("Verlauf"));
    setRenderHint(QPainter::Antialiasing, false);
    setMinimumSize(360, 220);
    QChart *area = chart();
    area->legend()->setAlignment(Qt::AlignBottom);
    area->setMargins(QMargins(4, 4, 4, 4));
    m_line = lineSeries(area, QString(), QPen(QColor(0x1f, 0x4e, 0x9a), 1.0));
    QPen meanPen(QColor(0x2e, 0x7d, 0x32), 2.5);
    m_mean = lineSeries(area, QStringLiteral("Mittelwert"), meanPen);
    m_lower = lineSeries(area, QStringLiteral("untere Grenze"), dashed(QColor(0xc6, 0x28, 0x28)));
    m_upper = lineSeries(area, QStringLiteral("obere Grenze"), dashed(QColor(0xc6, 0x28, 0x28)));
    m_markers = new QScatterSeries(area);
    m_markers->setName(QStringLiteral("außerhalb der Grenzen"));
    m_markers->setColor(QColor(0xd3, 0x2f, 0x2f));
    m_markers->setBorderColor(QColor(0x8b, 0x00, 0x00));
    m_markers->setMarkerSize(8.0);
    area->addSeries(m_markers);
    m_time->setTitleText(QStringLiteral("Zeit"));
    area->addAxis(m_time, Qt::AlignBottom);
    area->addAxis(m_value, Qt::AlignLeft);
    for (QAbstractSeries *series : area->series()) {
        series->attachAxis(m_time);
        series->attachAxis(m_value);
    }
    showMessage(QString());
}

void TrendChart::showMessage(const QString &text)
{
    m_trend = {};
    m_outside.clear();
    m_drawnColumns = 0;
    for (QAbstractSeries *series : chart()->series()) {
        static_cast<QXYSeries *>(series)->clear();
        series->setVisible(false);
    }
    m_markerTips.clear();
    m_time->setVisible(false);
    m_value->setVisible(false);
    chart()->setTitle(text);
}

void TrendChart::showTrend(Trend trend)
{
    m_trend = std::move(trend);
    m_outside.clear();
    m_knownNumbers.clear();
    const std::vector<double> &values = m_trend.series.values;
    if (m_trend.limit) {
        for (std::size_t i = 0; i < values.size(); ++i) {
            if (!m_trend.limit->holds(values[i]))
                m_outside.push_back(i);
        }
    }
    const QString name = reviewQuantityName(m_trend.quantity);
    chart()->setTitle(m_trend.type + QStringLiteral(": ") + name);
    m_line->setName(name);
    m_value->setTitleText(name);
    m_drawnColumns = 0;
    draw();
}

int TrendChart::columns() const
{
    const qreal plot = chart()->plotArea().width();
    // Before the first layout the plot area is empty; the view's width is near it.
    return std::max(50, int(plot > 10 ? plot : width() - 100));
}

void TrendChart::resizeEvent(QResizeEvent *event)
{
    QChartView::resizeEvent(event);
    // Only a change of the width changes what is drawn.
    if (!m_trend.series.values.empty() && columns() != m_drawnColumns)
        draw();
}

void TrendChart::draw()
{
    const ReviewSeries &series = m_trend.series;
    if (series.values.empty()) {
        showMessage(m_trend.type.isEmpty() ? QString()
                                           : m_trend.type + QStringLiteral(": keine Werte für ") +
                                                 reviewQuantityName(m_trend.quantity));
        return;
    }
    m_drawnColumns = columns();
    const std::vector<std::size_t> kept =
        TrendDecimation::forWidth(series.timesMs, series.values, m_drawnColumns);
    QList<QPointF> points;
    points.reserve(qsizetype(kept.size()));
    for (const std::size_t i : kept)
        points.append(QPointF(double(series.timesMs[i]), series.values[i]));
    m_line->replace(points);
    m_line->setVisible(true);

    // Axis ranges: the values and the limits, with a little room.
    const auto [low, high] = std::minmax_element(series.values.begin(), series.values.end());
    double bottom = *low;
    double top = *high;
    const std::optional<Limit> &limit = m_trend.limit;
    if (limit && limit->min)
        bottom = std::min(bottom, *limit->min);
    if (limit && limit->max)
        top = std::max(top, *limit->max);
    const double room = top > bottom ? (top - bottom) * 0.05 : std::max(1.0, std::abs(top) * 0.05);
    m_value->setRange(bottom - room, top + room);
    m_value->applyNiceNumbers();
    qint64 first = series.timesMs.front();
    qint64 last = series.timesMs.back();
    if (last - first < 60000) {
        first -= 30000;
        last += 30000;
    }
    m_time->setRange(QDateTime::fromMSecsSinceEpoch(first), QDateTime::fromMSecsSinceEpoch(last));
    m_time->setFormat(last - first > 2LL * 86400000 ? QStringLiteral("dd.MM.yy")
                                                    : QStringLiteral("dd.MM. HH:mm"));
    m_time->setVisible(true);
    m_value->setVisible(true);

    const auto across = [&](QLineSeries *line, std::optional<double> at) {
        line->setVisible(bool(at));
        if (at)
            line->replace({QPointF(double(first), *at), QPointF(double(last), *at)});
        else
            line->clear();
    };
    across(m_mean, m_trend.mean);
    across(m_lower, limit ? limit->min : std::nullopt);
    across(m_upper, limit ? limit->max : std::nullopt);

    const std::vector<std::size_t> marked =
        TrendDecimation::extremesPerColumn(series.timesMs, series.values, m_outside, m_drawnColumns);
    QList<qint64> unknown;
    for (const std::size_t i : marked) {
        if (!m_knownNumbers.contains(series.ids[i]))
            unknown.append(series.ids[i]);
    }
    if (!unknown.isEmpty() && m_numbers)
        m_knownNumbers.insert(m_numbers(unknown));
    QList<QPointF> markerPoints;
    m_markerTips.clear();
    for (const std::size_t i : marked) {
        markerPoints.append(QPointF(double(series.timesMs[i]), series.values[i]));
        m_markerTips.append(tipFor(i));
    }
    m_markers->replace(markerPoints);
    m_markers->setVisible(!markerPoints.isEmpty());
}

QString TrendChart::tipFor(std::size_t index) const
{
    const ReviewSeries &series = m_trend.series;
    const QString time =
        QLocale().toString(QDateTime::fromMSecsSinceEpoch(series.timesMs[index]).toLocalTime(),
                           QStringLiteral("dd.MM.yyyy HH:mm:ss"));
    return QStringLiteral("Typ %1, Nummer %2, %3, %4 %5")
        .arg(m_trend.type, m_knownNumbers.value(series.ids[index], QStringLiteral("–")), time,
             reviewQuantityName(m_trend.quantity), reviewValueText(m_trend.quantity, series.values[index]));
}

bool TrendChart::viewportEvent(QEvent *event)
{
    if (event->type() != QEvent::ToolTip)
        return QChartView::viewportEvent(event);
    const auto *help = static_cast<QHelpEvent *>(event);
    if (const qsizetype marker = markerAt(help->pos()); marker >= 0)
        QToolTip::showText(help->globalPos(), m_markerTips.value(marker), viewport());
    else
        QToolTip::hideText();
    return true;
}

qsizetype TrendChart::markerAt(const QPointF &position) const
{
    if (!m_markers->isVisible())
        return -1;
    // The nearest marker within its own radius and a little more.
    const qreal reach = m_markers->markerSize() / 2 + 2;
    qsizetype found = -1;
    qreal best = reach * reach;
    const QList<QPointF> points = m_markers->points();
    for (qsizetype i = 0; i < points.size(); ++i) {
        const QPointF away = mapFromScene(chart()->mapToPosition(points[i], m_markers)) - position;
        const qreal distance = QPointF::dotProduct(away, away);
        if (distance <= best) {
            best = distance;
            found = i;
        }
    }
    return found;
}

qsizetype TrendChart::linePointCount() const
{
    return m_line->isVisible() ? m_line->count() : 0;
}

qsizetype TrendChart::markerCount() const
{
    return m_markers->isVisible() ? m_markers->count() : 0;
}
