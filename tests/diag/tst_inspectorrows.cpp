// The inspector's texts and rows, built from received bytes without a window.

#include "diag/InspectorList.h"
#include "diag/InspectorRows.h"
#include "link/Frame.h"
#include "link/FrameReader.h"

#include <QTest>
#include <QTreeWidget>

namespace {

const QLocale German(QLocale::German, QLocale::Germany);
const QLocale English(QLocale::English, QLocale::UnitedStates);

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray result;
    for (const int value : values)
        result.append(char(value));
    return result;
}

// The demo frame with the bytes at the given 1-based positions replaced.
QByteArray demoWith(const QList<QPair<int, int>> &changes)
{
    QByteArray frame = demoFrame();
    for (const auto &[position, value] : changes)
        frame[position - 1] = char(value);
    return frame;
}

// Bytes 1, 2, 3, ... as many as asked, wrapping at 256.
QByteArray counting(int count)
{
    QByteArray result;
    for (int i = 1; i <= count; ++i)
        result.append(char(i & 0xFF));
    return result;
}

const InspectorRow *rowOf(const InspectorView &view, int zeile)
{
    for (const InspectorRow &row : view.rows) {
        if (row.zeile == zeile)
            return &row;
    }
    return nullptr;
}

} // namespace

class TestInspectorRows : public QObject
{
    Q_OBJECT

private slots:
    void workedExampleTexts();
    void workedExampleRows_data();
    void workedExampleRows();
    void englishAngles();
    void receptionLengths_data();
    void receptionLengths();
    void thirteenBytes();
    void fieldCutShort_data();
    void fieldCutShort();
    void rawValues_data();
    void rawValues();
    void angleFromHex_data();
    void angleFromHex();
    void addListItem();
    void statusText_data();
    void statusText();
};

void TestInspectorRows::workedExampleTexts()
{
    const InspectorView view = inspectReception(demoFrame(), German);
    QCOMPARE(view.hexList,
             QStringLiteral("02,04,00,F9,00,00,00,1C,00,00,01,14,00,1C,00,0E,01,00,00,01,00,56,00,"
                            "2B,9B,03"));
    QCOMPARE(view.decimalList,
             QStringLiteral("002,004,000,249,000,000,000,028,000,000,001,020,000,028,000,014,001,"
                            "000,000,001,000,086,000,043,155,003"));
    QCOMPARE(view.rows.size(), 13);
}

void TestInspectorRows::workedExampleRows_data()
{
    QTest::addColumn<int>("zeile");
    QTest::addColumn<QString>("datenfeld");
    QTest::addColumn<QString>("bytes");
    QTest::addColumn<QString>("hex");
    QTest::addColumn<QString>("dez");
    QTest::addColumn<QString>("beschreibung");
    const QString offset = QStringLiteral("####, Anzahl Geberzähne seit Referenzmarke");
    QTest::newRow("1") << 1 << "STX"
                       << "1"
                       << "&H02"
                       << "2"
                       << "###, ASCII 2";
    QTest::newRow("2") << 2 << "Polzahl"
                       << "1"
                       << "&H04"
                       << "4"
                       << "##";
    QTest::newRow("3") << 3 << "Drehgeschwindigkeit"
                       << "2"
                       << "&H00F9"
                       << "249"
                       << "#### ms, Drehzahl=240000/dauer";
    QTest::newRow("4") << 4 << "Spannungskonstante"
                       << "4"
                       << "&H0000001C"
                       << "28"
                       << "###.## V/krmp";
    QTest::newRow("5") << 5 << "Spannung"
                       << "4"
                       << "&H00000114"
                       << "276"
                       << "###.# V, Phase-Phase";
    QTest::newRow("6") << 6 << "el. Winkel"
                       << "2"
                       << "&H001C"
                       << "2,8"
                       << "###.# °";
    QTest::newRow("7") << 7 << "mech. Winkel"
                       << "2"
                       << "&H000E"
                       << "1,4"
                       << "###.# °";
    QTest::newRow("8") << 8 << "Geberzähne"
                       << "2"
                       << "&H0100"
                       << "256"
                       << "####, Anzahl Geberzähne";
    QTest::newRow("9") << 9 << "Offset Phase U"
                       << "2"
                       << "&H0001"
                       << "1" << offset;
    QTest::newRow("10") << 10 << "Offset Phase V"
                        << "2"
                        << "&H0056"
                        << "86" << offset;
    QTest::newRow("11") << 11 << "Offset Phase W"
                        << "2"
                        << "&H002B"
                        << "43" << offset;
    QTest::newRow("12") << 12 << "Checksumme"
                        << "1"
                        << "&H9B"
                        << "155"
                        << "###, XOR-Verknüpfung aller Datenbytes (ohne STX, CRC, ETX)";
    QTest::newRow("13") << 13 << "ETX"
                        << "1"
                        << "&H03"
                        << "3"
                        << "###, ASCII 3";
}

