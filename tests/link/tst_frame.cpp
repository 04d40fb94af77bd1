#include "link/Frame.h"

#include <QRandomGenerator>
#include <QTest>

Q_DECLARE_METATYPE(FrameCheck)

namespace {

const QLocale german(QLocale::German, QLocale::Germany);
const QLocale american(QLocale::English, QLocale::UnitedStates);

// XOR of positions 2..24 of a reception of at least 24 bytes.
char checksumOf(const QByteArray &frame)
{
    char checksum = 0;
    for (int i = 1; i <= 23; ++i)
        checksum ^= frame.at(i);
    return checksum;
}

// The demo frame with the bytes from `position` (1-based) replaced and the
// checksum made right again.
QByteArray demoWith(int position, const QByteArray &replacement)
{
    QByteArray frame = demoFrame();
    frame.replace(position - 1, replacement.size(), replacement);
    frame[24] = checksumOf(frame);
    return frame;
}

// Straightforward reading of the three rules, for comparison.
FrameCheck referenceCheck(const QByteArray &received)
{
    const auto byteAt = [&](int position) {
        return position <= received.size() && position <= 100 ? quint8(received.at(position - 1)) : quint8(0);
    };
    if (byteAt(1) != 2)
        return FrameCheck::WrongStartByte;
    if (byteAt(26) != 3)
        return FrameCheck::WrongEndByte;
    int sum = 0;
    for (int position = 2; position <= 24; ++position)
        sum ^= byteAt(position);
    return sum == byteAt(25) ? FrameCheck::Valid : FrameCheck::WrongChecksum;
}

} // namespace

class TestFrame : public QObject
{
    Q_OBJECT

private slots:
    void checks_data();
    void checks();
    void checkMessages_data();
    void checkMessages();
    void bufferKeepsFirstHundredAndClears();
    void randomReceptionsMatchReference();
    void demoFrameDecodes();
    void demoFrameTexts_data();
    void demoFrameTexts();
    void displayedTexts_data();
    void displayedTexts();
    void zeroPeriodLeavesOtherValues();
    void offsetsAreSigned();
};

void TestFrame::checks_data()
{
    QTest::addColumn<QByteArray>("received");
    QTest::addColumn<FrameCheck>("expected");

    const QByteArray demo = demoFrame();
    QTest::newRow("demo frame") << demo << FrameCheck::Valid;
    QTest::newRow("nothing") << QByteArray() << FrameCheck::WrongStartByte;

    QByteArray allWrong = demo;
    allWrong[0] = 0x03;
    allWrong[24] = 0x00;
    allWrong[25] = 0x02;
    QTest::newRow("wrong start, end and checksum") << allWrong << FrameCheck::WrongStartByte;
    QTest::newRow("frame after a stray byte") << QByteArray(1, '\x00') + demo << FrameCheck::WrongStartByte;
    QTest::newRow("25 bytes") << demo.left(25) << FrameCheck::WrongEndByte;

    QByteArray endAndSum = demo;
    endAndSum[25] = 0x04;
    endAndSum[24] = 0x00;
    QTest::newRow("wrong end and checksum") << endAndSum << FrameCheck::WrongEndByte;
    QTest::newRow("30 bytes, first 26 valid") << demo + QByteArray::fromHex("FF020355") << FrameCheck::Valid;
    QTest::newRow("150 bytes, first 26 valid") << demo + QByteArray(124, '\x7F') << FrameCheck::Valid;

    for (int position = 2; position <= 25; ++position) {
        QByteArray changed = demo;
        changed[position - 1] = char(changed.at(position - 1) ^ 0x10);
        QTest::addRow("position %d changed", position) << changed << FrameCheck::WrongChecksum;
    }
}

void TestFrame::checks()
{
    QFETCH(QByteArray, received);
    QFETCH(FrameCheck, expected);
    QCOMPARE(checkFrame(ReceptionBuffer(received)), expected);
}

void TestFrame::checkMessages_data()
{
    QTest::addColumn<FrameCheck>("check");
    QTest::addColumn<QString>("text");

    QTest::newRow("start") << FrameCheck::WrongStartByte
                           << "Als Startbyte wurde ein falscher Wert empfangen...";
    QTest::newRow("end") << FrameCheck::WrongEndByte << "Als Endbyte wurde ein falscher Wert empfangen...";
    QTest::newRow("checksum") << FrameCheck::WrongChecksum
                              << QString::fromUtf8("Die Pr\xC3\xBC"
                                                   "fsumme der empfangenen Daten ist falsch...");
}

