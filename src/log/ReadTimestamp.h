#pragma once

#include <QDate>
#include <QLocale>
#include <QString>
#include <QTime>

// Date and time of a read as the log window shows them and the data file
// stores them: the locale's short date with a four-digit year, and its long
// time without the time zone (de_DE: 06.12.2026, 14:03:22).
namespace ReadTimestamp {
[[nodiscard]] QString dateFormat(const QLocale &locale);
[[nodiscard]] QString timeFormat(const QLocale &locale);
[[nodiscard]] QString dateText(const QDate &date, const QLocale &locale = QLocale());
[[nodiscard]] QString timeText(const QTime &time, const QLocale &locale = QLocale());
} // namespace ReadTimestamp