void TestInspectorRows::workedExampleRows()
{
    QFETCH(int, zeile);
    QFETCH(QString, datenfeld);
    QFETCH(QString, bytes);
    QFETCH(QString, hex);
    QFETCH(QString, dez);
    QFETCH(QString, beschreibung);
    const InspectorView view = inspectReception(demoFrame(), German);
    QCOMPARE(view.rows.size(), 13);
    // Rows come in their order, each at its own position.
    const InspectorRow &row = view.rows.at(zeile - 1);
    QCOMPARE(row, (InspectorRow{zeile, datenfeld, bytes, hex, dez, beschreibung}));
}

void TestInspectorRows::englishAngles()
{
    const InspectorView view = inspectReception(demoFrame(), English);
    QCOMPARE(view.rows.at(5).dez, QStringLiteral("2.8"));
    QCOMPARE(view.rows.at(6).dez, QStringLiteral("1.4"));
    // Integers are plain digits whatever the locale.
    QCOMPARE(view.rows.at(2).dez, QStringLiteral("249"));
}

void TestInspectorRows::receptionLengths_data()
{
    QTest::addColumn<int>("received");
    QTest::addColumn<int>("listed");
    QTest::addColumn<int>("rows");
    QTest::newRow("0 bytes") << 0 << 0 << 0;
    QTest::newRow("1 byte") << 1 << 1 << 1;
    QTest::newRow("2 bytes") << 2 << 2 << 2;
    QTest::newRow("3 bytes") << 3 << 3 << 3;
    QTest::newRow("13 bytes") << 13 << 13 << 6;
    QTest::newRow("24 bytes") << 24 << 24 << 11;
    QTest::newRow("25 bytes") << 25 << 25 << 12;
    QTest::newRow("26 bytes") << 26 << 26 << 13;
    QTest::newRow("27 bytes") << 27 << 27 << 13;
    QTest::newRow("100 bytes") << 100 << 100 << 13;
    QTest::newRow("101 bytes") << 101 << 100 << 13;
    QTest::newRow("150 bytes") << 150 << 100 << 13;
}

void TestInspectorRows::receptionLengths()
{
    QFETCH(int, received);
    QFETCH(int, listed);
    QFETCH(int, rows);
    const InspectorView view = inspectReception(counting(received), German);

    const QStringList hexEntries = view.hexList.isEmpty() ? QStringList() : view.hexList.split(',');
    const QStringList decimalEntries =
        view.decimalList.isEmpty() ? QStringList() : view.decimalList.split(',');
    QCOMPARE(hexEntries.size(), listed);
    QCOMPARE(decimalEntries.size(), listed);
    for (int position = 1; position <= listed; ++position) {
        const int value = position & 0xFF;
        QCOMPARE(hexEntries.at(position - 1), QStringLiteral("%1").arg(value, 2, 16, QChar('0')).toUpper());
        QCOMPARE(decimalEntries.at(position - 1), QStringLiteral("%1").arg(value, 3, 10, QChar('0')));
    }
    QVERIFY(!view.hexList.endsWith(','));

    QCOMPARE(view.rows.size(), rows);
    for (int index = 0; index < rows; ++index)
        QCOMPARE(view.rows.at(index).zeile, index + 1);
    // Every listed row but a cut-short last one has its whole field.
    if (rows == 13) {
        QCOMPARE(view.rows.at(11).hex, QStringLiteral("&H19")); // byte 25
        QCOMPARE(view.rows.at(12).hex, QStringLiteral("&H1A")); // byte 26
    }
}

void TestInspectorRows::thirteenBytes()
{
    // Byte 13 is the high byte of the electrical angle; the low byte never came.
    QByteArray reception = demoFrame().left(13);
    reception[12] = char(0x2D);
    const InspectorView view = inspectReception(reception, German);
    QCOMPARE(view.rows.size(), 6);
    QCOMPARE(view.rows.last().zeile, 6);
    QCOMPARE(view.rows.last().hex, QStringLiteral("&H2D"));
    QCOMPARE(view.rows.last().dez, QStringLiteral("4,5"));
    QVERIFY(!rowOf(view, 7));
    QCOMPARE(view.hexList, QStringLiteral("02,04,00,F9,00,00,00,1C,00,00,01,14,2D"));
}

