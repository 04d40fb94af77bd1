#pragma once

#include <QByteArray>
#include <QList>
#include <QLocale>
#include <QString>

class QTime;
struct ReadResult;

// One line of the inspector's list: a field of the frame as received.
struct InspectorRow
{
    int zeile = 0; // 1..13, also the row's key "Zeile<n>"
    QString datenfeld;
    QString bytes;
    QString hex; // "&H" and the field's bytes, most significant first
    QString dez;
    QString beschreibung;

    friend bool operator==(const InspectorRow &, const InspectorRow &) = default;
};

// What the inspector shows for one reception: every stored byte in hex
// ("02,04,00,F9") and in decimal ("002,004,000,249"), and the rows of the
// fields whose first byte arrived. Nothing is checked.
struct InspectorView
{
    QString hexList;
    QString decimalList;
    QList<InspectorRow> rows;
};

inline constexpr int InspectorRowCount = 13;

// The first 100 received bytes are looked at; the rest is dropped as the
// reception buffer does. Angles use the locale's decimal separator.
[[nodiscard]] InspectorView inspectReception(const QByteArray &received, const QLocale &locale = QLocale());

// Value of a hex text such as "&H001C" (0..65535), two's complement of a
// 16-bit angle in tenths of a degree: "&HFFFF" gives -0.1.
[[nodiscard]] float AngleFromHex(const QString &hexText);
// Shortest decimal text of the float, no grouping, the locale's decimal separator.
[[nodiscard]] QString angleText(float angle, const QLocale &locale = QLocale());

// The row's key in the list, kept as the first column's Qt::UserRole data.
[[nodiscard]] QString rowKey(int zeile);

// Status bar line of an inspector read, e.g. "14:03:22 Debuggen: 26 Bytes empfangen".
[[nodiscard]] QString inspectorStatusText(const ReadResult &result, const QTime &time);
