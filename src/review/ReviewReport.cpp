#include "review/ReviewReport.h"

#include <QFile>
#include <QFileInfo>
#include <QGraphicsView>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>

namespace {

constexpr int Dpi = 300;

QFont font(qreal points, bool bold = false)
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

// Draws text into the rectangle's top, wrapped; returns the height used.
int paragraph(QPainter &painter, const QRect &area, const QString &text, const QFont &face)
{
    painter.setFont(face);
    const QRect used = painter.boundingRect(area, Qt::TextWordWrap, text);
    painter.drawText(area, Qt::TextWordWrap, text);
    return used.height();
}

} // namespace

QString ReviewReport::writePdf(const QString &path, QGraphicsView &chart) const
{
    // QPdfWriter says nothing when it cannot write; look first.
    {
        QFile probe(path);
        if (!probe.open(QIODevice::WriteOnly))
            return probe.errorString();
    }
    QPdfWriter writer(path);
    writer.setResolution(Dpi);
    writer.setTitle(title);
    writer.setCreator(QStringLiteral("Quoran"));
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter));
    QPainter painter;
    if (!painter.begin(&writer))
        return QStringLiteral("PDF kann nicht angelegt werden");
    const QRect page(0, 0, writer.width(), writer.height());
    const int gap = Dpi / 12;
    int y = 0;
    const auto below = [&](int height) { y += height + gap; };
    below(paragraph(painter, page, title, font(16, true)));
    below(paragraph(painter, page.adjusted(0, y, 0, 0), created, font(8)));
    below(paragraph(painter, page.adjusted(0, y, 0, 0), filter, font(9)));

    // The chart as drawn on the screen, scaled to the page's width.
    const QRect viewport = chart.viewport()->rect();
    const int chartHeight =
        viewport.width() > 0
            ? std::min(page.height() * 40 / 100, page.width() * viewport.height() / viewport.width())
            : page.height() * 36 / 100;
    const QRect chartArea(0, y, page.width(), chartHeight);
    chart.render(&painter, chartArea, viewport, Qt::KeepAspectRatio);
    below(chartArea.height());

    // The figures in two columns.
    painter.setFont(font(9));
    const int line = painter.fontMetrics().lineSpacing();
    const int half = (figures.size() + 1) / 2;
    for (int i = 0; i < figures.size(); ++i) {
        const int x = i < half ? 0 : page.width() / 2;
        const int top = y + (i % half) * line;
        painter.setFont(font(9, true));
        painter.drawText(QRect(x, top, page.width() / 5, line), Qt::AlignLeft, figures[i].first);
        painter.setFont(font(9));
        painter.drawText(QRect(x + page.width() / 5, top, page.width() * 3 / 10, line), Qt::AlignLeft,
                         figures[i].second);
    }
    below(half * line);
    if (!note.isEmpty())
        below(paragraph(painter, page.adjusted(0, y, 0, 0), note, font(9, true)));

    // The newest records, as many as the page holds.
    below(paragraph(painter, page.adjusted(0, y, 0, 0), QStringLiteral("Neueste Messwerte"), font(11, true)));
    if (!header.isEmpty()) {
        // The first column (the time) twice as wide as the others.
        const int columns = int(header.size());
        const int unit = page.width() / (columns + 1);
        const auto left = [unit](int column) { return column == 0 ? 0 : (column + 1) * unit; };
        const auto width = [unit](int column) { return (column == 0 ? 2 * unit : unit) - Dpi / 24; };
        painter.setFont(font(8, true));
        const int rowHeight = painter.fontMetrics().lineSpacing();
        for (int c = 0; c < columns; ++c)
            painter.drawText(QRect(left(c), y, width(c), rowHeight), Qt::AlignLeft, header[c]);
        y += rowHeight + gap / 4;
        painter.drawLine(0, y, page.width(), y);
        y += gap / 4;
        painter.setFont(font(8));
        for (const QStringList &row : rows) {
            if (y + rowHeight > page.height())
                break;
            for (int c = 0; c < columns && c < row.size(); ++c)
                painter.drawText(QRect(left(c), y, width(c), rowHeight), Qt::AlignLeft,
                                 painter.fontMetrics().elidedText(row[c], Qt::ElideRight, width(c)));
            y += rowHeight;
        }
    }
    if (!painter.end())
        return QStringLiteral("PDF nicht vollständig geschrieben");
    return {};
}
