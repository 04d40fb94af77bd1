#include "link/DisplayPattern.h"

#include <QTest>

Q_DECLARE_METATYPE(DisplayPattern)

namespace {
const QLocale german(QLocale::German, QLocale::Germany);
const QLocale american(QLocale::English, QLocale::UnitedStates);
} // namespace

class TestDisplayPattern : public QObject
{
    Q_OBJECT

private slots:
    void formats_data();
    void formats();
    void floatUsesItsOwnDecimalText_data();
    void floatUsesItsOwnDecimalText();
    void extremeValuesKeepAllDigits();
};

void TestDisplayPattern::formats_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<DisplayPattern>("pattern");
    QTest::addColumn<QStringList>("texts"); // de_DE, en_US

    using P = DisplayPattern;
    QTest::newRow("int zero") << 0.0 << P::Integer << QStringList{" 0 ", " 0 "};
    QTest::newRow("int no grouping") << 12345.0 << P::Integer << QStringList{" 12345 ", " 12345 "};
    QTest::newRow("int half up") << 2.5 << P::Integer << QStringList{" 3 ", " 3 "};
    QTest::newRow("int below half") << 2.49 << P::Integer << QStringList{" 2 ", " 2 "};
    QTest::newRow("int negative half") << -2.5 << P::Integer << QStringList{" -3 ", " -3 "};
    QTest::newRow("int small negative") << -0.4 << P::Integer << QStringList{" 0 ", " 0 "};
    QTest::newRow("grouped small") << 3.66 << P::Grouped << QStringList{" 4 ", " 4 "};
    QTest::newRow("grouped demo speed") << 963.855 << P::Grouped << QStringList{" 964 ", " 964 "};
    QTest::newRow("grouped 999") << 999.0 << P::Grouped << QStringList{" 999 ", " 999 "};
    QTest::newRow("grouped carry to 1000") << 999.5 << P::Grouped << QStringList{" 1.000 ", " 1,000 "};
    QTest::newRow("grouped thousands") << 1234.5 << P::Grouped << QStringList{" 1.235 ", " 1,235 "};
    QTest::newRow("grouped 999999") << 999999.0 << P::Grouped << QStringList{" 999.999 ", " 999,999 "};
    QTest::newRow("grouped millions") << 1234567.0 << P::Grouped << QStringList{" 1.234.567 ", " 1,234,567 "};
    QTest::newRow("grouped negative") << -1234.5 << P::Grouped << QStringList{" -1.235 ", " -1,235 "};
    QTest::newRow("grouped negative short") << -123.0 << P::Grouped << QStringList{" -123 ", " -123 "};
    QTest::newRow("two decimals") << 0.28 << P::OneOrTwoDecimals << QStringList{" 0,28 ", " 0.28 "};
    QTest::newRow("two decimals small") << 0.05 << P::OneOrTwoDecimals << QStringList{" 0,05 ", " 0.05 "};
    QTest::newRow("second zero dropped") << 0.1 << P::OneOrTwoDecimals << QStringList{" 0,1 ", " 0.1 "};
    QTest::newRow("first decimal kept") << 12.0 << P::OneOrTwoDecimals << QStringList{" 12,0 ", " 12.0 "};
    QTest::newRow("binary 0.285 rounds up")
        << 0.285 << P::OneOrTwoDecimals << QStringList{" 0,29 ", " 0.29 "};
    QTest::newRow("binary 2.675 rounds up")
        << 2.675 << P::OneOrTwoDecimals << QStringList{" 2,68 ", " 2.68 "};
    QTest::newRow("1.005 rounds up") << 1.005 << P::OneOrTwoDecimals << QStringList{" 1,01 ", " 1.01 "};
    QTest::newRow("rounds to a zero second") << 0.996 << P::OneOrTwoDecimals << QStringList{" 1,0 ", " 1.0 "};
    QTest::newRow("no grouping with decimals")
        << 12345.67 << P::OneOrTwoDecimals << QStringList{" 12345,67 ", " 12345.67 "};
    QTest::newRow("two decimals negative")
        << -0.285 << P::OneOrTwoDecimals << QStringList{" -0,29 ", " -0.29 "};
    QTest::newRow("two decimals negative zero")
        << -0.004 << P::OneOrTwoDecimals << QStringList{" 0,0 ", " 0.0 "};
    QTest::newRow("one decimal") << 27.6 << P::OneDecimal << QStringList{" 27,6 ", " 27.6 "};
    QTest::newRow("one decimal half") << 0.25 << P::OneDecimal << QStringList{" 0,3 ", " 0.3 "};
    QTest::newRow("one decimal binary half") << 0.15 << P::OneDecimal << QStringList{" 0,2 ", " 0.2 "};
    QTest::newRow("one decimal negative half") << -0.25 << P::OneDecimal << QStringList{" -0,3 ", " -0.3 "};
    QTest::newRow("one decimal negative") << -3.0 << P::OneDecimal << QStringList{" -3,0 ", " -3.0 "};
    QTest::newRow("one decimal minus zero") << -0.0 << P::OneDecimal << QStringList{" 0,0 ", " 0.0 "};
    QTest::newRow("one decimal rounds to minus zero")
        << -0.04 << P::OneDecimal << QStringList{" 0,0 ", " 0.0 "};
    QTest::newRow("one decimal no grouping")
        << 123456.0 << P::OneDecimal << QStringList{" 123456,0 ", " 123456.0 "};
    QTest::newRow("one decimal carry") << 9.96 << P::OneDecimal << QStringList{" 10,0 ", " 10.0 "};
    QTest::newRow("one decimal tiny") << 1e-9 << P::OneDecimal << QStringList{" 0,0 ", " 0.0 "};
}

void TestDisplayPattern::formats()
{
    QFETCH(double, value);
    QFETCH(DisplayPattern, pattern);
    QFETCH(QStringList, texts);

    QCOMPARE(formatPattern(value, pattern, german), texts.at(0));
    QCOMPARE(formatPattern(value, pattern, american), texts.at(1));
}

void TestDisplayPattern::floatUsesItsOwnDecimalText_data()
{
    QTest::addColumn<float>("value");
    QTest::addColumn<QString>("expected");

    QTest::newRow("2.8") << 2.8F << " 2,8 ";
    QTest::newRow("1.4") << 1.4F << " 1,4 ";
    QTest::newRow("-3.0") << -3.0F << " -3,0 ";
    QTest::newRow("0.25 half") << 0.25F << " 0,3 ";
    QTest::newRow("-3276.8") << -3276.8F << " -3276,8 ";
    QTest::newRow("3276.7") << 3276.7F << " 3276,7 ";
    // 0.35F is 0.3499999940395355 as a double: the float's own text rounds up.
    QTest::newRow("0.35") << 0.35F << " 0,4 ";
}

void TestDisplayPattern::floatUsesItsOwnDecimalText()
{
    QFETCH(float, value);
    QFETCH(QString, expected);
    QCOMPARE(formatFloatPattern(value, DisplayPattern::OneDecimal, german), expected);
}

void TestDisplayPattern::extremeValuesKeepAllDigits()
{
    const QString big = formatPattern(1e20, DisplayPattern::Grouped, american);
    QCOMPARE(big, QStringLiteral(" 100,000,000,000,000,000,000 "));
    const QString huge = formatPattern(-1.5e300, DisplayPattern::Integer, german);
    QCOMPARE(huge.size(), 1 + 1 + 301 + 1);
    QVERIFY(huge.startsWith(QStringLiteral(" -15000")));
}

QTEST_GUILESS_MAIN(TestDisplayPattern)
#include "tst_displaypattern.moc"
