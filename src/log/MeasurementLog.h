#pragma once

#include "core/Limits.h"
#include "core/UserMessage.h"
#include "link/FrameReader.h"

#include <QDateTime>
#include <QLocale>
#include <QStringList>
#include <array>

// The rules of the measurement log apart from its widgets: which fields the
// operator fills, how they are coloured, when saving is possible, and what
// a read means for the window.
namespace MeasurementLog {
inline constexpr int FieldCount = Quoran::ColumnCount;
inline constexpr int TypeField = 0;
inline constexpr int NumberField = 1;
inline constexpr int FirstMeasuredField = 2; // 2..8 decoded values, 9 date, 10 time
inline constexpr int DateField = 9;
inline constexpr int TimeField = 10;
inline constexpr int MarkField = 11;
inline constexpr std::array<int, 3> OperatorFields{TypeField, NumberField, MarkField};

// An operator field holding nothing but white space (blanks, tabs, no-break
// spaces) is as good as empty, as quoran-read counts it.
[[nodiscard]] bool isFilled(const QString &text);

// Saving needs an unsaved valid record and type, number and mark filled.
[[nodiscard]] bool saveAvailable(bool saved, const QString &type, const QString &number, const QString &mark);

struct ReadView
{
    bool valid = false;        // passed all frame checks: a record waits to be saved
    UserMessage message;       // for the operator when not valid
    QStringList measuredTexts; // fields 2..10 when valid
    MeasurementRecord record;  // the decoded values when valid
    QString statusText;        // for the status bar
};
[[nodiscard]] ReadView evaluateRead(const ReadResult &result, const QDateTime &now,
                                    const QLocale &locale = QLocale());

[[nodiscard]] UserMessage saveFailureMessage(const QString &path, const QString &reason);

// What the status bar says after a save, so the operator sees it happened:
// "16:41:15 gespeichert: A1 / 17 → Rotorlage.txt" (type, number, file name).
[[nodiscard]] QString savedStatusText(const QTime &time, const QString &type, const QString &number,
                                      const QString &path);
} // namespace MeasurementLog
