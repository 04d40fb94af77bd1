#pragma once

#include <QColor>
#include <QString>

// The operator fields show at a glance whether they still need filling.
namespace MeasurementLog {
inline const QColor FilledColour{128, 255, 128};
inline const QColor EmptyColour{255, 128, 128};

[[nodiscard]] QColor operatorFieldColour(const QString &text);
} // namespace MeasurementLog
