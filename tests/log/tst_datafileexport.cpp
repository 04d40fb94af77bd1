#include "log/DataFileExport.h"
#include "log/DataFileLeftovers.h"
#include "log/ReadTimestamp.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <latch>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

const QStringList exampleFields{"A1",    "17",    " 4 ",   " 964 ",       " 0,28 ",    " 27,6 ",
                                " 2,8 ", " 1,4 ", " 256 ", " 06.12.2026", " 14:03:22", "MK"};

// Caps the size a write may make a file reach, so that writes fail part-way
// on a real file; the signal the kernel sends then is ignored meanwhile.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        m_active = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;
    [[nodiscard]] bool isActive() const { return m_active; }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
    bool m_active = false;
};

} // namespace

class TestDataFileExport : public QObject
{
    Q_OBJECT

private slots:
    void separators_data();
    void separators();
    void recordLines_data();
    void recordLines();
    void encodesWindows1252_data();
    void encodesWindows1252();
    void regionalRecords_data();
    void regionalRecords();
    void longFieldWrittenWhole();
    void newFileGetsHeaderOnce();
    void existingFileGetsRecordOnItsOwnLine_data();
    void existingFileGetsRecordOnItsOwnLine();
    void verdictColumns_data();
    void verdictColumns();
    void leftoversOfDeadSavesGo();
    void relativeNameInCurrentFolder();
    void failures_data();
    void failures();
    void failedWriteIsCutBack();
    void headerStaysWhenRecordFails();
    void twoWritersKeepLinesWhole();
    void fileLockedByAnotherWriter_data();
    void fileLockedByAnotherWriter();
};

void TestDataFileExport::separators_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QChar>("separator");

    QTest::newRow("Tabulator") << "Tabulator" << QChar(u'\t');
    QTest::newRow("Komma") << "Komma [,]" << QChar(u',');
    QTest::newRow("Semikolon") << "Semikolon [;]" << QChar(u';');
    QTest::newRow("lower-case tabulator") << "tabulator" << QChar(u';');
    QTest::newRow("Komma without bracket") << "Komma" << QChar(u';');
    QTest::newRow("leading blank") << " Tabulator" << QChar(u';');
    QTest::newRow("empty") << "" << QChar(u';');
}

void TestDataFileExport::separators()
{
    QFETCH(QString, entry);
    QFETCH(QChar, separator);
    QCOMPARE(DataFileExport::separatorFor(entry), separator);
}

void TestDataFileExport::recordLines_data()
{
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QChar>("separator");
    QTest::addColumn<QString>("line");

    QTest::newRow("example") << exampleFields << QChar(u';')
                             << "A1;17;4;964;0,28;27,6;2,8;1,4;256;06.12.2026;14:03:22;MK";
    QTest::newRow("comma quotes decimal commas")
        << exampleFields << QChar(u',')
        << "A1,17,4,964,\"0,28\",\"27,6\",\"2,8\",\"1,4\",256,06.12.2026,14:03:22,MK";
    QTest::newRow("tab") << exampleFields << QChar(u'\t')
                         << "A1\t17\t4\t964\t0,28\t27,6\t2,8\t1,4\t256\t06.12.2026\t14:03:22\tMK";
    QTest::newRow("quotes doubled") << QStringList{"Typ \"B\"", "x"} << QChar(u';')
                                    << "\"Typ \"\"B\"\"\";x;;;;;;;;;;";
    QTest::newRow("inner blanks kept") << QStringList{"  A  1  "} << QChar(u';') << "A  1;;;;;;;;;;;";
    QTest::newRow("tabs at the ends kept") << QStringList{" \tA\t "} << QChar(u';') << "\tA\t;;;;;;;;;;;";
    QTest::newRow("tab field under tab separator")
        << QStringList{"\tA"} << QChar(u'\t') << "\"\tA\"\t\t\t\t\t\t\t\t\t\t\t";
    QTest::newRow("no fields") << QStringList{} << QChar(u';') << ";;;;;;;;;;;";
    QTest::newRow("pasted line breaks stay on the line")
        << QStringList{"A1\r\n", "1\n7", "x\ry"} << QChar(u';') << "A1;1 7;x y;;;;;;;;;";
    QTest::newRow("only blanks") << QStringList{"   ", " "} << QChar(u';') << ";;;;;;;;;;;";
    QStringList thirteen = exampleFields;
    thirteen << "extra";
    QTest::newRow("thirteenth field ignored")
        << thirteen << QChar(u';') << "A1;17;4;964;0,28;27,6;2,8;1,4;256;06.12.2026;14:03:22;MK";
}

