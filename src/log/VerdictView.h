#pragma once

#include "link/Frame.h"
#include "log/DataFileExport.h"
#include "tolerance/LimitValue.h"
#include "tolerance/Verdict.h"

#include <QLocale>
#include <QString>
#include <array>

// What the log window shows of a verdict, apart from its widgets: the text
// and tool tip of the verdict field, and for each measured field whether it
// is outside its limit and the limit as its tool tip.
struct VerdictView
{
    // The values with a field of their own: PoleCount .. Teeth, the log
    // window's fields 2 .. 8.
    static constexpr int FieldCount = int(LimitValue::Teeth) + 1;

    Verdict::Kind kind = Verdict::Kind::None;
    QString text;    // short enough for the field: an error gives its first part
    QString toolTip; // the whole verdict, offsets outside their limits included
    std::array<bool, FieldCount> marked{};
    std::array<QString, FieldCount> fieldToolTips; // "Grenze: 2,0 … 4,0"; empty without a limit

    [[nodiscard]] static VerdictView of(const Verdict &verdict, const MeasurementRecord &record,
                                        const QLocale &locale = QLocale());
};

// The data file's columns Bewertung and Abweichung of a verdict: "i.O." or
// "n.i.O." and the names outside; both empty for no limits or a broken table.
[[nodiscard]] DataFileExport::VerdictColumns verdictColumns(const Verdict &verdict, bool forNewFile);
