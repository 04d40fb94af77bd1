#include "review/TrendDecimation.h"

#include <algorithm>

namespace TrendDecimation {
namespace {

class Columns
{
public:
    Columns(std::span<const qint64> times, int columns)
        : m_first(times.front()), m_span(std::max<qint64>(1, times.back() - times.front() + 1)),
          m_count(columns)
    {}
    [[nodiscard]] qint64 of(qint64 time) const
    {
        return std::clamp<qint64>((time - m_first) * m_count / m_span, 0, m_count - 1);
    }

private:
    qint64 m_first;
    qint64 m_span;
    qint64 m_count;
};

// The points kept of one column, emitted in index order.
struct Bucket
{
    qint64 column = -1;
    std::size_t first = 0;
    std::size_t last = 0;
    std::size_t low = 0;
    std::size_t high = 0;

    void emitInto(std::vector<std::size_t> &kept) const
    {
        std::size_t picked[] = {first, low, high, last};
        std::sort(std::begin(picked), std::end(picked));
        const auto end = std::unique(std::begin(picked), std::end(picked));
        kept.insert(kept.end(), std::begin(picked), end);
    }
};

} // namespace

std::vector<std::size_t> forWidth(std::span<const qint64> times, std::span<const double> values, int columns)
{
    std::vector<std::size_t> kept;
    const std::size_t n = std::min(times.size(), values.size());
    if (columns <= 0 || n <= std::size_t(columns)) {
        kept.resize(n);
        for (std::size_t i = 0; i < n; ++i)
            kept[i] = i;
        return kept;
    }
    kept.reserve(4 * std::size_t(columns));
    const Columns split(times.first(n), columns);
    Bucket bucket;
    for (std::size_t i = 0; i < n; ++i) {
        const qint64 column = split.of(times[i]);
        if (column != bucket.column) {
            if (bucket.column >= 0)
                bucket.emitInto(kept);
            bucket = {column, i, i, i, i};
            continue;
        }
        bucket.last = i;
        if (values[i] < values[bucket.low])
            bucket.low = i;
        if (values[i] > values[bucket.high])
            bucket.high = i;
    }
    bucket.emitInto(kept);
    return kept;
}

std::vector<std::size_t> extremesPerColumn(std::span<const qint64> times, std::span<const double> values,
                                           std::span<const std::size_t> candidates, int columns)
{
    if (columns <= 0 || candidates.size() <= std::size_t(columns))
        return {candidates.begin(), candidates.end()};
    std::vector<std::size_t> kept;
    const Columns split(times, columns);
    qint64 current = -1;
    std::size_t low = 0;
    std::size_t high = 0;
    const auto flush = [&] {
        if (current < 0)
            return;
        kept.push_back(std::min(low, high));
        if (low != high)
            kept.push_back(std::max(low, high));
    };
    for (const std::size_t i : candidates) {
        const qint64 column = split.of(times[i]);
        if (column != current) {
            flush();
            current = column;
            low = high = i;
            continue;
        }
        if (values[i] < values[low])
            low = i;
        if (values[i] > values[high])
            high = i;
    }
    flush();
    return kept;
}

} // namespace TrendDecimation
