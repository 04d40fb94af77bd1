#include "link/PortNumber.h"

#include <QTest>

class TestPortNumber : public QObject
{
    Q_OBJECT

private slots:
    void fromName_data();
    void fromName();
};

void TestPortNumber::fromName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("number");

    QTest::newRow("COM3") << "COM3" << 3;
    QTest::newRow("COM10") << "COM10" << 10;
    QTest::newRow("COM1: last two read 0") << "COM1" << 1;
    QTest::newRow("lower case") << "com12" << 12;
    QTest::newRow("settings spelling") << "Com16" << 16;
    QTest::newRow("no digit") << "Com" << 0;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("one digit only") << "7" << 7;
    QTest::newRow("letter and digit") << "X9" << 9;
    QTest::newRow("blank before digit") << "Com 5" << 5;
    QTest::newRow("only the last two count") << "COM123" << 23;
    QTest::newRow("zero then digit") << "COM05" << 5;
    QTest::newRow("zero last") << "COM0" << 0;
    QTest::newRow("digit before a letter") << "COM1A" << 1;
    QTest::newRow("letter last") << "COM1AB" << 0;
    QTest::newRow("minus sign") << "COM-4" << 4;
}

void TestPortNumber::fromName()
{
    QFETCH(QString, name);
    QFETCH(int, number);
    QCOMPARE(portNumberFromName(name), number);
}

QTEST_GUILESS_MAIN(TestPortNumber)
#include "tst_portnumber.moc"
