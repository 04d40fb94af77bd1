#include "tolerance/LimitsFile.h"
#include "tolerance/LimitsTable.h"
#include "tolerance/Verdict.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(MeasurementRecord)

namespace {

const QLocale german(QLocale::German, QLocale::Germany);
const QByteArray header = "Typ;Wert;Min;Max\r\n";

// Inside every limit the judging rows set unless a row changes it.
MeasurementRecord reading(const std::function<void(MeasurementRecord &)> &change = {})
{
    MeasurementRecord record;
    record.poleCount = 4;
    record.speed = 1500.0;
    record.voltageConstant = 2.83;
    record.voltage = 230.5;
    record.electricalAngle = 2.8F;
    record.mechanicalAngle = 359.9F;
    record.teeth = 512;
    record.offsetU = 10;
    record.offsetV = -20;
    record.offsetW = 30;
    if (change)
        change(record);
    return record;
}

// "Name min..max" for each value with a limit, or the table's error.
QString described(const LimitsTable &table, const QString &type)
{
    if (!table.isUsable())
        return table.errorText();
    const auto number = [](const std::optional<double> &side) {
        return side ? QString::number(*side) : QString();
    };
    QStringList parts;
    const LimitsTable::Limits limits = table.limitsFor(type);
    for (const LimitValue value : AllLimitValues) {
        if (const std::optional<Limit> &limit = limits[std::size_t(value)])
            parts << limitValueName(value) + u' ' + number(limit->min) + QStringLiteral("..") +
                         number(limit->max);
    }
    return parts.join(QStringLiteral("; "));
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

} // namespace

class TestTolerance : public QObject
{
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void fileReadAgainWhenChanged();
    void judge_data();
    void judge();

private:
    QTemporaryDir m_dir;
};

void TestTolerance::parse_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("expected");

    const QString broken = QStringLiteral("Grenzwertdatei fehlerhaft: Zeile ");
    QTest::newRow("semicolon, CR LF") << header + "A;Drehzahl;1000;2000\r\n"
                                      << "A"
                                      << "Drehzahl 1000..2000";
    QTest::newRow("comma, quoted type and decimal comma")
        << QByteArray("Typ,Wert,Min,Max\n\"A, B\",el. Winkel,\"2,8\",\"4,0\"\n") << " a, b "
        << "el. Winkel 2.8..4";
    QTest::newRow("tab, decimal point, open sides")
        << QByteArray("Typ\tWert\tMin\tMax\nA\tSpannung (Phase-Phase)\t\t400.5\nA\tDrehzahl\t-10\t\n") << "A"
        << "Drehzahl -10..; Spannung (Phase-Phase) ..400.5";
    QTest::newRow("quoted header, doubled quote")
        << QByteArray("\"Typ\";\"Wert\";\"Min\";\"Max\"\n\"Motor \"\"X\"\"\";Polzahl;4;4\n") << "motor \"x\""
        << "Polzahl 4..4";
    QTest::newRow("Windows-1252") << header + "Pr\xFC"
                                              "fling;Geberz\xE4hne;512;512\r\n"
                                  << QStringLiteral("PRÜFLING") << QStringLiteral("Geberzähne 512..512");
    QTest::newRow("UTF-8 with mark, no last line end")
        << QByteArray("\xEF\xBB\xBFTyp;Wert;Min;Max\n*;Geberz\xC3\xA4hne;1;2") << ""
        << QStringLiteral("Geberzähne 1..2");
    QTest::newRow("mark before Windows-1252") << QByteArray("\xEF\xBB\xBFTyp;Wert;Min;Max\nPr\xFC"
                                                            "fling;Polzahl;4;4\n")
                                              << QStringLiteral("Prüfling") << "Polzahl 4..4";
    QTest::newRow("UTF-8 without mark") << header + "Pr\xC3\xBC"
                                                    "fling;Offset Phase W;-3;3\n"
                                        << QStringLiteral(" prüfling ") << "Offset Phase W -3..3";
    const QByteArray fallback = header + "*;Polzahl;4;4\n*;Drehzahl;100;200\nA;Drehzahl;300;400\n";
    QTest::newRow("own line wins") << fallback << "A"
                                   << "Polzahl 4..4; Drehzahl 300..400";
    QTest::newRow("* for another type") << fallback << "B"
                                        << "Polzahl 4..4; Drehzahl 100..200";
    QTest::newRow("* for no type") << fallback << ""
                                   << "Polzahl 4..4; Drehzahl 100..200";
    QTest::newRow("no line for the type") << header + "A;Polzahl;4;4\n"
                                          << "B"
                                          << "";
    QTest::newRow("blank lines and empty rows") << header + "\r\n;;;\r\nA;mech. Winkel; 0 ;1e1\r\n\r\n"
                                                << "A"
                                                << "mech. Winkel 0..10";

