#pragma once

class QWidget;

namespace UnsavedRecordQuestion {
// Asks whether a complete record that was not saved may be dropped: "Messung
// nicht gespeichert", question icon, "Verwerfen" and "Abbrechen", the focus on
// "Abbrechen", so Enter or Escape keeps the record. True for "Verwerfen".
[[nodiscard]] bool operatorDropsRecord(QWidget *parent);
} // namespace UnsavedRecordQuestion
