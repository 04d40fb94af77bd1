#include "log/MeasurementLog.h"

#include "core/Text.h"
#include "link/ReadStatus.h"
#include "log/ReadTimestamp.h"

#include <QFileInfo>

namespace MeasurementLog {

bool isFilled(const QString &text)
{
    return !isBlank(text);
}

bool saveAvailable(bool saved, const QString &type, const QString &number, const QString &mark)
{
    return !saved && isFilled(type) && isFilled(number) && isFilled(mark);
}

ReadView evaluateRead(const ReadResult &result, const QDateTime &now, const QLocale &locale)
{
    ReadView view;
    if (result.outcome != ReadOutcome::Received) {
        view.message = result.message;
        view.statusText = readStatusText(result, std::nullopt, now.time());
        return view;
    }
    const FrameCheck check = checkFrame(result.buffer);
    view.statusText = readStatusText(result, check, now.time());
    if (check != FrameCheck::Valid) {
        view.message = checkMessage(check);
        return view;
    }
    view.valid = true;
    view.record = decodeFrame(result.buffer);
    view.measuredTexts = displayTexts(view.record, locale);
    view.measuredTexts << QLatin1Char(' ') + ReadTimestamp::dateText(now.date(), locale)
                       << QLatin1Char(' ') + ReadTimestamp::timeText(now.time(), locale);
    return view;
}

UserMessage saveFailureMessage(const QString &path, const QString &reason)
{
    return {QStringLiteral("Fehler: Datenspeicherung"),
            QStringLiteral("Die Messwerte konnten nicht in die Datei ") + path +
                QStringLiteral(" geschrieben werden.\n\n") + reason};
}

QString savedStatusText(const QTime &time, const QString &type, const QString &number, const QString &path)
{
    return QStringLiteral("%1 gespeichert: %2 / %3 → %4")
        .arg(time.toString(QStringLiteral("HH:mm:ss")), trimBlanks(type), trimBlanks(number),
             QFileInfo(path).fileName());
}

} // namespace MeasurementLog
