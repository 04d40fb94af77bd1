#include "config/ProfileFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

class TestProfileFile : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    int m_fileCount = 0;

    QString makeFile(const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(QStringLiteral("f%1.ini").arg(++m_fileCount));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write test file");
        return path;
    }

    // Root writes through any permission bits; such a run cannot test a refusal.
    static bool permissionsIgnored(const QString &dir)
    {
        QFile probe(dir + QStringLiteral("/probe"));
        const bool opened = probe.open(QIODevice::WriteOnly);
        if (opened)
            probe.remove();
        return opened;
    }

    static QByteArray contents(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void read_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected"); // "<none>" for nothing

        const auto row = [](const char *name, const QByteArray &file, const QString &section,
                            const QString &key, const QString &expected) {
            QTest::newRow(name) << file << section << key << expected;
        };
        row("plain", "[A]\r\nk=v\r\n", "A", "k", "v");
        row("LF only", "[A]\nk=v\n", "A", "k", "v");
        row("no final line end", "[A]\r\nk=v", "A", "k", "v");
        row("section case", "[eXpOrT]\r\nk=v\r\n", "Export", "k", "v");
        row("key case", "[A]\r\nDATAFILE=v\r\n", "A", "datafile", "v");
        row("blanks and tabs", "  [A]  \r\n\t k \t=  \t a b \t \r\n", "A", "k", "a b");
        row("quotes removed", "[A]\r\nk=\" x \"\r\n", "A", "k", " x ");
        row("lone quote kept", "[A]\r\nk=\"x\r\n", "A", "k", "\"x");
        row("first equals splits", "[A]\r\nk=a=b\r\n", "A", "k", "a=b");
        row("empty value", "[A]\r\nk=\r\n", "A", "k", "");
        row("duplicate key: first", "[A]\r\nk=1\r\nK=2\r\n", "A", "k", "1");
        row("duplicate section: first", "[A]\r\nx=0\r\n[B]\r\nk=b\r\n[a]\r\nk=2\r\n", "A", "k", "<none>");
        row("key in other section", "[B]\r\nk=1\r\n[A]\r\nj=2\r\n", "A", "k", "<none>");
        row("before any section", "k=1\r\n[A]\r\nj=2\r\n", "A", "k", "<none>");
        row("missing section", "[B]\r\nk=1\r\n", "A", "k", "<none>");
        row("key without equals", "[A]\r\nk\r\nk=1\r\n", "A", "k", "");
        row("empty file", {}, "A", "k", "<none>");
        row("no sections", "k=1\r\nj=2\r\n", "A", "k", "<none>");
        static const char binary[] = "\0\xff\x01[A\0]\r\n\x81\x8d=\0\r\nk\0=1\r\n";
        row("binary", QByteArray(binary, sizeof binary - 1), "A", "k", "<none>");
        row("windows-1252", "[\xc4rger]\r\nk=gr\xfc\xdf \x80\r\n", QStringLiteral("Ärger"), "k",
            QStringLiteral("grüß €"));
        row("bytes without a character", "[A]\r\nk=\x81x\x9d\r\n", "A", "k",
            QString(QChar(0x81)) + "x" + QChar(0x9d));
        const QByteArray hugeLine(100000, 'x');
        row("lines of 100000", "[A]\r\n" + hugeLine + "\r\nk=" + hugeLine + "\r\n", "A", "k", hugeLine);
        const QByteArray longValue(300, 'p');
        row("300 characters read whole", "[A]\r\nk=" + longValue + "\r\n", "A", "k", longValue);
    }

    void read()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        const std::optional<QString> value = ProfileFile::read(makeFile(file), section, key);
        QCOMPARE(value.value_or(QStringLiteral("<none>")), expected);
    }

    void readMissingFile()
    {
        const QString path = m_dir.filePath(QStringLiteral("absent.ini"));
        QVERIFY(!ProfileFile::read(path, QStringLiteral("A"), QStringLiteral("k")));
        QVERIFY(!QFile::exists(path));
    }

    void write_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("after");

        const QByteArray mixed("; Kommentar\r\n"
                               "\r\n"
                               "[Fremd]\n"
                               "  a = 1 \r\n"
                               "[Export]\r\n"
                               "DataFile = alt \r\n"
                               "; noch einer\r\n"
                               "DataTrenner=Komma [,]\n"
                               "\r\n"
                               "[Ende]\r\n"
                               "z=\xff");
        const auto row = [](const char *name, const QByteArray &before, const QString &section,
                            const QString &key, const QString &value, const QByteArray &after) {
            QTest::newRow(name) << before << section << key << value << after;
        };
        QByteArray replaced = mixed;
        replaced.replace("DataFile = alt \r\n", "DataFile=neu\r\n");
        row("replace keeps every other byte", mixed, "export", "datafile", "neu", replaced);
        QByteArray added = mixed;
        added.replace("DataTrenner=Komma [,]\n", "DataTrenner=Komma [,]\nMaschinenTyp=A1\r\n");
        row("new key after last non-blank line", mixed, "Export", "MaschinenTyp", "A1", added);
        row("new section at end, last line ended", "[A]\nk=1\n\n", "B", "j", "2",
            "[A]\nk=1\n\n[B]\r\nj=2\r\n");
        row("new section at end, last line open", mixed, "System", "Taskliste", "True",
            mixed + "\r\n[System]\r\nTaskliste=True\r\n");
        row("new key into last open line", "[A]\nk=1", "A", "j", "2", "[A]\nk=1\r\nj=2\r\n");
        row("key into empty section", "[A]\r\n\r\n[B]\r\n", "A", "k", "v", "[A]\r\nk=v\r\n\r\n[B]\r\n");
        row("first duplicate key replaced", "[A]\nk=1\nk=2\n", "a", "K", "3", "[A]\nk=3\r\nk=2\n");
        row("key into first duplicate section", "[A]\r\nx=1\r\n[A]\r\nk=2\r\n", "A", "k", "3",
            "[A]\r\nx=1\r\nk=3\r\n[A]\r\nk=2\r\n");
        row("key before any section is not the key", "k=0\r\n[A]\r\n", "A", "k", "1",
            "k=0\r\n[A]\r\nk=1\r\n");
        row("key without equals replaced", "[A]\r\nk\r\n", "A", "k", "1", "[A]\r\nk=1\r\n");
        row("windows-1252 and question mark", {}, "A", "k", QStringLiteral("ä€Ω😀x"),
            "[A]\r\nk=\xe4\x80??x\r\n");
        row("line break in value stays on one line", {}, "A", "k", "a\r\nb", "[A]\r\nk=a  b\r\n");
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
        const QString path = makeFile(before);
        QVERIFY(ProfileFile::write(path, section, key, value));
        QCOMPARE(contents(path), after);
    }

    void writeCreatesFileInOrder()
    {
        const QString path = m_dir.filePath(QStringLiteral("new.ini"));
        QVERIFY(ProfileFile::write(path, QStringLiteral("S1"), QStringLiteral("a"), QStringLiteral("1")));
        QVERIFY(ProfileFile::write(path, QStringLiteral("S2"), QStringLiteral("b"), QStringLiteral("2")));
        QVERIFY(ProfileFile::write(path, QStringLiteral("S1"), QStringLiteral("c"), QStringLiteral("3")));
        QCOMPARE(contents(path), QByteArray("[S1]\r\na=1\r\nc=3\r\n[S2]\r\nb=2\r\n"));
    }

    void batchEqualsSingleWrites()
    {
        const QByteArray start("[X]\r\nq=1\r\n\r\n[B]\r\nb=0\r\n");
        const QList<ProfileFile::Entry> entries{
            {"A", "a", "1"}, {"B", "b", "2"}, {"A", "c", "3"}, {"x", "Q", "4"}};
        const QString one = makeFile(start);
        const QString many = makeFile(start);
        for (const ProfileFile::Entry &entry : entries)
            QVERIFY(ProfileFile::write(one, entry.section, entry.key, entry.value));
        QVERIFY(ProfileFile::write(many, entries));
        QCOMPARE(contents(many), contents(one));
    }

    void writtenValuesReadBack_data()
    {
        QTest::addColumn<QString>("value");
        QTest::newRow("backslashes") << "C:\\Messungen\\motoren.txt";
        QTest::newRow("comma and brackets") << "Komma [,]";
        QTest::newRow("umlauts") << "Müller ß";
        QTest::newRow("long") << QString(500, QLatin1Char('L'));
        QTest::newRow("equals") << "a=b";
    }

    void writtenValuesReadBack()
    {
        QFETCH(QString, value);
        const QString path = makeFile("[S]\r\nk=old\r\n");
        QVERIFY(ProfileFile::write(path, QStringLiteral("S"), QStringLiteral("k"), value));
        QCOMPARE(ProfileFile::read(path, QStringLiteral("s"), QStringLiteral("K")).value_or("<none>"), value);
    }

    void replaceLeavesNoTemporaryFiles()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("quoran.ini"));
        for (int i = 0; i < 3; ++i)
            QVERIFY(ProfileFile::write(path, QStringLiteral("A"), QStringLiteral("k"), QString::number(i)));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("quoran.ini")});
    }

    void unwritableFolderKeepsFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("quoran.ini"));
        const QByteArray original("[A]\r\nk=1\r\n");
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(original);
        }
        const QByteArray folder = QFile::encodeName(dir.path());
        QVERIFY(::chmod(folder.constData(), 0555) == 0);
        const bool written =
            ProfileFile::write(path, QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("2"));
        const bool ignored = written && permissionsIgnored(dir.path());
        ::chmod(folder.constData(), 0755);
        if (ignored)
            QSKIP("permissions do not stop writes for this user (root)");
        QVERIFY(!written);
        QCOMPARE(contents(path), original);
    }

    void readOnlyFileKeepsFile()
    {
        const QByteArray original("[A]\r\nk=1\r\n");
        const QString path = makeFile(original);
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner));
        const bool written =
            ProfileFile::write(path, QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("2"));
        const bool ignored = written && QFile(path).open(QIODevice::Append);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        if (ignored)
            QSKIP("permissions do not stop writes for this user (root)");
        QVERIFY(!written);
        QCOMPARE(contents(path), original);
    }

    void missingFolderFails()
    {
        const QString path = m_dir.filePath(QStringLiteral("no/such/folder/quoran.ini"));
        QVERIFY(!ProfileFile::write(path, QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("1")));
    }
};

QTEST_GUILESS_MAIN(TestProfileFile)
#include "tst_profilefile.moc"
