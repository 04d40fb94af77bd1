#include "config/SettingsStore.h"

#include "config/RegionalFormat.h"
#include "config/SettingsPath.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

#include "support/TestFiles.h"

namespace {

int boolCode(std::optional<bool> value) // -1: not convertible
{
    return value ? int(*value) : -1;
}

const StoredSettings sample{"Com3", "/home/x/motoren.txt", "Komma [,]", "A1", true, true};
} // namespace

class TestSettingsStore : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString nextPath() { return m_dir.filePath(QString::number(++m_count) + QStringLiteral(".ini")); }
    int m_count = 0;

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }

    void defaultsWithoutFile()
    {
        const QString path = nextPath();
        const StoredSettings settings = readStoredSettings(path);
        QCOMPARE(QStringList({settings.schnittstelle, settings.dataFile, settings.dataTrenner,
                              settings.maschinenTyp}),
                 QStringList({"Com1", QDir::homePath() + "/Rotorlage.txt", "Semikolon [;]", ""}));
        QCOMPARE(boolCode(settings.symbolListe), 1);
        QCOMPARE(boolCode(settings.taskliste), 1);
        QVERIFY(!QFile::exists(path));
    }

    void readProfileValue_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("expected");
        QTest::newRow("value") << QByteArray("DataFile=  /d/x.txt \t") << "/d/x.txt";
        QTest::newRow("empty value") << QByteArray("DataFile=") << "dflt";
        QTest::newRow("only blanks") << QByteArray("DataFile=   ") << "dflt";
        QTest::newRow("empty quotes") << QByteArray("DataFile=\"\"") << "dflt";
        QTest::newRow("blanks inside quotes") << QByteArray("DataFile=\" a \"") << "a";
        QTest::newRow("missing key") << QByteArray("DataTrenner=x") << "dflt";
        QTest::newRow("capitals kept") << QByteArray("datafile=COM3") << "COM3";
        QTest::newRow("damaged: ends at NUL") << QByteArray("DataFile=Com3 \0xx", 17) << "Com3";
        QTest::newRow("damaged: NUL first") << QByteArray("DataFile=\0Com3", 14) << "dflt";
    }

    void readProfileValue()
    {
        QFETCH(QByteArray, line);
        QFETCH(QString, expected);
        const QString path = makeFile(nextPath(), "[Export]\r\n" + line + "\r\n");
        QCOMPARE(ReadProfileValue(path, QStringLiteral("Export"), QStringLiteral("DataFile"), "dflt"),
                 expected);
    }

    void textToBool_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expected");
        const QList<std::pair<const char *, int>> table{
            {"True", 1}, {"false", 0}, {"FALSE", 0}, {"tRuE", 1},  {"0", 0},   {"1", 1},
            {"-1", 1},   {"2.5", 1},   {"0.0", 0},   {"0,0", 0},   {"ja", -1}, {"", -1},
            {"nan", -1}, {"inf", -1},  {"1a", -1},   {"Truex", -1}};
        for (const auto &[text, expected] : table)
            QTest::newRow(text) << QString::fromLatin1(text) << expected;
    }

    void textToBool()
    {
        QFETCH(QString, text);
        QFETCH(int, expected);
        QCOMPARE(boolCode(profileTextToBool(text)), expected);
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
        const StoredSettings settings = readStoredSettings(makeFile(nextPath(), "[System]\r\n" + system));
        QCOMPARE(boolCode(settings.symbolListe), symbolListe);
        QCOMPARE(boolCode(settings.taskliste), taskliste);
    }

    // [Export] Regionalformat as the file holds it, and the desktop's regional settings.
    void regionalFormat_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("desktop");
        QTest::addColumn<QString>("locale"); // the one used
        QTest::addColumn<bool>("unknown");
        QTest::addColumn<bool>("missingForSave");
        const QList<std::tuple<const char *, const char *, const char *, const char *, bool, bool>> table{
            {"none: the desktop's", "", "de_DE", "de_DE", false, false},
            {"empty: the desktop's", "Regionalformat=", "fr_FR", "fr_FR", false, false},
            {"a name", "Regionalformat=de_DE", "fr_FR", "de_DE", false, false},
            {"a name as LANG has it", "regionalformat = de_CH.UTF-8 ", "C", "de_CH", false, false},
            {"a name with a hyphen", "Regionalformat=en-US", "de_DE", "en_US", false, false},
            {"C chosen on purpose", "Regionalformat=C", "de_DE", "C", false, false},
            {"unknown name: the desktop's", "Regionalformat=Deutsch", "de_DE", "de_DE", true, false},
            {"unknown under C", "Regionalformat=xx_YY", "C", "C", true, false},
            {"none under C: a save must not guess", "", "C", "C", false, true},
        };
        for (const auto &[name, line, desktop, locale, unknown, missing] : table)
            QTest::newRow(name) << QByteArray(line) << QString(desktop) << QString(locale) << unknown
                                << missing;
    }

    void regionalFormat()
    {
        QFETCH(QByteArray, line);
        QFETCH(QString, desktop);
        const QString path = makeFile(nextPath(), "[Export]\r\nDataTrenner=x\r\n" + line + "\r\n");
        const QString name = readStoredSettings(path).regionalFormat;
        const RegionalFormat::Resolved resolved = RegionalFormat::resolve(name, QLocale(desktop));
        QTEST(resolved.locale.name(), "locale");
        QTEST(resolved.unknown, "unknown");
        QTEST(RegionalFormat::missingForSave(name, QLocale(desktop)), "missingForSave");
        if (resolved.unknown)
            QVERIFY(RegionalFormat::unknownMessage(name).contains(name));
    }

    void fromScratchByteExact()
    {
        const QString path = nextPath();
        writeStoredSettings(path, sample);
        QCOMPARE(contents(path),
                 QByteArray("[Rotorlage]\r\nSchnittstelle=Com3\r\n[Export]\r\n"
                            "DataFile=/home/x/motoren.txt\r\nDataTrenner=Komma [,]\r\n"
                            "MaschinenTyp=A1\r\n[System]\r\nSymbolListe=True\r\nTaskliste=True\r\n"));
        // One key at a time gives the same file.
        const QString single = nextPath();
        const QStringList keys{
            "Rotorlage", "Schnittstelle", "Com3",      "Export", "DataFile",     "/home/x/motoren.txt",
            "Export",    "DataTrenner",   "Komma [,]", "Export", "MaschinenTyp", "A1",
            "System",    "SymbolListe",   "True",      "System", "Taskliste",    "True"};
        for (qsizetype i = 0; i < keys.size(); i += 3)
            WriteProfileValue(single, keys[i], keys[i + 1], keys[i + 2]);
        QCOMPARE(contents(single), contents(path));
    }

    void saveChangesOnlyTheSixLines()
    {
        const QString path =
            makeFile(nextPath(), "; Einstellungen\r\n[Schnittstellen]\r\nCom2=/dev/pts/7\r\n\r\n"
                                 "[System]\r\nTaskliste=False\r\nExtra=1\r\n\r\n"
                                 "[rotorlage]\r\nschnittstelle = COM9\nAndere=x\r\n");
        StoredSettings settings = sample;
        settings.symbolListe = false;
        settings.taskliste = std::nullopt;
        writeStoredSettings(path, settings);
        QCOMPARE(contents(path),
                 QByteArray("; Einstellungen\r\n[Schnittstellen]\r\nCom2=/dev/pts/7\r\n\r\n"
                            "[System]\r\nTaskliste=True\r\nExtra=1\r\nSymbolListe=False\r\n\r\n"
                            "[rotorlage]\r\nschnittstelle=Com3\r\nAndere=x\r\n"
                            "[Export]\r\nDataFile=/home/x/motoren.txt\r\n"
                            "DataTrenner=Komma [,]\r\nMaschinenTyp=A1\r\n"));
        const StoredSettings back = readStoredSettings(path);
        QCOMPARE(back.schnittstelle, QStringLiteral("Com3"));
        QCOMPARE(boolCode(back.symbolListe), 0);
    }

    // Executable, whether <base name>.ini stands beside it, XDG_CONFIG_HOME, HOME.
    void settingsFileOfInstalledProgram_data()
    {
        QTest::addColumn<QString>("executable");
        QTest::addColumn<bool>("beside");
        QTest::addColumn<QString>("xdgConfigHome");
        QTest::addColumn<QString>("home");
        QTest::addColumn<QString>("expected");
        const QString xdg = "/home/op/.config/quoran/quoran.ini";
        const QList<std::tuple<const char *, const char *, bool, const char *, const char *, QString>> table{
            {"own folder", "/home/op/quoran/quoran", false, "", "/home/op", "/home/op/quoran/quoran.ini"},
            {"base name", "/home/op/q/pruef.x", false, "", "/home/op", "/home/op/q/pruef.ini"},
            {"/usr/bin", "/usr/bin/quoran", false, "", "/home/op", xdg},
            {"/usr/bin, ini beside", "/usr/bin/quoran", true, "", "/home/op", "/usr/bin/quoran.ini"},
            {"/usr/local/bin", "/usr/local/bin/quoran", false, "", "/home/op/", xdg},
            {"/opt", "/opt/quoran/quoran", false, "", "/home/op", xdg},
            {"/opt, ini beside", "/opt/quoran/quoran", true, "/cfg", "/home/op", "/opt/quoran/quoran.ini"},
            {"/usrx is no /usr", "/usrx/quoran", false, "/cfg", "/home/op", "/usrx/quoran.ini"},
            {"XDG_CONFIG_HOME", "/usr/bin/quoran", false, "/cfg/", "/home/op", "/cfg/quoran/quoran.ini"},
            {"relative XDG_CONFIG_HOME", "/usr/bin/quoran", false, "cfg", "/home/op", xdg},
            {"no home", "/usr/bin/quoran", false, "", "", "/usr/bin/quoran.ini"},
            {"one file for both programs", "/usr/bin/quoran-read", false, "", "/home/op", xdg},
        };
        for (const auto &[name, executable, beside, xdgConfigHome, homeValue, expected] : table)
            QTest::newRow(name) << QString(executable) << beside << QString(xdgConfigHome)
                                << QString(homeValue) << expected;
    }

    void settingsFileOfInstalledProgram()
    {
        QFETCH(QString, executable);
        QFETCH(bool, beside);
        QFETCH(QString, xdgConfigHome);
        QFETCH(QString, home);
        QFETCH(QString, expected);
        QCOMPARE(chooseSettingsFilePath(executable, beside, xdgConfigHome, home), expected);
    }
};

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"
