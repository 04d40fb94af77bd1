#include "log/ReadTimestamp.h"

#include <QtTest>

class TestReadTimestamp : public QObject
{
    Q_OBJECT
private slots:
    void texts_data();
    void texts();
    void yearIsAlwaysFourDigits_data();
    void yearIsAlwaysFourDigits();
    void noZoneInTime_data();
    void noZoneInTime();
    void defaultLocaleIsUsed();
};

void TestReadTimestamp::texts_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QTime>("time");
    QTest::addColumn<QString>("dateText");
    QTest::addColumn<QString>("timeText");
    QTest::newRow("de_DE") << "de_DE" << QDate(2026, 12, 6) << QTime(14, 3, 22) << "06.12.2026"
                           << "14:03:22";
    QTest::newRow("de_DE morning") << "de_DE" << QDate(2027, 1, 2) << QTime(7, 5, 9) << "02.01.2027"
                                   << "07:05:09";
    QTest::newRow("de_DE midnight") << "de_DE" << QDate(2000, 2, 29) << QTime(0, 0, 0) << "29.02.2000"
                                    << "00:00:00";
    QTest::newRow("en_US") << "en_US" << QDate(2026, 12, 6) << QTime(14, 3, 22) << "12/6/2026"
                           << "2:03:22 PM";
    QTest::newRow("en_US morning") << "en_US" << QDate(2027, 1, 2) << QTime(7, 5, 9) << "1/2/2027"
                                   << "7:05:09 AM";
    QTest::newRow("en_US midnight") << "en_US" << QDate(1999, 12, 31) << QTime(0, 0, 1) << "12/31/1999"
                                    << "12:00:01 AM";
}

void TestReadTimestamp::texts()
{
    QFETCH(QString, locale);
    QFETCH(QDate, date);
    QFETCH(QTime, time);
    QFETCH(QString, dateText);
    QFETCH(QString, timeText);
    const QLocale l(locale);
    QCOMPARE(ReadTimestamp::dateText(date, l), dateText);
    QCOMPARE(ReadTimestamp::timeText(time, l), timeText);
}

void TestReadTimestamp::yearIsAlwaysFourDigits_data()
{
    QTest::addColumn<QString>("locale");
    for (const char *name : {"de_DE", "en_US", "en_GB", "fr_FR", "ja_JP", "ko_KR", "bg_BG", "hu_HU", "zh_CN"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void TestReadTimestamp::yearIsAlwaysFourDigits()
{
    QFETCH(QString, locale);
    const QLocale l(locale);
    const QString format = ReadTimestamp::dateFormat(l);
    QVERIFY2(format.count(QLatin1Char('y')) == 4, qPrintable(format));
    QVERIFY(ReadTimestamp::dateText(QDate(2026, 12, 6), l).contains(QLatin1String("2026")));
    // Quoted text of the locale's own format stays as it is.
    if (locale == QLatin1String("bg_BG"))
        QVERIFY(format.endsWith(QStringLiteral("'г'.")));
}

void TestReadTimestamp::noZoneInTime_data()
{
    QTest::addColumn<QString>("locale");
    for (const char *name : {"de_DE", "en_US", "zh_CN", "fa_IR", "ko_KR", "bg_BG"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void TestReadTimestamp::noZoneInTime()
{
    QFETCH(QString, locale);
    const QLocale l(locale);
    const QString format = ReadTimestamp::timeFormat(l);
    QVERIFY2(!format.contains(QLatin1Char('t')) || format.contains(QLatin1Char('\'')), qPrintable(format));
    QVERIFY2(!format.contains(QLatin1String("()")), qPrintable(format));
    QCOMPARE(format, format.trimmed());
    QVERIFY(format.contains(QLatin1Char('s')));
}

void TestReadTimestamp::defaultLocaleIsUsed()
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QCOMPARE(ReadTimestamp::dateText(QDate(2026, 12, 6)), QStringLiteral("06.12.2026"));
    QCOMPARE(ReadTimestamp::timeText(QTime(14, 3, 22)), QStringLiteral("14:03:22"));
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QCOMPARE(ReadTimestamp::dateText(QDate(2026, 12, 6)), QStringLiteral("12/6/2026"));
}

QTEST_APPLESS_MAIN(TestReadTimestamp)
#include "tst_readtimestamp.moc"
