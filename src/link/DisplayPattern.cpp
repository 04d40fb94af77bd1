#include "link/DisplayPattern.h"

#include <QVarLengthArray>
#include <array>
#include <charconv>
#include <cmath>

namespace {

// A decimal number as its digits: |value| = 0.d1d2d3... x 10^pointPos.
struct DecimalText
{
    std::array<char, 32> digits{};
    int count = 0;
    int pointPos = 0;
    bool negative = false;
};

// The shortest decimal text that reads back as the same value. Rounding works
// on this text, so 0.285 rounds like the 0.285 the user sees and not like the
// binary 0.28499999..., and a float 2.8 stays 2.8.
template <typename T> DecimalText shortestDecimal(T value)
{
    std::array<char, 64> buffer{};
    const auto result =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::scientific);
    const char *p = buffer.data();
    const char *const end = result.ptr;

    DecimalText text;
    if (p < end && *p == '-') {
        text.negative = true;
        ++p;
    }
    for (; p < end && *p != 'e'; ++p) {
        if (*p >= '0' && *p <= '9' && text.count < int(text.digits.size()))
            text.digits[text.count++] = *p;
    }
    int exponent = 0;
    if (p < end && *p == 'e') {
        ++p;
        const bool negativeExponent = p < end && *p == '-';
        if (p < end && (*p == '-' || *p == '+'))
            ++p;
        std::from_chars(p, end, exponent);
        if (negativeExponent)
            exponent = -exponent;
    }
    text.pointPos = exponent + 1;
    return text;
}

using DigitBuffer = QVarLengthArray<char, 64>;

// The digits of |value| x 10^decimals rounded half away from zero.
DigitBuffer scaledAndRounded(const DecimalText &text, int decimals)
{
    DigitBuffer out;
    const int keep = text.pointPos + decimals;
    if (keep < 0)
        return out;
    for (int i = 0; i < keep; ++i)
        out.append(i < text.count ? text.digits[i] : '0');
    if (keep < text.count && text.digits[keep] >= '5') {
        qsizetype i = out.size() - 1;
        while (i >= 0 && out[i] == '9')
            out[i--] = '0';
        if (i < 0)
            out.insert(qsizetype(0), '1');
        else
            ++out[i];
    }
    return out;
}

struct PatternShape
{
    int decimals = 0;
    bool grouping = false;
    bool optionalLastDecimal = false;
};

PatternShape shapeOf(DisplayPattern pattern)
{
    switch (pattern) {
    case DisplayPattern::Integer:
        return {0, false, false};
    case DisplayPattern::Grouped:
        return {0, true, false};
    case DisplayPattern::OneOrTwoDecimals:
        return {2, false, true};
    case DisplayPattern::OneDecimal:
        return {1, false, false};
    }
    return {};
}

template <typename T> QString format(T value, DisplayPattern pattern, const QLocale &locale)
{
    if (!std::isfinite(value))
        return QLatin1Char(' ') + locale.toString(double(value)) + QLatin1Char(' ');

    const PatternShape shape = shapeOf(pattern);
    const DecimalText text = shortestDecimal(value);
    DigitBuffer digits = scaledAndRounded(text, shape.decimals);

    int decimals = shape.decimals;
    while (digits.size() < decimals + 1)
        digits.insert(qsizetype(0), '0');
    if (shape.optionalLastDecimal && digits.back() == '0') {
        digits.removeLast();
        --decimals;
    }

    qsizetype intStart = 0;
    const qsizetype intEnd = digits.size() - decimals;
    while (intStart < intEnd - 1 && digits[intStart] == '0')
        ++intStart;
    bool isZero = true;
    for (const char digit : digits)
        isZero = isZero && digit == '0';

    // Rounded to zero, a negative value shows no sign: "-0,0" reads as an error.
    const QString sign = text.negative && !isZero ? locale.negativeSign() : QString();
    const QString group = shape.grouping ? locale.groupSeparator() : QString();
    const QString point = decimals > 0 ? locale.decimalPoint() : QString();

    QString out;
    out.reserve(2 + sign.size() + (intEnd - intStart) * (1 + group.size()) + point.size() + decimals);
    out += QLatin1Char(' ');
    out += sign;
    for (qsizetype i = intStart; i < intEnd; ++i) {
        if (i > intStart && !group.isEmpty() && (intEnd - i) % 3 == 0)
            out += group;
        out += QLatin1Char(digits[i]);
    }
    out += point;
    for (qsizetype i = intEnd; i < digits.size(); ++i)
        out += QLatin1Char(digits[i]);
    out += QLatin1Char(' ');
    return out;
}

} // namespace

QString formatPattern(double value, DisplayPattern pattern, const QLocale &locale)
{
    return format(value, pattern, locale);
}

QString formatFloatPattern(float value, DisplayPattern pattern, const QLocale &locale)
{
    return format(value, pattern, locale);
}