void TestFrame::checkMessages()
{
    QFETCH(FrameCheck, check);
    QFETCH(QString, text);
    const UserMessage message = checkMessage(check);
    QCOMPARE(message.title, QStringLiteral("Fehler: Datenempfang"));
    QCOMPARE(message.text, text);
    QVERIFY(checkMessage(FrameCheck::Valid).isEmpty());
}

void TestFrame::bufferKeepsFirstHundredAndClears()
{
    QByteArray longReception(120, '\x11');
    longReception[99] = '\x22';
    ReceptionBuffer buffer(longReception);
    QCOMPARE(buffer.receivedCount(), 100);
    QCOMPARE(buffer.received(), longReception.left(100));
    QCOMPARE(buffer.at(100), std::uint8_t(0x22));
    QCOMPARE(buffer.at(101), std::uint8_t(0));
    QCOMPARE(buffer.at(0), std::uint8_t(0));
    QCOMPARE(buffer.at(-7), std::uint8_t(0));

    buffer.fill(QByteArray::fromHex("0204"));
    QCOMPARE(buffer.receivedCount(), 2);
    QCOMPARE(buffer.at(2), std::uint8_t(0x04));
    QCOMPARE(buffer.at(3), std::uint8_t(0)); // the earlier, longer reception is gone
    QCOMPARE(buffer.at(100), std::uint8_t(0));

    buffer.clear();
    QCOMPARE(buffer.receivedCount(), 0);
    QCOMPARE(buffer.at(1), std::uint8_t(0));
    QVERIFY(buffer.received().isEmpty());
}

void TestFrame::randomReceptionsMatchReference()
{
    QRandomGenerator random(20261206);
    QHash<FrameCheck, int> seen;
    for (int round = 0; round < 20000; ++round) {
        QByteArray received(random.bounded(201), '\0');
        for (char &byte : received)
            byte = char(random.bounded(256));
        // Steer a good share towards frames that pass the first checks.
        if (!received.isEmpty() && random.bounded(4) != 0)
            received[0] = 0x02;
        if (received.size() >= 26 && random.bounded(3) != 0)
            received[25] = 0x03;
        if (received.size() >= 26 && random.bounded(2) != 0)
            received[24] = checksumOf(received);

        const ReceptionBuffer buffer(received);
        const FrameCheck expected = referenceCheck(received);
        QCOMPARE(checkFrame(buffer), expected);
        QCOMPARE(buffer.received(), received.left(100));
        ++seen[expected];
    }
    QVERIFY(seen.value(FrameCheck::Valid) > 1000);
    QVERIFY(seen.value(FrameCheck::WrongStartByte) > 1000);
    QVERIFY(seen.value(FrameCheck::WrongEndByte) > 1000);
    QVERIFY(seen.value(FrameCheck::WrongChecksum) > 1000);
}

void TestFrame::demoFrameDecodes()
{
    const QByteArray demo = demoFrame();
    QCOMPARE(demo.size(), 26);
    QCOMPARE(demo, QByteArray::fromHex("020400F90000001C000001140"
                                       "01C000E010000010056002B9B03"));
    const ReceptionBuffer buffer(demo);
    QCOMPARE(checkFrame(buffer), FrameCheck::Valid);

    const MeasurementRecord record = decodeFrame(buffer);
    QCOMPARE(record.poleCount, 4);
    QVERIFY(record.speed.has_value());
    QCOMPARE(*record.speed, 240000.0 / 249.0);
    QCOMPARE(record.voltageConstant, 0.28);
    QCOMPARE(record.voltage, 27.6);
    QCOMPARE(record.electricalAngle, 2.8F);
    QCOMPARE(record.mechanicalAngle, 1.4F);
    QCOMPARE(record.teeth, std::int16_t(256));
    QCOMPARE(record.offsetU, std::int16_t(1));
    QCOMPARE(record.offsetV, std::int16_t(86));
    QCOMPARE(record.offsetW, std::int16_t(43));
}

void TestFrame::demoFrameTexts_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QStringList>("texts");

    QTest::newRow("de_DE") << german
                           << QStringList{" 4 ", " 964 ", " 0,28 ", " 27,6 ", " 2,8 ", " 1,4 ", " 256 "};
    QTest::newRow("en_US") << american
                           << QStringList{" 4 ", " 964 ", " 0.28 ", " 27.6 ", " 2.8 ", " 1.4 ", " 256 "};
}

