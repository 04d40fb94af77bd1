#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <utility>

class QGraphicsView;

// The one-page PDF report of a review: the filter, the chart, the figures
// and the newest records.
struct ReviewReport
{
    QString title;
    QString created; // when and from which source
    QString filter;
    QList<std::pair<QString, QString>> figures;
    QString note;
    QStringList header;
    QList<QStringList> rows; // newest first; as many as fit are printed

    // Writes the report with the chart drawn from view; empty or the cause.
    [[nodiscard]] QString writePdf(const QString &path, QGraphicsView &chart) const;
};
