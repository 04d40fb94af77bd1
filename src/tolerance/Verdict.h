#pragma once

#include "link/Frame.h"
#include "tolerance/Limit.h"
#include "tolerance/LimitValue.h"
#include "tolerance/LimitsTable.h"

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// The judgement of one reading against the limits for a machine type.
class Verdict
{
public:
    enum class Kind {
        Pass,  // "i.O.": every value with a limit is inside it
        Fail,  // "n.i.O.": at least one is outside
        None,  // "keine Grenzwerte": no line applies to the type
        Error, // the table is unusable or its file missing: nothing passes
    };

    Verdict() = default; // None, with no limits

    // Each value against its limit for the type (its own line, else the "*"
    // line; an empty type gets only "*" lines).
    [[nodiscard]] static Verdict judge(const LimitsTable &table, const QString &type,
                                       const MeasurementRecord &record);

    [[nodiscard]] Kind kind() const { return m_kind; }
    // "i.O.", "n.i.O.", "keine Grenzwerte" or the table's error text.
    [[nodiscard]] QString text() const;
    // The values outside their limits, in column order, and their German names.
    [[nodiscard]] QList<LimitValue> outside() const { return m_outside; }
    [[nodiscard]] QStringList outsideNames() const;
    [[nodiscard]] bool isOutside(LimitValue value) const { return m_outside.contains(value); }
    // The limit the value was judged against; nothing when none applied. Its
    // text(value, locale) is the tool tip of the value's field.
    [[nodiscard]] std::optional<Limit> limit(LimitValue value) const { return m_limits[std::size_t(value)]; }

    // {"verdict": "pass" | "fail" | "none" | "error", "outside": [names],
    //  "limits": {name: [min, max]}}, null for an open side.
    [[nodiscard]] QJsonObject toJson() const;

private:
    Kind m_kind = Kind::None;
    QString m_error;
    LimitsTable::Limits m_limits{};
    QList<LimitValue> m_outside;
};
