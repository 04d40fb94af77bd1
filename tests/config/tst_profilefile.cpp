#include "config/ProfileFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "support/TestFiles.h"
#include <sys/stat.h>

class TestProfileFile : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString nextPath() { return m_dir.filePath(QString::number(++m_count) + QStringLiteral(".ini")); }
    int m_count = 0;

private slots:
    void read_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected"); // "<none>": nothing found
        const auto row = [](const char *name, const QByteArray &file, const QString &section,
                            const QString &key, const QString &expected) {
            QTest::newRow(name) << file << section << key << expected;
        };
        row("LF, no final line end", "[A]\nk=v", "A", "k", "v");
        row("names ignore case", "[eXpOrT]\r\nDATAFILE=v\r\n", "Export", "DataFile", "v");
        row("blanks and tabs", "  [A]  \r\n\t k \t=  \t a b \t \r\n", "A", "k", "a b");
        row("quotes removed", "[A]\r\nk=\" x \"\r\n", "A", "k", " x ");
        row("lone quote kept", "[A]\r\nk=\"x\r\n", "A", "k", "\"x");
        row("first equals splits", "[A]\r\nk=a=b\r\n", "A", "k", "a=b");
        row("duplicate key: first", "[A]\r\nk=1\r\nK=2\r\n", "A", "k", "1");
        row("duplicate section: first", "[A]\r\nx=0\r\n[B]\r\nk=b\r\n[a]\r\nk=2\r\n", "A", "k", "<none>");
        row("before any section", "k=1\r\n[A]\r\nj=2\r\n", "A", "k", "<none>");
        row("key without equals", "[A]\r\nk\r\nk=1\r\n", "A", "k", "");
        row("empty file", {}, "A", "k", "<none>");
        static const char binary[] = "\0\xff\x01[A\0]\r\n\x81\x8d=\0\r\nk\0=1\r\n";
        row("binary", QByteArray(binary, sizeof binary - 1), "A", "k", "<none>");
        row("windows-1252", "[\xc4rger]\r\nk=gr\xfc\xdf \x80\r\n", QStringLiteral("Ärger"), "k",
            QStringLiteral("grüß €"));
        row("UTF-8 from an editor",
            "[\xc3\x84rger]\r\nk=/home/pr\xc3\xbc"
            "fer\r\n",
            QStringLiteral("Ärger"), "k", QStringLiteral("/home/prüfer"));
        row("byte-order mark", "\xef\xbb\xbf[A]\r\nk=v\r\n", "A", "k", "v");
        row("byte-order mark before Windows-1252", "\xef\xbb\xbf[A]\r\nk=L\xe4ufer \x80\r\n", "A", "k",
            QStringLiteral("Läufer €"));
        row("not all UTF-8: Windows-1252", "[A]\r\nk=\xc3\xa4\xe4\r\n", "A", "k", QStringLiteral("Ã¤ä"));
        row("cut UTF-8 sequence: Windows-1252", "[A]\r\nk=\xc3\xa4\xc3", "A", "k", QStringLiteral("Ã¤Ã"));
        row("overlong UTF-8: Windows-1252", "[A]\r\nk=\xc0\xaf", "A", "k", QStringLiteral("À¯"));
        const QByteArray huge(100000, 'x');
        row("lines of 100000", "[A]\r\n" + huge + "\r\nk=" + huge + "\r\n", "A", "k", huge);
        row("300 characters read whole", "[A]\r\nk=" + QByteArray(300, 'p'), "A", "k", QByteArray(300, 'p'));
    }

    void read()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        const QString path = makeFile(nextPath(), file);
        QCOMPARE(ProfileFile::read(path, section, key).value_or(QStringLiteral("<none>")), expected);
    }

    void write_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("after");
        const auto row = [](const char *name, const QByteArray &before, const QString &section,
                            const QString &key, const QString &value, const QByteArray &after) {
            QTest::newRow(name) << before << section << key << value << after;
        };
        const QByteArray mixed("; Kommentar\r\n\r\n[Fremd]\n  a = 1 \r\n[Export]\r\nDataFile = alt \r\n"
                               "; noch einer\r\nDataTrenner=Komma [,]\n\r\n[Ende]\r\nz=\xff");
        QByteArray replaced = mixed;
        row("replace keeps every other byte", mixed, "export", "datafile", "neu",
            replaced.replace("DataFile = alt \r\n", "DataFile=neu\r\n"));
        QByteArray added = mixed;
        row("new key after last non-blank line", mixed, "Export", "MaschinenTyp", "A1",
            added.replace("[,]\n", "[,]\nMaschinenTyp=A1\r\n"));
        row("new section at end", mixed, "System", "Taskliste", "True",
            mixed + "\r\n[System]\r\nTaskliste=True\r\n");
        row("new key after open last line", "[A]\r\nk=1", "A", "j", "2", "[A]\r\nk=1\r\nj=2\r\n");
        row("LF file keeps LF", "[A]\nk=1", "A", "j", "2", "[A]\nk=1\nj=2\n");
        row("LF file, new section", "; x\n[A]\r\nk=1\n", "B", "k", "v", "; x\n[A]\r\nk=1\n[B]\nk=v\n");
        row("LF file, replaced line", "[A]\nk=1\r\nj=2\n", "A", "k", "3", "[A]\nk=3\nj=2\n");
        row("CR LF file keeps CR LF", "[A]\r\nk=1\n", "A", "k", "3", "[A]\r\nk=3\r\n");
        row("key into empty section", "[A]\r\n\r\n[B]\r\n", "A", "k", "v", "[A]\r\nk=v\r\n\r\n[B]\r\n");
        row("first duplicate key", "[A]\nk=1\nk=2\n", "a", "K", "3", "[A]\nk=3\nk=2\n");
        row("first duplicate section", "[A]\r\n[A]\r\nk=2\r\n", "A", "k", "3",
            "[A]\r\nk=3\r\n[A]\r\nk=2\r\n");
        row("key before any section", "k=0\r\n[A]\r\n", "A", "k", "1", "k=0\r\n[A]\r\nk=1\r\n");
        row("key without equals", "[A]\r\nk\r\n", "A", "k", "1", "[A]\r\nk=1\r\n");
        row("windows-1252", {}, "A", "k", QStringLiteral("ä€x"), "[A]\r\nk=\xe4\x80x\r\n");
        // Nothing becomes "?": a value Windows-1252 cannot hold turns the file into UTF-8 with a mark.
        row("beyond Windows-1252: UTF-8", {}, "A", "k", QStringLiteral("ä€Ω😀x"),
            "\xef\xbb\xbf[A]\r\nk=\xc3\xa4\xe2\x82\xac\xce\xa9\xf0\x9f\x98\x80x\r\n");
        row("other lines keep their text",
            "; Pr\xfc"
            "fer\r\n[Export]\r\nDataTrenner=Komma [,]\r\n",
            "Export", "DataFile", QStringLiteral("/tmp/Prüfung_č/daten.txt"),
            "\xef\xbb\xbf; Pr\xc3\xbc"
            "fer\r\n[Export]\r\nDataTrenner=Komma [,]\r\n"
            "DataFile=/tmp/Pr\xc3\xbc"
            "fung_\xc4\x8d/daten.txt\r\n");
        row("new section name beyond Windows-1252", "[A]\nk=\xe4\n", QStringLiteral("Ω"), "k", "1",
            "\xef\xbb\xbf[A]\nk=\xc3\xa4\n[\xce\xa9]\nk=1\n");
        // The regional-sign mapping is the data file's, never the settings file's.
        row("regional signs: UTF-8", "[A]\r\n", "A", "k", QStringLiteral("\u200E\u22123\u202F000"),
            "\xef\xbb\xbf[A]\r\nk=\xe2\x80\x8e\xe2\x88\x92"
            "3\xe2\x80\xaf"
            "000\r\n");
        row("mark before Windows-1252 written back as UTF-8", "\xef\xbb\xbf[A]\r\nt=L\xe4ufer\r\n", "A", "k",
            "v", "\xef\xbb\xbf[A]\r\nt=L\xc3\xa4ufer\r\nk=v\r\n");
        row("UTF-8 file stays UTF-8", "[A]\r\nt=L\xc3\xa4ufer\r\n", "A", "k",
            QStringLiteral("prüfer \u22123"),
            "[A]\r\nt=L\xc3\xa4ufer\r\nk=pr\xc3\xbc"
            "fer \xe2\x88\x92"
            "3\r\n");
        row("byte-order mark kept, no second section", "\xef\xbb\xbf[Rotorlage]\r\nSchnittstelle=Com1\r\n",
            "Rotorlage", "Schnittstelle", QStringLiteral("Cöm2"),
            "\xef\xbb\xbf[Rotorlage]\r\nSchnittstelle=C\xc3\xb6m2\r\n");
        row("line break in value", {}, "A", "k", "a\r\nb", "[A]\r\nk=a  b\r\n");
        const QByteArray junk = QByteArray(100000, '\x81') + QByteArray("\r\n\0\xff\r\n", 6);
        row("bad bytes kept", junk, "A", "k", "v", junk + "[A]\r\nk=v\r\n");
    }

    void write()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QByteArray, after);
        const QString path = makeFile(nextPath(), before);
        QVERIFY(ProfileFile::write(path, section, key, value));
        QCOMPARE(contents(path), after);
        // What was written reads back as it was meant.
        QCOMPARE(ProfileFile::read(path, section, key), value.replace(u'\r', u' ').replace(u'\n', u' '));
    }

    void replaceLeavesNoTemporaryFiles()
    {
        QTemporaryDir dir;
        // Copies that an earlier write cut short left, and files that only look so.
        const QDateTime twoHoursAgo = QDateTime::currentDateTime().addSecs(-7200);
        const QStringList stale{"q.ini.LXkfiW", "q.ini.aBcdeF"};
        const QStringList stay{"q.ini.WvtumI", "q.ini.backup",  "q.ini.BACKUP",
                               "q.ini.AbC1eF", "q.ini.AbCdEfG", "p.ini.sUIqZc"};
        for (const QString &name : stale + stay) {
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            // Only the first of the kept ones is as young as a write in progress.
            if (name != stay.constFirst())
                QVERIFY(file.setFileTime(twoHoursAgo, QFileDevice::FileModificationTime));
        }
        for (const QString value : {"1", "2"})
            QVERIFY(
                ProfileFile::write(dir.filePath(QStringLiteral("q.ini")), QStringLiteral("A"), "k", value));
        QStringList expected = stay;
        expected << QStringLiteral("q.ini");
        expected.sort();
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name), expected);
    }

    void unwritableFolderKeepsFile()
    {
        QTemporaryDir dir;
        const QString path = makeFile(dir.filePath(QStringLiteral("q.ini")), "[A]\r\nk=1\r\n");
        const QByteArray folder = QFile::encodeName(dir.path());
        QVERIFY(::chmod(folder.constData(), 0555) == 0);
        const bool written =
            ProfileFile::write(path, QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("2"));
        // Root writes through permission bits; such a run cannot see a refusal.
        const bool ignored =
            written && QFile(dir.filePath(QStringLiteral("probe"))).open(QIODevice::WriteOnly);
        ::chmod(folder.constData(), 0755);
        if (ignored)
            QSKIP("permissions do not stop writes for this user");
        QVERIFY(!written);
        QCOMPARE(contents(path), QByteArray("[A]\r\nk=1\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestProfileFile)
#include "tst_profilefile.moc"
