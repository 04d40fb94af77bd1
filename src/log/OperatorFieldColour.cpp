#include "log/OperatorFieldColour.h"

namespace MeasurementLog {

QColor operatorFieldColour(const QString &text)
{
    return text.isEmpty() ? EmptyColour : FilledColour;
}

} // namespace MeasurementLog