void TestDataFileExport::recordLines()
{
    QFETCH(QStringList, fields);
    QFETCH(QChar, separator);
    QFETCH(QString, line);
    QCOMPARE(DataFileExport::recordLine(fields, separator), line);
}

void TestDataFileExport::encodesWindows1252_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<uint>("unholdable"); // 0: none; else the save is refused and names it

    QTest::newRow("umlauts") << QString::fromUtf8("\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9F")
                             << QByteArray("\xE4\xF6\xFC\xDF") << 0u;
    QTest::newRow("euro") << QString::fromUtf8("\xE2\x82\xAC") << QByteArray("\x80") << 0u;
    QTest::newRow("L with stroke") << QString::fromUtf8("A\xC5\x81z") << QByteArray() << 0x141u;
    QTest::newRow("outside the BMP") << QString::fromUtf8("a\xF0\x9F\x98\x80z") << QByteArray() << 0x1F600u;
    QTest::newRow("substitute control stays") << QStringLiteral("a\x1a") << QByteArray("a\x1a") << 0u;
    QTest::newRow("lone surrogate") << QString(QChar(0xD800)) + u'x' << QByteArray() << 0xD800u;
    // Numbers as regional settings write them keep their sign and grouping.
    QTest::newRow("sv_SE minus") << QLocale(QLocale::Swedish, QLocale::Sweden).toString(-3.0, 'f', 1)
                                 << QByteArray("-3,0") << 0u;
    QTest::newRow("fr_FR grouping") << QLocale(QLocale::French, QLocale::France).toString(3000)
                                    << QByteArray("3\xA0"
                                                  "000")
                                    << 0u;
    QTest::newRow("he_IL direction mark")
        << QLocale(QLocale::Hebrew, QLocale::Israel).toString(-3) << QByteArray("-3") << 0u;
    QTest::newRow("ar_EG digits and minus")
        << QLocale(QLocale::Arabic, QLocale::Egypt).toString(-37) << QByteArray("-37") << 0u;
}

void TestDataFileExport::encodesWindows1252()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QFETCH(uint, unholdable);
    const QTemporaryDir dir;
    const QString path = dir.filePath("data.txt");
    const DataFileExport::AppendResult result = DataFileExport::appendLine(path, text);
    QCOMPARE(result.ok, unholdable == 0);
    if (unholdable == 0) {
        QCOMPARE(contents(path), bytes + "\r\n");
        return;
    }
    // The character by its code, which shows even where its glyph does not.
    const QString code = QStringLiteral("U+%1").arg(unholdable, 4, 16, QLatin1Char('0')).toUpper();
    QVERIFY2(result.reason.contains(code), qPrintable(result.reason));
    QVERIFY(!QFileInfo::exists(path));
}