void TestFrame::demoFrameTexts()
{
    QFETCH(QLocale, locale);
    QFETCH(QStringList, texts);
    QCOMPARE(displayTexts(decodeFrame(ReceptionBuffer(demoFrame())), locale), texts);
}

void TestFrame::displayedTexts_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("patch"); // hexadecimal
    QTest::addColumn<int>("index");
    QTest::addColumn<QStringList>("texts"); // de_DE, en_US

    QTest::newRow("pole count 255") << 2 << "FF" << 0 << QStringList{" 255 ", " 255 "};
    QTest::newRow("period FFFF") << 3 << "FFFF" << 1 << QStringList{" 4 ", " 4 "};
    QTest::newRow("period 0001") << 3 << "0001" << 1 << QStringList{" 240.000 ", " 240,000 "};
    QTest::newRow("period 0000") << 3 << "0000" << 1 << QStringList{"", ""};
    QTest::newRow("constant 5") << 5 << "00000005" << 2 << QStringList{" 0,05 ", " 0.05 "};
    QTest::newRow("constant 10") << 5 << "0000000A" << 2 << QStringList{" 0,1 ", " 0.1 "};
    QTest::newRow("constant -1") << 5 << "FFFFFFFF" << 2 << QStringList{" -0,01 ", " -0.01 "};
    QTest::newRow("constant min") << 5 << "80000000" << 2 << QStringList{" -21474836,48 ", " -21474836.48 "};
    QTest::newRow("voltage -100") << 9 << "FFFFFF9C" << 3 << QStringList{" -10,0 ", " -10.0 "};
    QTest::newRow("voltage 100000") << 9 << "000F4240" << 3 << QStringList{" 100000,0 ", " 100000.0 "};
    QTest::newRow("el. angle 8000") << 13 << "8000" << 4 << QStringList{" -3276,8 ", " -3276.8 "};
    QTest::newRow("el. angle 7FFF") << 13 << "7FFF" << 4 << QStringList{" 3276,7 ", " 3276.7 "};
    QTest::newRow("mech. angle FFE2") << 15 << "FFE2" << 5 << QStringList{" -3,0 ", " -3.0 "};
    QTest::newRow("mech. angle FFFF") << 15 << "FFFF" << 5 << QStringList{" -0,1 ", " -0.1 "};
    QTest::newRow("teeth 10000") << 17 << "2710" << 6 << QStringList{" 10.000 ", " 10,000 "};
    QTest::newRow("teeth FFFF") << 17 << "FFFF" << 6 << QStringList{" -1 ", " -1 "};
}

void TestFrame::displayedTexts()
{
    QFETCH(int, position);
    QFETCH(QString, patch);
    QFETCH(int, index);
    QFETCH(QStringList, texts);

    const MeasurementRecord record =
        decodeFrame(ReceptionBuffer(demoWith(position, QByteArray::fromHex(patch.toLatin1()))));
    const QStringList germanTexts = displayTexts(record, german);
    QCOMPARE(germanTexts.size(), 7);
    QCOMPARE(germanTexts.at(index), texts.at(0));
    QCOMPARE(displayTexts(record, american).at(index), texts.at(1));
}

void TestFrame::zeroPeriodLeavesOtherValues()
{
    const MeasurementRecord record = decodeFrame(ReceptionBuffer(demoWith(3, QByteArray::fromHex("0000"))));
    QVERIFY(!record.speed.has_value());
    QStringList expected = displayTexts(decodeFrame(ReceptionBuffer(demoFrame())), german);
    expected[1].clear();
    QCOMPARE(displayTexts(record, german), expected);
    QCOMPARE(record.offsetW, std::int16_t(43));
}

void TestFrame::offsetsAreSigned()
{
    const MeasurementRecord record =
        decodeFrame(ReceptionBuffer(demoWith(19, QByteArray::fromHex("80007FFFFFFE"))));
    QCOMPARE(record.offsetU, std::int16_t(-32768));
    QCOMPARE(record.offsetV, std::int16_t(32767));
    QCOMPARE(record.offsetW, std::int16_t(-2));
    QCOMPARE(record.teeth, std::int16_t(256)); // neighbours untouched
}

QTEST_GUILESS_MAIN(TestFrame)
#include "tst_frame.moc"
