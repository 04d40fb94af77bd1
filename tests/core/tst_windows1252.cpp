#include "core/Windows1252.h"

#include <QtTest>

class TestWindows1252 : public QObject
{
    Q_OBJECT
private slots:
    void encode_data();
    void encode();
    void everyByteReadsBack();
};

void TestWindows1252::encode_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("ascii") << QStringLiteral("Typ;17") << QByteArray("Typ;17");
    QTest::newRow("umlaut") << QStringLiteral("Geberzähne") << QByteArray("Geberz\xe4hne");
    QTest::newRow("euro and quotes") << QStringLiteral("€ „x“") << QByteArray("\x80 \x84x\x93");
    QTest::newRow("degree") << QStringLiteral("°") << QByteArray("\xb0");
    QTest::newRow("outside the code page") << QStringLiteral("Ω") << QByteArray("?");
    QTest::newRow("beyond the basic plane is one character") << QStringLiteral("a😀b") << QByteArray("a?b");
    // Regional signs: sv_SE/fi_FI/nb_NO minus, fr_FR grouping, he_IL direction mark.
    QTest::newRow("regional minus") << QStringLiteral("\u22123,0") << QByteArray("-3,0");
    QTest::newRow("hyphens") << QStringLiteral("\u2010\u2011") << QByteArray("--");
    QTest::newRow("grouping spaces") << QStringLiteral("3\u202F000\u20091\u20072\u20083")
                                     << QByteArray("3\xA0"
                                                   "000\xA0"
                                                   "1\xA0"
                                                   "2\xA0"
                                                   "3");
    QTest::newRow("direction marks dropped") << QStringLiteral("\u200E\u22121\u200F") << QByteArray("-1");
    QTest::newRow("neighbours stay unmapped")
        << QStringLiteral("\u2012\u200D\u2006\u2213") << QByteArray("????");
    QTest::newRow("NUL kept") << QString(QChar(0)) + QLatin1Char('x') << QByteArray("\0x", 2);
    QTest::newRow("half a surrogate pair") << QString(QChar(0xD800)) + QLatin1Char('x') << QByteArray("?x");
}

void TestWindows1252::encode()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(Windows1252::encode(text), bytes);
}

void TestWindows1252::everyByteReadsBack()
{
    // A settings file is rewritten from what was read: no byte may change on the way.
    QByteArray all;
    for (int byte = 0; byte < 256; ++byte)
        all.append(char(byte));
    const QString text = Windows1252::decode(all);
    QCOMPARE(text.size(), 256);
    QCOMPARE(text.at(0x80), QChar(0x20AC));
    QCOMPARE(text.at(0x9F), QChar(0x0178));
    QCOMPARE(Windows1252::encode(text), all);
}

QTEST_APPLESS_MAIN(TestWindows1252)
#include "tst_windows1252.moc"