void TestDataFileExport::regionalRecords_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QChar>("separator");
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("refusal"); // part of it; empty: written
    const auto fields = [](const QLocale &locale, const QString &type, const QString &time) {
        return QStringList{type,
                           QStringLiteral("17"),
                           locale.toString(4),
                           locale.toString(240000),
                           locale.toString(-0.28, 'f', 2),
                           locale.toString(27.6, 'f', 1),
                           QString(),
                           QString(),
                           QString(),
                           ReadTimestamp::dateText(QDate(2026, 12, 7), locale),
                           time,
                           QStringLiteral("MK")};
    };
    const QLocale persian(QLocale::Persian, QLocale::Iran);
    const QLocale arabic(QLocale::Arabic, QLocale::Egypt);
    const QLocale german(QLocale::German, QLocale::Germany);
    const QLocale swiss(QLocale::German, QLocale::Switzerland);
    const QTime time(14, 3, 22);
    QTest::newRow("fa_IR") << "fa_IR" << fields(persian, "A1", ReadTimestamp::timeText(time, persian))
                           << QChar(u';') << QByteArray("A1;17;4;240000;-0.28;27.6;;;;2026/12/7;14:03:22;MK")
                           << "";
    QTest::newRow("fa_IR, comma separator") << "fa_IR" << fields(persian, "A1", "") << QChar(u',')
                                            << QByteArray("A1,17,4,240000,-0.28,27.6,,,,2026/12/7,,MK") << "";
    QTest::newRow("ar_EG date") << "ar_EG" << fields(arabic, "A1", "") << QChar(u';')
                                << QByteArray("A1;17;4;240000;-0.28;27.6;;;;7/12/2026;;MK") << "";
    // Its afternoon mark is a letter the code page lacks: not "?", and not left out either.
    QTest::newRow("ar_EG time") << "ar_EG" << fields(arabic, "A1", ReadTimestamp::timeText(time, arabic))
                                << QChar(u';') << QByteArray()
                                << QString::fromUtf8("„م“ (U+0645) im Feld „Zeit“");
    QTest::newRow("de_DE as before") << "de_DE" << fields(german, "A1", ReadTimestamp::timeText(time, german))
                                     << QChar(u';')
                                     << QByteArray("A1;17;4;240.000;-0,28;27,6;;;;07.12.2026;14:03:22;MK")
                                     << "";
    QTest::newRow("de_CH grouping sign in the code page") << "de_CH" << fields(swiss, "A1", "") << QChar(u';')
                                                          << QByteArray("A1;17;4;240\x92"
                                                                        "000;-0.28;27.6;;;;07.12.2026;;MK")
                                                          << "";
    QTest::newRow("operator field: Turkish capital I")
        << "de_DE" << fields(german, QString::fromUtf8("\xC4\xB0"), "") << QChar(u';') << QByteArray()
        << QString::fromUtf8("„İ“ (U+0130) im Feld „Typ“");
    QTest::newRow("operator field: Arabic-Indic digits count as digits")
        << "ar_EG" << fields(arabic, QString::fromUtf8("A\xD9\xA1"), "") << QChar(u';')
        << QByteArray("A1;17;4;240000;-0.28;27.6;;;;7/12/2026;;MK") << "";
    QTest::newRow("operator field: Arabic decimal sign is no sign there")
        << "ar_EG" << fields(arabic, QString::fromUtf8("1\xD9\xAB") + "5", "") << QChar(u';') << QByteArray()
        << QString::fromUtf8("(U+066B) im Feld „Typ“");
}

void TestDataFileExport::regionalRecords()
{
    QFETCH(QString, locale);
    QFETCH(QStringList, fields);
    QFETCH(QChar, separator);
    QFETCH(QByteArray, line);
    QFETCH(QString, refusal);
    const DataFileExport::RecordBytes record =
        DataFileExport::recordBytes(fields, separator, QLocale(locale));
    QCOMPARE(record.bytes, line);
    QCOMPARE(record.refusal.isEmpty(), refusal.isEmpty());
    QVERIFY2(record.refusal.contains(refusal), qPrintable(record.refusal));

    // The save writes exactly that, or nothing at all.
    const QTemporaryDir dir;
    const QString path = dir.filePath("data.txt");
    const DataFileExport::AppendResult result = DataFileExport::save(
        path, separator == u',' ? "Komma [,]" : "Semikolon [;]", fields, QLocale(locale));
    QCOMPARE(result.ok, refusal.isEmpty());
    QCOMPARE(result.reason, record.refusal);
    if (refusal.isEmpty())
        QVERIFY(contents(path).endsWith("\n" + line + "\r\n"));
    else
        QVERIFY(!QFileInfo::exists(path));
}

void TestDataFileExport::longFieldWrittenWhole()
{
    const QTemporaryDir dir;
    const QString path = dir.filePath("data.txt");
    QStringList fields = exampleFields;
    fields[1] = QString(10000, u'7');
    QVERIFY(DataFileExport::save(path, "Semikolon [;]", fields).ok);
    const QList<QByteArray> lines = contents(path).split('\n');
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines.at(1),
             "A1;" + QByteArray(10000, '7') + ";4;964;0,28;27,6;2,8;1,4;256;06.12.2026;14:03:22;MK\r");
}

void TestDataFileExport::newFileGetsHeaderOnce()
{
    const QTemporaryDir dir;
    const QString path = dir.filePath("Rotorlage.txt");
    QVERIFY(!DataFileExport::fileExists(path));

    const DataFileExport::AppendResult first = DataFileExport::save(path, "Semikolon [;]", exampleFields);
    QVERIFY2(first.ok, qPrintable(first.reason));
    const QByteArray line = "A1;17;4;964;0,28;27,6;2,8;1,4;256;06.12.2026;14:03:22;MK\r\n";
    QCOMPARE(contents(path), SemicolonHeader + line);
    QVERIFY(DataFileExport::fileExists(path));

    QVERIFY(DataFileExport::save(path, "Semikolon [;]", exampleFields).ok);
    QCOMPARE(contents(path), SemicolonHeader + line + line);
    // No temporary file is left beside the data file.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"Rotorlage.txt"});
}