    QTest::newRow("wrong header") << QByteArray("Typ;Wert;Min\nA;Polzahl;4;4\n") << "A"
                                  << broken + QStringLiteral("1: Kopfzeile „Typ;Wert;Min;Max“ erwartet");
    QTest::newRow("empty file") << QByteArray() << "A"
                                << broken + QStringLiteral("1: Kopfzeile „Typ;Wert;Min;Max“ erwartet");
    QTest::newRow("unknown value") << header + "A;Polzahl;4;4\r\nA;Spannung;1;2\r\n"
                                   << "A" << broken + QStringLiteral("3: unbekannter Wert „Spannung“");
    QTest::newRow("Min not a number") << header + "\nA;Polzahl;4x;5\n"
                                      << "A" << broken + QStringLiteral("3: Min „4x“ ist keine Zahl");
    QTest::newRow("grouping") << header + "A;Drehzahl;1.000,5;\n"
                              << "A" << broken + QStringLiteral("2: Min „1.000,5“ ist keine Zahl");
    QTest::newRow("Max not a number") << header + "A;Drehzahl;;inf\n"
                                      << "A" << broken + QStringLiteral("2: Max „inf“ ist keine Zahl");
    QTest::newRow("Min above Max") << header + "A;Drehzahl;200;100,5\n"
                                   << "A"
                                   << broken + QStringLiteral("2: Min „200“ ist größer als Max „100,5“");
    QTest::newRow("missing column") << header + "A;Drehzahl;200\n"
                                    << "A" << broken + QStringLiteral("2: Spalte „Max“ fehlt");
    QTest::newRow("unquoted decimal comma") << QByteArray("Typ,Wert,Min,Max\nA,Drehzahl,2,5,3,5\n") << "A"
                                            << broken + QStringLiteral("2: mehr als vier Spalten");
    QTest::newRow("same type and value twice")
        << header + "A%3;Polzahl;4;4\n*;Polzahl;2;2\n a%3 ;Polzahl;4;4\n"
        << "B" << broken + QStringLiteral("4: Typ „a%3“ mit Wert „Polzahl“ schon in Zeile 2");
    QTest::newRow("unclosed quote") << header + "\"A;Polzahl;4;4\n"
                                    << "A" << broken + QStringLiteral("2: Anführungszeichen falsch gesetzt");
    QTest::newRow("empty type") << header + " ;Polzahl;4;4\n"
                                << "" << broken + QStringLiteral("2: Typ fehlt");
}

void TestTolerance::parse()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, type);
    QFETCH(QString, expected);

    const QString path = m_dir.filePath(QStringLiteral("Grenzwerte.csv"));
    QVERIFY(writeFile(path, file));
    QCOMPARE(described(LimitsTable::read(path), type), expected);
}

