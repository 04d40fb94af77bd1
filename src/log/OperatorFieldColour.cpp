#include "log/OperatorFieldColour.h"

#include "log/MeasurementLog.h"

namespace MeasurementLog {

QColor operatorFieldColour(const QString &text)
{
    return isFilled(text) ? FilledColour : EmptyColour;
}

} // namespace MeasurementLog