void TestDataFileExport::existingFileGetsRecordOnItsOwnLine_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("between"); // what comes before the record
    QTest::newRow("empty file gets no header") << QByteArray() << QByteArray();
    QTest::newRow("after CR LF") << QByteArray("T1\r\n") << QByteArray();
    QTest::newRow("after LF") << QByteArray("T1\n") << QByteArray();
    QTest::newRow("last line without its break") << QByteArray("T3\t3") << QByteArray("\r\n");
    QTest::newRow("torn after the CR") << QByteArray("T3\t3\r") << QByteArray("\n");
    QTest::newRow("NUL bytes of a torn write stay") << QByteArray("T1\r\n\0\0\0", 7) << QByteArray("\r\n");
}

void TestDataFileExport::existingFileGetsRecordOnItsOwnLine()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, between);
    const QTemporaryDir dir;
    const QString path = dir.filePath("data.txt");
    QVERIFY(writeFile(path, before));
    QVERIFY(DataFileExport::save(path, "Tabulator", {"T"}).ok);
    const QByteArray record("T\t\t\t\t\t\t\t\t\t\t\t\r\n");
    QCOMPARE(contents(path), before + between + record);
    QVERIFY(DataFileExport::save(path, "Tabulator", {"T"}).ok);
    QCOMPARE(contents(path), before + between + record + record);
}

void TestDataFileExport::leftoversOfDeadSavesGo()
{
    const QTemporaryDir dir;
    const QByteArray host = DataFileLeftovers::hostName();
    if (host.isEmpty())
        QSKIP("This machine has no host name");
    // A process that has ended, its number not yet taken again.
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    QVERIFY(child > 0);
    QCOMPARE(::waitpid(child, nullptr, 0), child);
    const QByteArray dead = QByteArray::number(child);
    const QByteArray alive = QByteArray::number(::getpid());
    const QStringList stay{".quoran-" + host + "-" + alive + "-1f",
                           ".quoran-other" + host + "-" + dead + "-1f", ".quoran-" + dead + "-1f",
                           ".quoran-" + host + "-" + dead + "-notes"};
    for (const QString &name : stay + QStringList{".quoran-" + host + "-" + dead + "-a0c3"})
        QVERIFY(writeFile(dir.filePath(name), "Typ\r\n"));

    QVERIFY(DataFileExport::save(dir.filePath("data.txt"), "Semikolon [;]", exampleFields).ok);
    QStringList left = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
    left.removeOne("data.txt");
    QCOMPARE(QSet<QString>(left.cbegin(), left.cend()), QSet<QString>(stay.cbegin(), stay.cend()));
}

void TestDataFileExport::verdictColumns_data()
{
    QTest::addColumn<QByteArray>("before"); // the file before the save; empty: none
    QTest::addColumn<QString>("trenner");
    QTest::addColumn<bool>("forNewFile");
    QTest::addColumn<QByteArray>("added");
    const QByteArray twelve = "A1;17;4;964;0,28;27,6;2,8;1,4;256;06.12.2026;14:03:22;MK";
    const QByteArray header14 = SemicolonHeader.chopped(2) + ";Bewertung;Abweichung\r\n";
    QTest::newRow("new file with Bewertung") << QByteArray() << "Semikolon [;]" << true
                                             << header14 + twelve + ";n.i.O.;el. Winkel, Geberz\xe4hne\r\n";
    QTest::newRow("new file without")
        << QByteArray() << "Semikolon [;]" << false << SemicolonHeader + twelve + "\r\n";
    QTest::newRow("existing 12-column file keeps twelve") << SemicolonHeader + twelve + "\r\n"
                                                          << "Semikolon [;]" << true << twelve + "\r\n";
    QTest::newRow("existing 14-column file keeps fourteen")
        << QByteArray(header14).replace(';', ',') << "Komma [,]" << false
        << QByteArray(twelve)
                   .replace(';', ',')
                   .replace("0,28", "\"0,28\"")
                   .replace("27,6", "\"27,6\"")
                   .replace("2,8", "\"2,8\"")
                   .replace("1,4", "\"1,4\"") +
               ",n.i.O.,\"el. Winkel, Geberz\xe4hne\"\r\n";
}

