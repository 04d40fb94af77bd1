#pragma once

#include "store/ReviewData.h"
#include "tolerance/Limit.h"
#include "tolerance/LimitValue.h"
#include "tolerance/LimitsFile.h"

#include <QString>
#include <optional>

class ReviewSource;

// The limits table's value of a quantity.
[[nodiscard]] LimitValue limitValueOf(ReviewQuantity quantity);

// The limits a type's trend is drawn against: the limits file's when one is
// set (read afresh when it changed), else those the newest judged record of
// the type was judged against.
class ReviewLimits
{
public:
    explicit ReviewLimits(const QString &limitsFile);

    struct Found
    {
        std::optional<Limit> limit;
        QString origin; // where they come from, or why there are none
    };
    [[nodiscard]] Found limitFor(ReviewSource &source, const QString &type, ReviewQuantity quantity);

private:
    std::optional<LimitsFile> m_file;
};
