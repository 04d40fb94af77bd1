#include "config/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

class TestSettingsStore : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    int m_fileCount = 0;

    QString makeFile(const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(QStringLiteral("s%1.ini").arg(++m_fileCount));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write test file");
        return path;
    }

    static QByteArray contents(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    static StoredSettings sample()
    {
        return {QStringLiteral("Com3"),
                QStringLiteral("/home/x/motoren.txt"),
                QStringLiteral("Komma [,]"),
                QStringLiteral("A1"),
                true,
                true};
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    }

    void defaultsWithoutFile()
    {
        const QString path = m_dir.filePath(QStringLiteral("none.ini"));
        const StoredSettings settings = readStoredSettings(path);
        QCOMPARE(settings.schnittstelle, QStringLiteral("Com1"));
        QCOMPARE(settings.dataFile, QDir::homePath() + QStringLiteral("/Rotorlage.txt"));
        QCOMPARE(settings.dataTrenner, QStringLiteral("Semikolon [;]"));
        QCOMPARE(settings.maschinenTyp, QString());
        QCOMPARE(settings.symbolListe, std::optional<bool>(true));
        QCOMPARE(settings.taskliste, std::optional<bool>(true));
        QVERIFY(!QFile::exists(path));
    }

    void readProfileValue_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("expected");
        QTest::newRow("value") << QByteArray("[Export]\r\nDataFile=/d/x.txt\r\n") << "/d/x.txt";
        QTest::newRow("blanks around") << QByteArray("[Export]\r\nDataFile=  /d/x.txt \t\r\n") << "/d/x.txt";
        QTest::newRow("empty value") << QByteArray("[Export]\r\nDataFile=\r\n") << "dflt";
        QTest::newRow("only blanks") << QByteArray("[Export]\r\nDataFile=   \r\n") << "dflt";
        QTest::newRow("empty quotes") << QByteArray("[Export]\r\nDataFile=\"\"\r\n") << "dflt";
        QTest::newRow("missing key") << QByteArray("[Export]\r\nDataTrenner=x\r\n") << "dflt";
        QTest::newRow("missing section") << QByteArray("[System]\r\nDataFile=x\r\n") << "dflt";
        QTest::newRow("capitals kept") << QByteArray("[Export]\r\nDataFile=COM3\r\n") << "COM3";
    }

    void readProfileValue()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, expected);
        const QString value = ReadProfileValue(makeFile(file), QStringLiteral("Export"),
                                               QStringLiteral("DataFile"), QStringLiteral("dflt"));
        QCOMPARE(value, expected);
    }

    void textToBool_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expected"); // -1: not convertible
        QTest::newRow("True") << "True" << 1;
        QTest::newRow("false") << "false" << 0;
        QTest::newRow("FALSE") << "FALSE" << 0;
        QTest::newRow("tRuE") << "tRuE" << 1;
        QTest::newRow("0") << "0" << 0;
        QTest::newRow("1") << "1" << 1;
        QTest::newRow("-1") << "-1" << 1;
        QTest::newRow("2.5") << "2.5" << 1;
        QTest::newRow("0.0") << "0.0" << 0;
        QTest::newRow("German 0,0") << "0,0" << 0;
        QTest::newRow("ja") << "ja" << -1;
        QTest::newRow("empty") << "" << -1;
        QTest::newRow("nan") << "nan" << -1;
        QTest::newRow("inf") << "inf" << -1;
        QTest::newRow("Truex") << "Truex" << -1;
        QTest::newRow("1a") << "1a" << -1;
    }

    void textToBool()
    {
        QFETCH(QString, text);
        QFETCH(int, expected);
        const std::optional<bool> value = profileTextToBool(text);
        QCOMPARE(value.has_value() ? int(*value) : -1, expected);
    }

    void boolTextReadsBack()
    {
        QCOMPARE(profileBoolText(true), QStringLiteral("True"));
        QCOMPARE(profileBoolText(false), QStringLiteral("False"));
        QCOMPARE(profileTextToBool(profileBoolText(false)), std::optional<bool>(false));
    }

    void storedBooleans_data()
    {
        QTest::addColumn<QByteArray>("system");
        QTest::addColumn<int>("symbolListe");
        QTest::addColumn<int>("taskliste");
        QTest::newRow("False / FALSE") << QByteArray("SymbolListe=False\r\nTaskliste=FALSE\r\n") << 0 << 0;
        QTest::newRow("0 / missing") << QByteArray("SymbolListe=0\r\n") << 0 << 1;
        QTest::newRow("ja / empty") << QByteArray("SymbolListe=ja\r\nTaskliste=\r\n") << -1 << 1;
    }

    void storedBooleans()
    {
        QFETCH(QByteArray, system);
        QFETCH(int, symbolListe);
        QFETCH(int, taskliste);
        const StoredSettings settings = readStoredSettings(makeFile("[System]\r\n" + system));
        QCOMPARE(settings.symbolListe.has_value() ? int(*settings.symbolListe) : -1, symbolListe);
        QCOMPARE(settings.taskliste.has_value() ? int(*settings.taskliste) : -1, taskliste);
    }

    void fromScratchByteExact()
    {
        const QString path = m_dir.filePath(QStringLiteral("scratch.ini"));
        writeStoredSettings(path, sample());
        QCOMPARE(contents(path),
                 QByteArray("[Rotorlage]\r\nSchnittstelle=Com3\r\n[Export]\r\n"
                            "DataFile=/home/x/motoren.txt\r\nDataTrenner=Komma [,]\r\n"
                            "MaschinenTyp=A1\r\n[System]\r\nSymbolListe=True\r\nTaskliste=True\r\n"));
    }

    void singleWritesGiveTheSameFile()
    {
        const QString path = m_dir.filePath(QStringLiteral("single.ini"));
        WriteProfileValue(path, QStringLiteral("Rotorlage"), QStringLiteral("Schnittstelle"),
                          QStringLiteral("Com3"));
        WriteProfileValue(path, QStringLiteral("Export"), QStringLiteral("DataFile"),
                          QStringLiteral("/home/x/motoren.txt"));
        WriteProfileValue(path, QStringLiteral("Export"), QStringLiteral("DataTrenner"),
                          QStringLiteral("Komma [,]"));
        WriteProfileValue(path, QStringLiteral("Export"), QStringLiteral("MaschinenTyp"),
                          QStringLiteral("A1"));
        WriteProfileValue(path, QStringLiteral("System"), QStringLiteral("SymbolListe"),
                          QStringLiteral("True"));
        WriteProfileValue(path, QStringLiteral("System"), QStringLiteral("Taskliste"),
                          QStringLiteral("True"));
        const QString batch = m_dir.filePath(QStringLiteral("batch.ini"));
        writeStoredSettings(batch, sample());
        QCOMPARE(contents(path), contents(batch));
    }

    void saveChangesOnlyTheSixLines()
    {
        const QByteArray before("; Einstellungen\r\n"
                                "[Schnittstellen]\r\n"
                                "Com2=/dev/pts/7\r\n"
                                "\r\n"
                                "[System]\r\n"
                                "Taskliste=False\r\n"
                                "Extra=1\r\n"
                                "\r\n"
                                "[rotorlage]\r\n"
                                "schnittstelle = COM9\n"
                                "Andere=x\r\n");
        const QString path = makeFile(before);
        StoredSettings settings = sample();
        settings.symbolListe = false;
        settings.taskliste = std::nullopt;
        writeStoredSettings(path, settings);
        QCOMPARE(contents(path), QByteArray("; Einstellungen\r\n"
                                            "[Schnittstellen]\r\n"
                                            "Com2=/dev/pts/7\r\n"
                                            "\r\n"
                                            "[System]\r\n"
                                            "Taskliste=True\r\n"
                                            "Extra=1\r\n"
                                            "SymbolListe=False\r\n"
                                            "\r\n"
                                            "[rotorlage]\r\n"
                                            "schnittstelle=Com3\r\n"
                                            "Andere=x\r\n"
                                            "[Export]\r\n"
                                            "DataFile=/home/x/motoren.txt\r\n"
                                            "DataTrenner=Komma [,]\r\n"
                                            "MaschinenTyp=A1\r\n"));
        const StoredSettings back = readStoredSettings(path);
        QCOMPARE(back.schnittstelle, QStringLiteral("Com3"));
        QCOMPARE(back.symbolListe, std::optional<bool>(false));
    }

    void roundTrip()
    {
        const QString path = m_dir.filePath(QStringLiteral("round.ini"));
        const StoredSettings written{QStringLiteral("Com12"),
                                     QStringLiteral("/tmp/Müller;[x]=y.txt"),
                                     QStringLiteral("Tabulator"),
                                     QStringLiteral("Typ ä"),
                                     false,
                                     true};
        writeStoredSettings(path, written);
        const StoredSettings read = readStoredSettings(path);
        QCOMPARE(read.schnittstelle, written.schnittstelle);
        QCOMPARE(read.dataFile, written.dataFile);
        QCOMPARE(read.dataTrenner, written.dataTrenner);
        QCOMPARE(read.maschinenTyp, written.maschinenTyp);
        QCOMPARE(read.symbolListe, written.symbolListe);
        QCOMPARE(read.taskliste, written.taskliste);
    }
};

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"
