#include "store/ImportSummary.h"

#include "store/ResultSaver.h"

namespace ImportSummary {

QString text(const QString &dataFile, const ImportReport &report, int maxListed)
{
    QString text = QStringLiteral("Datendatei: %1\n").arg(dataFile);
    if (!report.error.isEmpty() && !report.storeFailed)
        return text + report.error + QLatin1Char('\n');
    text += QStringLiteral("Zeilen gelesen: %1\n"
                           "neu aufgenommen: %2\n"
                           "schon vorhanden: %3\n"
                           "abgewiesen: %4\n")
                .arg(report.linesRead)
                .arg(report.added)
                .arg(report.alreadyPresent)
                .arg(report.rejected.size());
    const qsizetype listed = maxListed < 0 ? report.rejected.size() : qMin(report.rejected.size(), maxListed);
    for (qsizetype i = 0; i < listed; ++i) {
        const ImportReport::Rejected &line = report.rejected.at(i);
        text += QStringLiteral("  Zeile %1: %2\n").arg(line.line).arg(line.reason);
    }
    if (listed < report.rejected.size())
        text += QStringLiteral("  … und %1 weitere\n").arg(report.rejected.size() - listed);
    if (report.storeFailed)
        text += ResultSaver::note(report.error) +
                QStringLiteral(" (der Rest der Datei wurde nicht aufgenommen)\n");
    return text;
}

} // namespace ImportSummary