void TestInspectorRows::fieldCutShort_data()
{
    QTest::addColumn<QByteArray>("reception");
    QTest::addColumn<int>("zeile");
    QTest::addColumn<QString>("hex");
    QTest::addColumn<QString>("dez");
    // What arrived of a field is read as the shorter number it is, never negative.
    QTest::newRow("period, one byte") << bytes({2, 4, 0xFF}) << 3 << "&HFF"
                                      << "255";
    QTest::newRow("kv, three bytes") << bytes({2, 4, 0, 0xF9, 0xFF, 0xFF, 0xFF}) << 4 << "&HFFFFFF"
                                     << "16777215";
    QTest::newRow("voltage, one byte") << demoFrame().left(8) + bytes({0x80}) << 5 << "&H80"
                                       << "128";
    QTest::newRow("teeth, one byte") << demoFrame().left(16) + bytes({0xFF}) << 8 << "&HFF"
                                     << "255";
    QTest::newRow("mech. angle, one byte") << demoFrame().left(14) + bytes({0xFF}) << 7 << "&HFF"
                                           << "25,5";
}

void TestInspectorRows::fieldCutShort()
{
    QFETCH(QByteArray, reception);
    QFETCH(int, zeile);
    QFETCH(QString, hex);
    QFETCH(QString, dez);
    const InspectorView view = inspectReception(reception, German);
    QCOMPARE(view.rows.size(), zeile);
    QCOMPARE(view.rows.last().hex, hex);
    QCOMPARE(view.rows.last().dez, dez);
}

void TestInspectorRows::rawValues_data()
{
    QTest::addColumn<QByteArray>("reception");
    QTest::addColumn<int>("zeile");
    QTest::addColumn<QString>("hex");
    QTest::addColumn<QString>("dez");
    QTest::newRow("wrong start byte") << demoWith({{1, 0x55}}) << 1 << "&H55"
                                      << "85";
    QTest::newRow("wrong end byte") << demoWith({{26, 0xFE}}) << 13 << "&HFE"
                                    << "254";
    QTest::newRow("wrong checksum") << demoWith({{25, 0x00}}) << 12 << "&H00"
                                    << "0";
    QTest::newRow("period FFFF") << demoWith({{3, 0xFF}, {4, 0xFF}}) << 3 << "&HFFFF"
                                 << "65535";
    QTest::newRow("teeth FFFF") << demoWith({{17, 0xFF}, {18, 0xFF}}) << 8 << "&HFFFF"
                                << "-1";
    QTest::newRow("teeth 8000") << demoWith({{17, 0x80}, {18, 0x00}}) << 8 << "&H8000"
                                << "-32768";
    QTest::newRow("teeth 7FFF") << demoWith({{17, 0x7F}, {18, 0xFF}}) << 8 << "&H7FFF"
                                << "32767";
    QTest::newRow("offset U FFFE") << demoWith({{19, 0xFF}, {20, 0xFE}}) << 9 << "&HFFFE"
                                   << "-2";
    QTest::newRow("offset W 8001") << demoWith({{23, 0x80}, {24, 0x01}}) << 11 << "&H8001"
                                   << "-32767";
    QTest::newRow("kv 80000000") << demoWith({{5, 0x80}, {6, 0}, {7, 0}, {8, 0}}) << 4 << "&H80000000"
                                 << "-2147483648";
    QTest::newRow("kv 7FFFFFFF") << demoWith({{5, 0x7F}, {6, 0xFF}, {7, 0xFF}, {8, 0xFF}}) << 4
                                 << "&H7FFFFFFF"
                                 << "2147483647";
    QTest::newRow("voltage FFFFFFFF")
        << demoWith({{9, 0xFF}, {10, 0xFF}, {11, 0xFF}, {12, 0xFF}}) << 5 << "&HFFFFFFFF"
        << "-1";
    QTest::newRow("poles FF") << demoWith({{2, 0xFF}}) << 2 << "&HFF"
                              << "255";
    QTest::newRow("el. angle FFFF") << demoWith({{13, 0xFF}, {14, 0xFF}}) << 6 << "&HFFFF"
                                    << "-0,1";
    QTest::newRow("el. angle 8000") << demoWith({{13, 0x80}, {14, 0x00}}) << 6 << "&H8000"
                                    << "-3276,8";
    QTest::newRow("mech. angle 7FFF") << demoWith({{15, 0x7F}, {16, 0xFF}}) << 7 << "&H7FFF"
                                      << "3276,7";
    QTest::newRow("mech. angle 001E") << demoWith({{15, 0x00}, {16, 0x1E}}) << 7 << "&H001E"
                                      << "3";
}

void TestInspectorRows::rawValues()
{
    QFETCH(QByteArray, reception);
    QFETCH(int, zeile);
    QFETCH(QString, hex);
    QFETCH(QString, dez);
    const InspectorView view = inspectReception(reception, German);
    // Nothing is checked: every row is there whatever the bytes say.
    QCOMPARE(view.rows.size(), 13);
    QCOMPARE(view.rows.at(zeile - 1).hex, hex);
    QCOMPARE(view.rows.at(zeile - 1).dez, dez);
}