void TestTolerance::fileReadAgainWhenChanged()
{
    const QString path = m_dir.filePath(QStringLiteral("Wechsel.csv"));
    QFile::remove(path);
    LimitsFile limits(path);
    QCOMPARE(limits.table().errorText(), QStringLiteral("Grenzwertdatei nicht gefunden"));

    QVERIFY(writeFile(path, header + "A;Polzahl;4;4\n"));
    QCOMPARE(described(limits.table(), QStringLiteral("A")), QStringLiteral("Polzahl 4..4"));

    // Same size, same time: taken as unchanged, not read again.
    const QDateTime written = QFileInfo(path).lastModified();
    QVERIFY(writeFile(path, header + "A;Polzahl;6;6\n"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(written, QFileDevice::FileModificationTime));
    file.close();
    QCOMPARE(described(limits.table(), QStringLiteral("A")), QStringLiteral("Polzahl 4..4"));

    // An engineer's edit: a new time, or a new size.
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(written.addSecs(2), QFileDevice::FileModificationTime));
    file.close();
    QCOMPARE(described(limits.table(), QStringLiteral("A")), QStringLiteral("Polzahl 6..6"));
    QVERIFY(writeFile(path, header + "A;Polzahl;10;12\n"));
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(written.addSecs(2), QFileDevice::FileModificationTime));
    file.close();
    QCOMPARE(described(limits.table(), QStringLiteral("A")), QStringLiteral("Polzahl 10..12"));

    QCOMPARE(LimitsFile(m_dir.path()).table().errorText(), QStringLiteral("Grenzwertdatei nicht lesbar"));
    QVERIFY(QFile::resize(path, 17 * 1024 * 1024)); // a file chosen by mistake
    QCOMPARE(limits.table().errorText(), QStringLiteral("Grenzwertdatei zu groß"));
}

