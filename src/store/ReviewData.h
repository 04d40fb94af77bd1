#pragma once

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <vector>

// What the review asks a source of records for, and what comes back: plain
// data, the same for the bench's own store and any other source.

enum class ReviewVerdict { All, Pass, Fail };

// The quantities the trend chart can show.
enum class ReviewQuantity {
    ElectricalAngle,
    MechanicalAngle,
    VoltageConstant,
    Voltage,
    Speed,
    OffsetU,
    OffsetV,
    OffsetW,
};
inline constexpr std::array<ReviewQuantity, 8> AllReviewQuantities{
    ReviewQuantity::ElectricalAngle, ReviewQuantity::MechanicalAngle, ReviewQuantity::VoltageConstant,
    ReviewQuantity::Voltage,         ReviewQuantity::Speed,           ReviewQuantity::OffsetU,
    ReviewQuantity::OffsetV,         ReviewQuantity::OffsetW,
};
// "el. Winkel", "Spannungskonstante", "Offset Phase U", ...
[[nodiscard]] QString reviewQuantityName(ReviewQuantity quantity);
// The store's column of the quantity.
[[nodiscard]] QString reviewQuantityColumn(ReviewQuantity quantity);

// The table's columns, in their order.
enum class ReviewColumn {
    Time,
    Type,
    Number,
    Mark,
    PoleCount,
    Speed,
    VoltageConstant,
    Voltage,
    ElectricalAngle,
    MechanicalAngle,
    Teeth,
    OffsetU,
    OffsetV,
    OffsetW,
    Verdict,
    Outside,
    Source,
    Bench,
};
inline constexpr int ReviewColumnCount = 18;
[[nodiscard]] QString reviewColumnTitle(ReviewColumn column);
[[nodiscard]] QString reviewColumnSqlName(ReviewColumn column);
// The table's column of a quantity.
[[nodiscard]] ReviewColumn reviewColumnOf(ReviewQuantity quantity);

// The records asked for: an empty type or number asks for any; the dates are
// local calendar days, both included.
struct ReviewFilter
{
    QString type;
    QString number; // contained in the number, case aside
    std::optional<QDate> from;
    std::optional<QDate> to;
    ReviewVerdict verdict = ReviewVerdict::All;
    QString bench; // empty: every bench

    friend bool operator==(const ReviewFilter &, const ReviewFilter &) = default;
};

struct ReviewOrder
{
    ReviewColumn column = ReviewColumn::Time;
    bool descending = true;

    friend bool operator==(const ReviewOrder &, const ReviewOrder &) = default;
};

// One line of the table.
struct ReviewRow
{
    qint64 id = 0;
    qint64 timeMs = 0; // milliseconds since 1970, UTC
    QString type;
    QString number;
    QString mark;
    std::optional<int> poleCount;
    std::optional<double> speed;
    std::optional<double> voltageConstant;
    std::optional<double> voltage;
    std::optional<double> electricalAngle;
    std::optional<double> mechanicalAngle;
    std::optional<int> teeth;
    std::optional<int> offsetU; // the frame's; absent for an imported line
    std::optional<int> offsetV;
    std::optional<int> offsetW;
    QString verdict; // "pass", "fail", "none", "error" or empty
    QStringList outside;
    QString source;
    QString bench;
};

// One record with all the store keeps of it.
struct ReviewRecord
{
    ReviewRow row;
    QString dateText;
    QString timeText;
    QByteArray frame; // the 26 bytes; empty for an imported line
    QString dataFile;
    bool judgedOnImport = false;
};

// One quantity over time, oldest first; the three vectors run in step.
struct ReviewSeries
{
    std::vector<qint64> ids;
    std::vector<qint64> timesMs;
    std::vector<double> values;
};

// A source's answer: the value, or the cause why there is none.
template <class T> struct Fetched
{
    T value{};
    QString cause;

    [[nodiscard]] bool ok() const { return cause.isEmpty(); }
};

// German texts of a verdict as the log window shows them: "i.O.", "n.i.O.",
// "keine Grenzwerte", "Fehler"; empty when nothing was judged.
[[nodiscard]] QString reviewVerdictText(const QString &verdict);
