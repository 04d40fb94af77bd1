#include "core/Windows1252.h"

#include <QtTest>

Q_DECLARE_METATYPE(Windows1252::Mapping)

class TestWindows1252 : public QObject
{
    Q_OBJECT
private slots:
    void encode_data();
    void encode();
    void plainEncodeKeepsItsFallback();
    void everyByteReadsBack();
};

void TestWindows1252::encode_data()
{
    using Windows1252::Mapping;
    QTest::addColumn<Mapping>("mapping");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<uint>("unholdable"); // 0: none
    const auto row = [](const QByteArray &name, Mapping mapping, const QString &text, const QByteArray &bytes,
                        uint unholdable = 0) {
        QTest::newRow(name.constData()) << mapping << text << bytes << unholdable;
    };
    for (const Mapping mapping : {Mapping::Exact, Mapping::DataFile}) {
        const bool file = mapping == Mapping::DataFile;
        const auto name = [file](const char *text) {
            return QByteArray(text) + (file ? ", data file" : ", exact");
        };
        row(name("ascii"), mapping, QStringLiteral("Typ;17"), "Typ;17");
        row(name("umlaut"), mapping, QStringLiteral("Geberzähne"), "Geberz\xe4hne");
        row(name("euro and quotes"), mapping, QStringLiteral("€ „x“"), "\x80 \x84x\x93");
        row(name("NUL kept"), mapping, QString(QChar(0)) + QLatin1Char('x'), QByteArray("\0x", 2));
        row(name("outside the code page"), mapping, QStringLiteral("aΩb"), {}, 0x3A9);
        row(name("the first of two"), mapping, QStringLiteral("Prüfung_č/İ"), {}, 0x10D);
        row(name("beyond the basic plane is one character"), mapping, QStringLiteral("a😀b"), {}, 0x1F600);
        row(name("half a surrogate pair"), mapping, QString(QChar(0xD800)) + QLatin1Char('x'), {}, 0xD800);
        // The regional signs belong to the data file only.
        row(name("regional minus"), mapping, QStringLiteral("\u22123,0"), file ? "-3,0" : "",
            file ? 0 : 0x2212);
        row(name("neighbours stay unmapped"), mapping, QStringLiteral("1\u2012"), {}, 0x2012);
    }
    // Regional signs: sv_SE/fi_FI/nb_NO minus, fr_FR grouping, he_IL and ar_EG direction marks.
    row("hyphens", Mapping::DataFile, QStringLiteral("\u2010\u2011"), "--");
    row("grouping spaces", Mapping::DataFile, QStringLiteral("3\u202F000\u20091\u20072\u20083"),
        QByteArray("3\xA0"
                   "000\xA0"
                   "1\xA0"
                   "2\xA0"
                   "3"));
    row("direction marks dropped", Mapping::DataFile, QStringLiteral("\u200E\u22121\u200F\u061C-2"), "-1-2");
    row("no-break space kept", Mapping::DataFile, QStringLiteral("\u00A0"), "\xA0");
    // Digits of every script as 0-9: Arabic-Indic, Persian, Devanagari, Chakma (beyond the basic plane).
    row("Arabic-Indic digits", Mapping::DataFile, QStringLiteral("\u0660\u0661\u0662\u0669"), "0129");
    row("Persian digits", Mapping::DataFile, QStringLiteral("\u06F1\u06F4:\u06F0\u06F3"), "14:03");
    row("Devanagari digits", Mapping::DataFile, QStringLiteral("\u0967\u0968"), "12");
    row("Chakma digits", Mapping::DataFile, QStringLiteral("\U00011137\U0001113F"), "19");
    row("Arabic letter in a time", Mapping::DataFile, QStringLiteral("\u0662:\u0660\u0663 \u0645"), {},
        0x645);
    row("digits exact", Mapping::Exact, QStringLiteral("\u0661"), {}, 0x661);
}

void TestWindows1252::encode()
{
    QFETCH(Windows1252::Mapping, mapping);
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QFETCH(uint, unholdable);
    const Windows1252::Checked checked = Windows1252::encodeChecked(text, mapping);
    QCOMPARE(checked.bytes, bytes);
    QCOMPARE(checked.unholdable.value_or(0), char32_t(unholdable));
    QCOMPARE(Windows1252::canHold(text, mapping), unholdable == 0);
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

void TestWindows1252::plainEncodeKeepsItsFallback()
{
    // Not for the two files: what they cannot hold is refused there.
    QCOMPARE(Windows1252::encode(QStringLiteral("Ω\u2212\u200E1😀\u0661")), QByteArray("?-1??"));
}

QTEST_APPLESS_MAIN(TestWindows1252)
#include "tst_windows1252.moc"