void TestDataFileExport::verdictColumns()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, trenner);
    QFETCH(bool, forNewFile);
    QFETCH(QByteArray, added);
    const QTemporaryDir dir;
    const QString path = dir.filePath("Rotorlage.txt");
    if (!before.isEmpty())
        QVERIFY(writeFile(path, before));
    const DataFileExport::VerdictColumns verdict{forNewFile, "n.i.O.", "el. Winkel, Geberzähne"};
    QVERIFY(DataFileExport::save(path, trenner, exampleFields, QLocale(QLocale::German, QLocale::Germany),
                                 verdict)
                .ok);
    QCOMPARE(contents(path), before + added);
}

void TestDataFileExport::relativeNameInCurrentFolder()
{
    const QTemporaryDir dir;
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.path()));
    const bool saved = DataFileExport::save("plain.txt", "Semikolon [;]", {"R"}).ok;
    QDir::setCurrent(previous);
    QVERIFY(saved);
    QCOMPARE(contents(dir.filePath("plain.txt")), SemicolonHeader + "R;;;;;;;;;;;\r\n");
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"plain.txt"});
}

void TestDataFileExport::failures_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");

    QTest::newRow("folder missing") << "missing" << QString::fromUtf8("Der Ordner existiert nicht.");
    QTest::newRow("read-only folder") << "readonly" << QString::fromUtf8("Keine Schreibberechtigung.");
    QTest::newRow("path is a folder") << "folder" << QString::fromUtf8("Der Pfad ist ein Ordner.");
    QTest::newRow("disk full") << "full" << QString::fromUtf8("Der Datentr\xC3\xA4ger ist voll.");
    QTest::newRow("part of the path is a file")
        << "notdir" << QStringLiteral("Ein Teil des Pfades ist kein Ordner.");
    QTest::newRow("no file chosen") << "empty"
                                    << QString::fromUtf8("Es ist keine Datei zum Speichern gew\xC3\xA4hlt.");
}

void TestDataFileExport::failures()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);

    const QTemporaryDir dir;
    const QString folder = dir.filePath("sub");
    QVERIFY(QDir().mkdir(folder));
    QString path = folder + "/data.txt";
    if (kind == "missing") {
        path = dir.filePath("nowhere/data.txt");
    } else if (kind == "folder") {
        path = folder;
    } else if (kind == "full") {
        path = QStringLiteral("/dev/full");
    } else if (kind == "notdir") {
        QVERIFY(writeFile(folder + "/plain", "x"));
        path = folder + "/plain/data.txt";
    } else if (kind == "empty") {
        path.clear();
    } else if (kind == "readonly") {
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        if (writeFile(folder + "/probe", "x")) {
            QFile::remove(folder + "/probe");
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            QSKIP("Running with rights that ignore folder permissions");
        }
    }

    const DataFileExport::AppendResult result = DataFileExport::save(path, "Semikolon [;]", exampleFields);
    QVERIFY(!result.ok);
    QCOMPARE(result.reason, reason);
    if (kind != "full")
        QVERIFY(path.isEmpty() || !QFileInfo::exists(path) || QFileInfo(path).isDir());
    const QStringList expectedFiles = kind == "notdir" ? QStringList{"plain"} : QStringList();
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), expectedFiles);

    // Once the cause is gone, saving works again and starts with the header.
    if (kind == "readonly") {
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QVERIFY(DataFileExport::save(path, "Semikolon [;]", exampleFields).ok);
        QVERIFY(contents(path).startsWith(SemicolonHeader));
    } else if (kind == "missing") {
        QVERIFY(QDir().mkdir(dir.filePath("nowhere")));
        QVERIFY(DataFileExport::save(path, "Semikolon [;]", exampleFields).ok);
        QVERIFY(contents(path).startsWith(SemicolonHeader));
    }
}

void TestDataFileExport::failedWriteIsCutBack()
{
    const QTemporaryDir dir;
    const QString path = dir.filePath("data.txt");
    const QByteArray before = "earlier line\r\n";
    QVERIFY(writeFile(path, before));
    {
        // The first part of the line fits, the rest does not.
        const FileSizeLimit limit(before.size() + 5);
        QVERIFY(limit.isActive());
        const DataFileExport::AppendResult result = DataFileExport::appendLine(path, QString(40, u'x'));
        QVERIFY(!result.ok);
        QCOMPARE(result.reason, QStringLiteral("Die Datei ist zu groß."));
    }
    QCOMPARE(contents(path), before);
    QVERIFY(DataFileExport::appendLine(path, QString(40, u'x')).ok);
    QCOMPARE(contents(path), before + QByteArray(40, 'x') + "\r\n");
}