void TestTolerance::judge_data()
{
    QTest::addColumn<QByteArray>("lines");
    QTest::addColumn<QString>("type");
    QTest::addColumn<MeasurementRecord>("record");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("json");
    QTest::addColumn<QString>("tipValue");
    QTest::addColumn<QString>("tip");

    QTest::newRow("inside")
        << QByteArray("*;Polzahl;4;4\n*;Drehzahl;1000;2000\n") << "" << reading() << "i.O."
        << R"({"limits":{"Drehzahl":[1000,2000],"Polzahl":[4,4]},"outside":[],"verdict":"pass"})"
        << "Drehzahl" << QStringLiteral("Grenze: 1.000 … 2.000");
    QTest::newRow("single-precision angle on Min")
        << QByteArray("*;el. Winkel;2,8;4,0\n") << "A" << reading() << "i.O."
        << R"({"limits":{"el. Winkel":[2.8,4]},"outside":[],"verdict":"pass"})"
        << "el. Winkel" << QStringLiteral("Grenze: 2,8 … 4,0");
    QTest::newRow("single-precision angle on Max")
        << QByteArray("*;mech. Winkel;;359.9\n") << "A" << reading() << "i.O."
        << R"({"limits":{"mech. Winkel":[null,359.9]},"outside":[],"verdict":"pass"})"
        << "mech. Winkel" << QStringLiteral("Grenze: ≤ 359,9");
    QTest::newRow("exact value")
        << QByteArray("*;Spannungskonstante;2,83;2,83\n") << "A" << reading() << "i.O."
        << R"({"limits":{"Spannungskonstante":[2.83,2.83]},"outside":[],"verdict":"pass"})"
        << "Spannungskonstante" << QStringLiteral("Grenze: genau 2,83");
    QTest::newRow("outside, in column order")
        << QByteArray("A;Geberzähne;500;510\nA;el. Winkel;2,9;\nA;Polzahl;4;4\n") << " a " << reading()
        << "n.i.O."
        << R"({"limits":{"Geberzähne":[500,510],"Polzahl":[4,4],"el. Winkel":[2.9,null]},)"
           R"("outside":["el. Winkel","Geberzähne"],"verdict":"fail"})"
        << "el. Winkel" << QStringLiteral("Grenze: ≥ 2,9");
    QTest::newRow("just below Min")
        << QByteArray("*;el. Winkel;2,8;\n") << ""
        << reading([](MeasurementRecord &r) { r.electricalAngle = 2.7F; }) << "n.i.O."
        << R"({"limits":{"el. Winkel":[2.8,null]},"outside":["el. Winkel"],"verdict":"fail"})"
        << "el. Winkel" << QStringLiteral("Grenze: ≥ 2,8");
    QTest::newRow("offset outside")
        << QByteArray("*;Offset Phase V;-10;10\n") << "" << reading() << "n.i.O."
        << R"({"limits":{"Offset Phase V":[-10,10]},"outside":["Offset Phase V"],"verdict":"fail"})"
        << "Offset Phase V" << QStringLiteral("Grenze: -10 … 10");
    const auto noSpeed = [](MeasurementRecord &r) { r.speed.reset(); };
    QTest::newRow("absent speed")
        << QByteArray("*;Drehzahl;;\n") << "" << reading(noSpeed) << "n.i.O."
        << R"({"limits":{"Drehzahl":[null,null]},"outside":["Drehzahl"],"verdict":"fail"})"
        << "Drehzahl" << QStringLiteral("Grenze: beliebiger Wert");
    QTest::newRow("absent speed, no limit on it")
        << QByteArray("*;Polzahl;4;4\n") << "" << reading(noSpeed) << "i.O."
        << R"({"limits":{"Polzahl":[4,4]},"outside":[],"verdict":"pass"})"
        << "Drehzahl"
        << "";
    const QByteArray ownLine("*;Polzahl;2;2\nA;Polzahl;4;4\n");
    QTest::newRow("own line wins") << ownLine << "A" << reading() << "i.O."
                                   << R"({"limits":{"Polzahl":[4,4]},"outside":[],"verdict":"pass"})"
                                   << "Polzahl" << QStringLiteral("Grenze: genau 4");
    QTest::newRow("* for another type")
        << ownLine << "B" << reading() << "n.i.O."
        << R"({"limits":{"Polzahl":[2,2]},"outside":["Polzahl"],"verdict":"fail"})"
        << "Polzahl" << QStringLiteral("Grenze: genau 2");
    QTest::newRow("no line applies") << QByteArray("B;Polzahl;4;4\n") << "A" << reading()
                                     << "keine Grenzwerte"
                                     << R"({"limits":{},"outside":[],"verdict":"none"})"
                                     << "Polzahl"
                                     << "";
    QTest::newRow("unusable table") << QByteArray("*;Polzahl;4;4\n*;Polzahl;4;4\n") << "" << reading()
                                    << QStringLiteral("Grenzwertdatei fehlerhaft: Zeile 3: Typ „*“ mit Wert "
                                                      "„Polzahl“ schon in Zeile 2")
                                    << R"({"limits":{},"outside":[],"verdict":"error"})"
                                    << "Polzahl"
                                    << "";
}

void TestTolerance::judge()
{
    QFETCH(QByteArray, lines);
    QFETCH(QString, type);
    QFETCH(MeasurementRecord, record);
    QFETCH(QString, text);
    QFETCH(QString, json);
    QFETCH(QString, tipValue);
    QFETCH(QString, tip);

    const QString path = m_dir.filePath(QStringLiteral("Urteil.csv"));
    QVERIFY(writeFile(path, header + lines));
    const Verdict verdict = Verdict::judge(LimitsTable::read(path), type, record);
    QCOMPARE(verdict.text(), text);
    QCOMPARE(QString::fromUtf8(QJsonDocument(verdict.toJson()).toJson(QJsonDocument::Compact)), json);
    const std::optional<LimitValue> value = limitValueFromName(tipValue);
    QVERIFY(value);
    const std::optional<Limit> limit = verdict.limit(*value);
    QCOMPARE(limit ? limit->text(*value, german) : QString(), tip);
}

QTEST_GUILESS_MAIN(TestTolerance)
#include "tst_tolerance.moc"