void TestInspectorRows::angleFromHex_data()
{
    QTest::addColumn<QString>("hexText");
    QTest::addColumn<float>("angle");
    QTest::addColumn<QString>("german");
    QTest::addColumn<QString>("english");
    QTest::newRow("001C") << "&H001C" << 2.8F << "2,8"
                          << "2.8";
    QTest::newRow("000E") << "&H000E" << 1.4F << "1,4"
                          << "1.4";
    QTest::newRow("0000") << "&H0000" << 0.0F << "0"
                          << "0";
    QTest::newRow("001E") << "&H001E" << 3.0F << "3"
                          << "3";
    QTest::newRow("7530") << "&H7530" << 3000.0F << "3000"
                          << "3000";
    QTest::newRow("FFFF") << "&HFFFF" << -0.1F << "-0,1"
                          << "-0.1";
    QTest::newRow("8000") << "&H8000" << -3276.8F << "-3276,8"
                          << "-3276.8";
    QTest::newRow("7FFF") << "&H7FFF" << 3276.7F << "3276,7"
                          << "3276.7";
    QTest::newRow("8001") << "&H8001" << -3276.7F << "-3276,7"
                          << "-3276.7";
    QTest::newRow("lower case") << "&hffec" << -2.0F << "-2"
                                << "-2";
    QTest::newRow("one byte") << "&H2D" << 4.5F << "4,5"
                              << "4.5";
}

void TestInspectorRows::angleFromHex()
{
    QFETCH(QString, hexText);
    QFETCH(float, angle);
    QFETCH(QString, german);
    QFETCH(QString, english);
    const float value = AngleFromHex(hexText);
    QCOMPARE(value, angle);
    QCOMPARE(angleText(value, German), german);
    QCOMPARE(angleText(value, English), english);
}

void TestInspectorRows::addListItem()
{
    QTreeWidget list;
    list.setHeaderLabels({"Datenfeld", "Bytes", "Hex", "Dez", "Beschreibung"});
    list.headerItem()->setTextAlignment(1, Qt::AlignCenter);
    const InspectorView view = inspectReception(demoFrame(), German);
    for (const InspectorRow &row : view.rows)
        AddListItem(&list, row.zeile, row.datenfeld, row.bytes, row.hex, row.dez, row.beschreibung);

    QCOMPARE(list.topLevelItemCount(), 13);
    for (int index = 0; index < 13; ++index) {
        const QTreeWidgetItem *item = list.topLevelItem(index);
        const InspectorRow &row = view.rows.at(index);
        QCOMPARE(item->data(0, Qt::UserRole).toString(), QStringLiteral("Zeile%1").arg(index + 1));
        QCOMPARE(item->text(0), row.datenfeld);
        QCOMPARE(item->text(1), row.bytes);
        QCOMPARE(item->text(2), row.hex);
        QCOMPARE(item->text(3), row.dez);
        QCOMPARE(item->text(4), row.beschreibung);
        QCOMPARE(Qt::Alignment(item->textAlignment(1)), Qt::Alignment(Qt::AlignCenter));
    }
}

void TestInspectorRows::statusText_data()
{
    QTest::addColumn<int>("outcome");
    QTest::addColumn<int>("received");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QString>("expected");
    QTest::newRow("26 bytes") << int(ReadOutcome::Received) << 26 << QString()
                              << "14:03:22 Debuggen: 26 Bytes empfangen";
    QTest::newRow("1 byte") << int(ReadOutcome::Received) << 1 << QString()
                            << "14:03:22 Debuggen: 1 Byte empfangen";
    QTest::newRow("no data") << int(ReadOutcome::NoData) << 0 << QString()
                             << "14:03:22 Debuggen: keine Daten empfangen (Com3 (/dev/pts/4))";
    QTest::newRow("no port") << int(ReadOutcome::PortNotAccessible) << 0 << "kein Gerät"
                             << "14:03:22 Debuggen: Com3 (/dev/pts/4): kein Gerät";
}

void TestInspectorRows::statusText()
{
    QFETCH(int, outcome);
    QFETCH(int, received);
    QFETCH(QString, reason);
    QFETCH(QString, expected);
    ReadResult result;
    result.outcome = ReadOutcome(outcome);
    result.buffer.fill(counting(received));
    result.reason = reason;
    result.portLabel = QStringLiteral("Com3 (/dev/pts/4)");
    QCOMPARE(inspectorStatusText(result, QTime(14, 3, 22)), expected);
}

QTEST_MAIN(TestInspectorRows)
#include "tst_inspectorrows.moc"