void TestDataFileExport::headerStaysWhenRecordFails()
{
    const QTemporaryDir dir;
    const QString path = dir.filePath("data.txt");
    {
        const FileSizeLimit limit(SemicolonHeader.size() + 10);
        QVERIFY(limit.isActive());
        QVERIFY(!DataFileExport::save(path, "Semikolon [;]", exampleFields).ok);
    }
    QCOMPARE(contents(path), SemicolonHeader);
    QVERIFY(DataFileExport::save(path, "Semikolon [;]", exampleFields).ok);
    QCOMPARE(contents(path),
             SemicolonHeader + "A1;17;4;964;0,28;27,6;2,8;1,4;256;06.12.2026;14:03:22;MK\r\n");
}

void TestDataFileExport::twoWritersKeepLinesWhole()
{
    const QTemporaryDir dir;
    const QString path = dir.filePath("shared.txt");
    constexpr int LinesEach = 200;
    std::latch start(2);
    std::atomic<int> failures = 0;
    const auto writer = [&](const QString &type) {
        start.arrive_and_wait();
        for (int i = 0; i < LinesEach; ++i) {
            QStringList fields = exampleFields;
            fields[0] = type;
            fields[1] = QString::number(i);
            fields[11] = QString(300, u'v'); // long enough to make torn lines likely
            if (!DataFileExport::save(path, "Semikolon [;]", fields).ok)
                ++failures;
        }
    };
    std::thread first(writer, QStringLiteral("W1"));
    std::thread second(writer, QStringLiteral("W2"));
    first.join();
    second.join();
    QCOMPARE(failures.load(), 0);

    QList<QByteArray> lines = contents(path).split('\n');
    QCOMPARE(lines.takeLast(), QByteArray());
    QCOMPARE(lines.size(), 1 + 2 * LinesEach);
    QCOMPARE(lines.takeFirst() + '\n', SemicolonHeader);
    QSet<QByteArray> expected;
    for (const char *type : {"W1", "W2"}) {
        for (int i = 0; i < LinesEach; ++i)
            expected.insert(QByteArray(type) + ';' + QByteArray::number(i) +
                            ";4;964;0,28;27,6;2,8;1,4;256;06.12.2026;14:03:22;" + QByteArray(300, 'v') +
                            '\r');
    }
    QCOMPARE(QSet<QByteArray>(lines.cbegin(), lines.cend()), expected);
}

void TestDataFileExport::fileLockedByAnotherWriter_data()
{
    QTest::addColumn<int>("releaseAfterMs"); // -1: held until the save has given up
    QTest::newRow("released while the save waits") << 300;
    QTest::newRow("held throughout") << -1;
}

void TestDataFileExport::fileLockedByAnotherWriter()
{
    QFETCH(int, releaseAfterMs);
    const QTemporaryDir dir;
    const QString path = dir.filePath("shared.txt");
    QVERIFY(writeFile(path, SemicolonHeader));

    // Another bench: its own open file description, holding the same lock.
    int other = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_APPEND | O_CLOEXEC);
    QVERIFY(other >= 0);
    struct flock lock = {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    QCOMPARE(::fcntl(other, F_OFD_SETLK, &lock), 0);
    std::thread releaser([&] {
        if (releaseAfterMs >= 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(releaseAfterMs));
            ::close(std::exchange(other, -1));
        }
    });
    const DataFileExport::AppendResult result = DataFileExport::save(path, "Semikolon [;]", exampleFields);
    releaser.join();
    if (other >= 0)
        ::close(other);

    if (releaseAfterMs >= 0) {
        QVERIFY2(result.ok, qPrintable(result.reason));
        QCOMPARE(contents(path),
                 SemicolonHeader + "A1;17;4;964;0,28;27,6;2,8;1,4;256;06.12.2026;14:03:22;MK\r\n");
    } else {
        QVERIFY(!result.ok);
        QCOMPARE(result.reason, QStringLiteral("Die Datei ist von einem anderen Programm gesperrt."));
        QCOMPARE(contents(path), SemicolonHeader);
    }
}

QTEST_GUILESS_MAIN(TestDataFileExport)
#include "tst_datafileexport.moc"
