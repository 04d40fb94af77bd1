#include "SimFrame.h"
#include "app/Main.h"
#include "app/Settings.h"
#include "app/Windows.h"
#include "core/AppState.h"
#include "link/Frame.h"
#include "link/FrameReader.h"
#include "log/MesswerteProtokoll.h"
#include "support/AppTestEnvironment.h"
#include "support/MainWindowBench.h"
#include "support/MessageBoxCatcher.h"
#include "support/SimFixture.h"
#include "support/StoreRows.h"
#include "support/TestFiles.h"
#include "ui/Twips.h"

#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QPushButton>
#include <QRegularExpression>
#include <QSysInfo>
#include <QtTest>

namespace {

const QColor Green(128, 255, 128);
const QColor Red(255, 128, 128);

QColor base(const QLineEdit *edit)
{
    return edit->palette().color(QPalette::Base);
}

// The program as the operator starts it, Com1 pinned to a simulated
// instrument, the data file in a temporary folder, the log window open.
struct Bench : MainWindowBench
{
    explicit Bench(const QString &maschinenTyp = QString(),
                   const QString &trenner = QStringLiteral("Semikolon [;]"),
                   const QString &regionalFormat = QString())
    {
        dataFile = env.path(QStringLiteral("Rotorlage.txt"));
        sim.setExtraSettings(
            QStringLiteral("[Export]\nDataFile=%1\nDataTrenner=%2\nMaschinenTyp=%3\nRegionalformat=%4\n")
                .arg(dataFile, trenner, maschinenTyp, regionalFormat));
        showMain();
        main->activateWindow();
        main->showMesswerteProtokoll();
        window = main->messwerteProtokoll();
    }

    [[nodiscard]] bool ready() const { return sim.isValid() && window && QTest::qWaitForWindowActive(main); }
    [[nodiscard]] QLineEdit *field(int index) const { return window->field(index); }
    [[nodiscard]] QPushButton *button(const char *name) const
    {
        return window->findChild<QPushButton *>(name);
    }

    void read() const { QTest::mouseClick(button("cmdRead"), Qt::LeftButton); }
    // Types into the focused field and presses Enter, as the operator does.
    static void typeAndEnter(const QString &text)
    {
        QWidget *focused = QApplication::focusWidget();
        QTest::keyClicks(focused, text);
        QTest::keyClick(focused, Qt::Key_Return);
    }
    void fill(int index, const QString &text) const { field(index)->setText(text); }

    SimFixture sim;
    QString dataFile;
    MesswerteProtokoll *window = nullptr;
};

} // namespace

class TestMesswerteProtokoll : public QObject
{
    Q_OBJECT
private slots:
    void layout_data();
    void layout();
    void buttonsAndWindow();
    void tabOrder();
    void loadWithoutType();
    void loadWithType();
    void operatorFlow();
    void separators_data();
    void separators();
    void savingNeedsAllOperatorFields_data();
    void savingNeedsAllOperatorFields();
    void failedReadBlocksSave_data();
    void failedReadBlocksSave();
    void failedSave_data();
    void failedSave();
    void resultsStore_data();
    void resultsStore();
    void titleKeepsOldPort();
    void measuredFieldsAreReadOnly();
    void regionalFormat_data();
    void regionalFormat();
    void pastedLineBreakBecomesBlank();
    void demoRead();
    void missingSpeedLeavesFieldEmpty();
    void clickIntoFieldSelectsAll();
    void exitCloses();
};

void TestMesswerteProtokoll::layout_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QRect>("twips");
    QTest::addColumn<QString>("accessibleName");
    const auto row = [](int index, const QString &caption, const QString &unit, QRect twips,
                        const QString &name) {
        QTest::addRow("lblDaten%d", index) << index << caption << unit << twips << name;
    };
    row(0, "Typ:", "", {1440, 720, 5775, 375}, "Typ:");
    row(1, "Nummer:", "", {1440, 1080, 5775, 375}, "Nummer:");
    row(2, "Polzahl:", "", {2520, 1560, 975, 375}, "Polzahl:");
    row(3, "Drehzahl:", "rpm", {2520, 1920, 975, 375}, "Drehzahl:");
    row(4, "Spannungskonstante:", "V/krpm", {2520, 2280, 975, 375}, "Spannungskonstante:");
    row(5, "Spannung:", "V   (Phase-Phase)", {2520, 2640, 975, 375}, "Spannung:");
    row(6, "elektrischer Winkel:", "°", {2520, 3000, 975, 375}, "elektrischer Winkel:");
    row(7, "mechanischer Winkel:", "°", {2520, 3360, 975, 375}, "mechanischer Winkel:");
    row(8, "Geberzähne:", "", {2520, 3720, 975, 375}, "Geberzähne:");
    row(9, "Datum / Zeit:", "", {2520, 4200, 1575, 375}, "Datum / Zeit:");
    row(10, "", "", {4320, 4200, 1575, 375}, "Zeit");
    row(11, "Visum:", "", {2520, 4560, 3375, 375}, "Visum:");
}

void TestMesswerteProtokoll::layout()
{
    QFETCH(int, index);
    QFETCH(QString, caption);
    QFETCH(QString, unit);
    QFETCH(QRect, twips);
    QFETCH(QString, accessibleName);
    AppTestEnvironment env;
    MesswerteProtokoll window;
    QLineEdit *edit = window.field(index);
    QVERIFY(edit);
    QCOMPARE(edit->objectName(), QStringLiteral("lblDaten%1").arg(index));
    QCOMPARE(window.findChild<QLineEdit *>(edit->objectName()), edit);
    QCOMPARE(edit->geometry(), Twips::toPixels(twips.x(), twips.y(), twips.width(), twips.height()));
    QCOMPARE(edit->font().family(), QStringLiteral("Arial"));
    QCOMPARE(edit->font().pointSizeF(), 9.75);
    QVERIFY(edit->font().bold());
    QCOMPARE(edit->accessibleName(), accessibleName);

    auto *label = window.findChild<QLabel *>(QStringLiteral("Label1_%1").arg(index));
    QCOMPARE(label != nullptr, !caption.isEmpty());
    if (label) {
        QCOMPARE(label->text(), caption);
        QCOMPARE(label->geometry(), Twips::toPixels(240, twips.y(), twips.x() - 240, 255));
        QCOMPARE(label->buddy(), edit);
        QVERIFY(label->font().bold());
        QCOMPARE(label->font().pointSizeF(), 9.75);
        // Whatever font stands in for Arial here, the caption is not cut off.
        QVERIFY(label->fontMetrics().horizontalAdvance(label->text()) <= label->width());
    }
    auto *unitLabel = window.findChild<QLabel *>(QStringLiteral("Label3_%1").arg(index));
    QCOMPARE(unitLabel != nullptr, !unit.isEmpty());
    if (unitLabel) {
        QCOMPARE(unitLabel->text(), unit);
        QCOMPARE(unitLabel->x(), Twips::toPixelsX(3600));
        QCOMPARE(unitLabel->y(), Twips::toPixelsY(twips.y()));
        QVERIFY(!unitLabel->font().bold());
        QCOMPARE(unitLabel->font().family(), QStringLiteral("Arial"));
    }
    QCOMPARE(window.field(12), nullptr);
}

void TestMesswerteProtokoll::buttonsAndWindow()
{
    AppTestEnvironment env;
    AppState::instance().setSchnittstelle(QStringLiteral("Com7"));
    MesswerteProtokoll window;
    QCOMPARE(window.windowTitle(), QStringLiteral("Daten lesen von: Com7"));
    QCOMPARE(window.size(), QSize(Twips::toPixelsX(7565), Twips::toPixelsY(6395)));

    auto *title = window.findChild<QLabel *>("Label2");
    QCOMPARE(title->text(), QStringLiteral("Messwerte protokollieren"));
    QCOMPARE(title->font().pointSizeF(), 20.25);
    QVERIFY(title->font().bold());
    QCOMPARE(title->geometry(), Twips::toPixels(120, 120, 7215, 495));

    struct Button
    {
        const char *name;
        QString text;
        QString toolTip;
        QRect twips;
        bool picture;
    };
    const Button buttons[] = {
        {"cmdRead", "Daten lesen", "Daten von Messgerät auslesen", {240, 5160, 2055, 735}, false},
        {"cmdSave", "", "Daten speichern", {4080, 5160, 855, 735}, true},
        {"cmdExit", "", "Exit", {6480, 5160, 855, 735}, true},
    };
    for (const Button &wanted : buttons) {
        auto *button = window.findChild<QPushButton *>(wanted.name);
        QVERIFY2(button, wanted.name);
        QCOMPARE(button->text(), wanted.text);
        QCOMPARE(button->toolTip(), wanted.toolTip);
        QCOMPARE(button->icon().isNull(), !wanted.picture);
        QCOMPARE(button->accessibleName(), wanted.picture ? wanted.toolTip : wanted.text);
        QCOMPARE(button->geometry(), Twips::toPixels(wanted.twips.x(), wanted.twips.y(), wanted.twips.width(),
                                                     wanted.twips.height()));
    }
    QVERIFY(!window.findChild<QPushButton *>("cmdSave")->isEnabled());
}

void TestMesswerteProtokoll::tabOrder()
{
    Bench bench;
    QVERIFY(bench.ready());
    // With save available every stop of the chain can take the focus.
    bench.read();
    bench.fill(1, "17");
    bench.fill(11, "MK");
    bench.fill(0, "A1");
    QVERIFY(bench.button("cmdSave")->isEnabled());

    bench.button("cmdRead")->setFocus();
    QStringList visited;
    for (int i = 0; i < 16; ++i) {
        visited << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    const QStringList expected{"cmdRead",   "lblDaten0", "lblDaten1",  "lblDaten11", "cmdSave",   "cmdExit",
                               "lblDaten2", "lblDaten3", "lblDaten4",  "lblDaten5",  "lblDaten6", "lblDaten7",
                               "lblDaten8", "lblDaten9", "lblDaten10", "cmdRead"};
    QCOMPARE(visited, expected);
}

void TestMesswerteProtokoll::loadWithoutType()
{
    Bench bench;
    QVERIFY(bench.ready());
    const QColor normal = base(bench.field(2));
    for (int i = 0; i < 12; ++i) {
        QCOMPARE(bench.field(i)->text(), QString());
        QCOMPARE(base(bench.field(i)), normal);
    }
    QVERIFY(bench.window->isSaved());
    QVERIFY(!bench.button("cmdSave")->isEnabled());
    // The first stop of the tab order has the focus, as a keyboard user expects.
    QTRY_COMPARE(QApplication::focusWidget(), bench.button("cmdRead"));
    // The first change colours all three operator fields.
    bench.fill(1, "1");
    QCOMPARE(base(bench.field(0)), Red);
    QCOMPARE(base(bench.field(1)), Green);
    QCOMPARE(base(bench.field(11)), Red);
    QCOMPARE(base(bench.field(2)), normal);
    QVERIFY(!bench.button("cmdSave")->isEnabled());
}

void TestMesswerteProtokoll::loadWithType()
{
    Bench bench(QStringLiteral("A1"));
    QVERIFY(bench.ready());
    QCOMPARE(bench.field(0)->text(), QStringLiteral("A1"));
    QCOMPARE(base(bench.field(0)), Green);
    QCOMPARE(base(bench.field(1)), Red);
    QCOMPARE(base(bench.field(11)), Red);
    QVERIFY(base(bench.field(5)) != Red && base(bench.field(5)) != Green);
    QVERIFY(bench.window->isSaved());
    QVERIFY(!bench.button("cmdSave")->isEnabled());
}

void TestMesswerteProtokoll::operatorFlow()
{
    Bench bench(QStringLiteral("B7"));
    QVERIFY(bench.ready());
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    bench.read();
    const QDateTime after = QDateTime::currentDateTime().addSecs(1);
    QVERIFY2(bench.boxes.messages().isEmpty(), qPrintable(bench.sim.simLog().join('\n')));
    QCOMPARE(bench.sim.sim().requestCount(), 1);

    const QStringList measured{" 4 ", " 964 ", " 0,28 ", " 27,6 ", " 2,8 ", " 1,4 ", " 256 "};
    for (int i = 0; i < measured.size(); ++i) {
        QCOMPARE(bench.field(2 + i)->text(), measured[i]);
        // The start shows, sign first, however long the value.
        QCOMPARE(bench.field(2 + i)->cursorPosition(), 0);
    }
    const QDateTime shown = QDateTime::fromString(bench.field(9)->text() + bench.field(10)->text(),
                                                  QStringLiteral(" dd.MM.yyyy HH:mm:ss"));
    QVERIFY2(shown.isValid(), qPrintable(bench.field(9)->text() + '|' + bench.field(10)->text()));
    QVERIFY(shown >= before.addMSecs(-before.time().msec()) && shown <= after);
    QTRY_VERIFY(QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d gültige Messung$"))
                    .match(bench.statusText())
                    .hasMatch());
    QVERIFY(!bench.window->isSaved());

    // The type stays, number and mark wait for the operator.
    QCOMPARE(bench.field(0)->text(), QStringLiteral("B7"));
    QCOMPARE(base(bench.field(0)), Green);
    QCOMPARE(base(bench.field(1)), Red);
    QCOMPARE(base(bench.field(11)), Red);
    QCOMPARE(QApplication::focusWidget(), bench.field(0));
    QCOMPARE(bench.field(0)->selectedText(), QStringLiteral("B7"));
    QVERIFY(!bench.button("cmdSave")->isEnabled());

    Bench::typeAndEnter(QStringLiteral("A1"));
    QCOMPARE(QApplication::focusWidget(), bench.field(1));
    Bench::typeAndEnter(QStringLiteral("17"));
    QCOMPARE(QApplication::focusWidget(), bench.field(11));
    QVERIFY(!bench.button("cmdSave")->isEnabled());
    Bench::typeAndEnter(QStringLiteral("MK"));
    QCOMPARE(base(bench.field(11)), Green);
    QCOMPARE(QApplication::focusWidget(), bench.button("cmdSave"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);

    QVERIFY(bench.boxes.messages().isEmpty());
    const QString expectedLine = QStringLiteral("A1;17;4;964;0,28;27,6;2,8;1,4;256;") +
                                 bench.field(9)->text().trimmed() + ';' + bench.field(10)->text().trimmed() +
                                 QStringLiteral(";MK\r\n");
    QCOMPARE(fileBytes(bench.dataFile), SemicolonHeader + expectedLine.toLatin1());
    QCOMPARE(AppState::instance().maschinenTyp(), QStringLiteral("A1"));
    QVERIFY(bench.window->isSaved());
    QVERIFY(!bench.button("cmdSave")->isEnabled());
    QCOMPARE(QApplication::focusWidget(), bench.button("cmdRead"));
    // The fields stay until the next read; saving again needs a new read.
    QCOMPARE(bench.field(11)->text(), QStringLiteral("MK"));
    bench.fill(1, "18");
    QVERIFY(!bench.button("cmdSave")->isEnabled());

    // The next record, Enter on the focused read button: only the type stays;
    // a second save adds no header.
    QTest::keyClick(bench.button("cmdRead"), Qt::Key_Return);
    QCOMPARE(bench.sim.sim().requestCount(), 2);
    QCOMPARE(bench.field(0)->text(), QStringLiteral("A1"));
    QCOMPARE(bench.field(1)->text(), QString());
    bench.fill(1, "18");
    bench.fill(11, "MK");
    QTest::mouseClick(bench.button("cmdSave"), Qt::LeftButton);
    QCOMPARE(fileBytes(bench.dataFile).count("Typ;"), 1);
    QCOMPARE(fileBytes(bench.dataFile).count("\r\n"), 3);
}

void TestMesswerteProtokoll::separators_data()
{
    QTest::addColumn<QString>("trenner");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QByteArray>("header");
    QTest::addColumn<QByteArray>("lineStart"); // up to the date column
    QTest::addColumn<char>("separator");
    QTest::addColumn<QString>("storedType");
    const QByteArray names = "Typ|Nummer|Polzahl|Drehzahl|Spannungskonstante|Spannung (Phase-Phase)|"
                             "el. Winkel|mech. Winkel|Geberz\xe4hne|Datum|Zeit|Visum\r\n";
    const auto header = [&names](char separator) { return QByteArray(names).replace('|', separator); };
    const QByteArray semicolonRest = ";17;4;964;0,28;27,6;2,8;1,4;256;";
    QTest::newRow("Semikolon") << "Semikolon [;]"
                               << "A1" << header(';') << "A1" + semicolonRest << ';' << "A1";
    QTest::newRow("Tabulator") << "Tabulator"
                               << "A1" << header('\t')
                               << QByteArray("A1\t17\t4\t964\t0,28\t27,6\t2,8\t1,4\t256\t") << '\t' << "A1";
    QTest::newRow("Komma quotes decimal commas")
        << "Komma [,]"
        << "A1" << header(',') << QByteArray("A1,17,4,964,\"0,28\",\"27,6\",\"2,8\",\"1,4\",256,") << ','
        << "A1";
    QTest::newRow("tabulator in lower case") << "tabulator"
                                             << "A1" << header(';') << "A1" + semicolonRest << ';' << "A1";
    QTest::newRow("separator and quotes")
        << "Semikolon [;]"
        << "  A;1 \"x\"  " << header(';') << "\"A;1 \"\"x\"\"\"" + semicolonRest << ';' << "A;1 \"x\"";
    QTest::newRow("blanks go, tabs stay")
        << "Semikolon [;]"
        << " \tA 1\t " << header(';') << "\tA 1\t" + semicolonRest << ';' << "\tA 1\t";
    QTest::newRow("Arabic-Indic digits as 0-9")
        << "Semikolon [;]"
        << "Läufer € \u0661\u0662" << header(';') << "L\xe4ufer \x80 12" + semicolonRest << ';'
        << "Läufer € \u0661\u0662";
    QTest::newRow("10000 characters") << "Semikolon [;]" << QString(10000, 'X') << header(';')
                                      << QByteArray(10000, 'X') + semicolonRest << ';' << QString(10000, 'X');
}

void TestMesswerteProtokoll::separators()
{
    QFETCH(QString, trenner);
    QFETCH(QString, type);
    QFETCH(QByteArray, header);
    QFETCH(QByteArray, lineStart);
    QFETCH(char, separator);
    QFETCH(QString, storedType);
    Bench bench(QString(), trenner);
    QVERIFY(bench.ready());
    bench.read();
    bench.fill(0, type);
    bench.fill(1, "17");
    bench.fill(11, "MK");
    QTest::mouseClick(bench.button("cmdSave"), Qt::LeftButton);
    QCOMPARE(bench.boxes.messages(), QList<UserMessage>{});
    const QByteArray line = lineStart + bench.field(9)->text().trimmed().toLatin1() + separator +
                            bench.field(10)->text().trimmed().toLatin1() + separator + "MK\r\n";
    QCOMPARE(fileBytes(bench.dataFile), header + line);
    QCOMPARE(AppState::instance().maschinenTyp(), storedType);
}

void TestMesswerteProtokoll::savingNeedsAllOperatorFields_data()
{
    QTest::addColumn<int>("emptied");
    QTest::addColumn<QString>("empty"); // counts as no entry
    QTest::addColumn<QString>("text");  // counts as an entry
    QTest::newRow("type") << 0 << ""
                          << "x";
    QTest::newRow("number") << 1 << ""
                            << "x";
    QTest::newRow("mark") << 11 << ""
                          << "x";
    QTest::newRow("type of blanks") << 0 << "   "
                                    << " x ";
    QTest::newRow("number of one blank") << 1 << " "
                                         << "1";
    // White space of any kind is no entry, as for quoran-read.
    QTest::newRow("number of a tab") << 1 << "\t"
                                     << "\t1";
    QTest::newRow("mark of blanks, tabs and no-break spaces") << 11 << " \t\u00A0 "
                                                              << " \tx\u00A0 ";
}

void TestMesswerteProtokoll::savingNeedsAllOperatorFields()
{
    QFETCH(int, emptied);
    QFETCH(QString, empty);
    QFETCH(QString, text);
    Bench bench(QStringLiteral("A1"));
    QVERIFY(bench.ready());
    bench.read();
    bench.fill(1, "17");
    QVERIFY(!bench.button("cmdSave")->isEnabled());
    bench.fill(11, "MK");
    QVERIFY(bench.button("cmdSave")->isEnabled());
    bench.fill(emptied, empty);
    QVERIFY(!bench.button("cmdSave")->isEnabled());
    QCOMPARE(base(bench.field(emptied)), Red);
    bench.fill(emptied, text);
    QVERIFY(bench.button("cmdSave")->isEnabled());
    QCOMPARE(base(bench.field(emptied)), Green);
}

void TestMesswerteProtokoll::failedReadBlocksSave_data()
{
    QTest::addColumn<SimMode>("mode");
    QTest::addColumn<QString>("pin"); // where Com1 points instead of the instrument
    QTest::addColumn<UserMessage>("message");
    QTest::addColumn<QString>("status");
    QTest::newRow("start byte") << SimMode{.badStart = true} << "" << checkMessage(FrameCheck::WrongStartByte)
                                << "Startbyte falsch";
    QTest::newRow("end byte") << SimMode{.badEnd = true} << "" << checkMessage(FrameCheck::WrongEndByte)
                              << "Endbyte falsch";
    QTest::newRow("checksum") << SimMode{.badChecksum = true} << "" << checkMessage(FrameCheck::WrongChecksum)
                              << "Prüfsumme falsch";
    QTest::newRow("silent instrument")
        << SimMode{.silent = true} << "" << noDataMessage() << "keine Daten empfangen";
    QTest::newRow("port gone") << SimMode{} << "/dev/quoran-no-such-device"
                               << withCause(portNotAccessibleMessage(),
                                            QStringLiteral("Gerät nicht gefunden"))
                               << "Com1";
    QTest::newRow("folder as port") << SimMode{} << "/"
                                    << withCause(noDataMessage(), QStringLiteral("Kein serielles Gerät"))
                                    << "Com1 (/): Kein serielles Gerät";
}

void TestMesswerteProtokoll::failedReadBlocksSave()
{
    QFETCH(SimMode, mode);
    QFETCH(QString, pin);
    QFETCH(UserMessage, message);
    QFETCH(QString, status);
    Bench bench(QStringLiteral("A1"));
    QVERIFY(bench.ready());
    bench.read();
    bench.fill(1, "17");
    bench.fill(11, "MK");
    QVERIFY(bench.button("cmdSave")->isEnabled());

    // The operator reads again before saving, and this read fails.
    bench.sim.setMode(mode);
    if (!pin.isEmpty())
        bench.sim.pin(1, pin);
    bench.read();
    QCOMPARE(bench.boxes.messages(), QList<UserMessage>{message});
    QVERIFY2(bench.statusText().contains(status), qPrintable(bench.statusText()));
    QCOMPARE(bench.field(0)->text(), QStringLiteral("A1"));
    for (int i = 1; i < 12; ++i)
        QCOMPARE(bench.field(i)->text(), QString());
    QVERIFY(bench.window->isSaved());

    // Nothing valid is shown, so nothing may be saved however the fields are filled.
    bench.fill(1, "17");
    bench.fill(11, "MK");
    QVERIFY(!bench.button("cmdSave")->isEnabled());
    QVERIFY(!QFile::exists(bench.dataFile));

    // A valid read makes saving possible again.
    bench.sim.setMode(SimMode{});
    bench.sim.pin(1, bench.sim.devicePath());
    bench.read();
    bench.fill(1, "17");
    bench.fill(11, "MK");
    QVERIFY(bench.button("cmdSave")->isEnabled());
}

void TestMesswerteProtokoll::failedSave_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing folder") << "missing"
                                    << "Der Ordner existiert nicht.";
    QTest::newRow("read-only folder") << "readonly"
                                      << "Keine Schreibberechtigung.";
    QTest::newRow("disk full") << "full"
                               << "Der Datenträger ist voll.";
    // Refused before anything is written, never saved as "?".
    QTest::newRow("type the code page cannot hold")
        << "unholdable"
        << "Das Zeichen „İ“ (U+0130) im Feld „Typ“ kann in der Datendatei (Windows-1252) nicht gespeichert "
           "werden.";
}

void TestMesswerteProtokoll::failedSave()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    Bench bench(QStringLiteral("Alt"));
    QVERIFY(bench.ready());
    const QString folder = bench.env.path(QStringLiteral("Daten"));
    QString path = folder + QStringLiteral("/Rotorlage.txt");
    if (kind == QLatin1String("readonly")) {
        QVERIFY(QDir().mkdir(folder));
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        QFile probe(folder + QStringLiteral("/probe"));
        if (probe.open(QIODevice::WriteOnly)) {
            probe.remove();
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            QSKIP("This user writes into read-only folders (root)");
        }
    } else if (kind == QLatin1String("full")) {
        if (!QFileInfo(QStringLiteral("/dev/full")).isWritable())
            QSKIP("No /dev/full here");
        path = QStringLiteral("/dev/full");
    } else if (kind == QLatin1String("unholdable")) {
        path = bench.dataFile;
    }
    AppState::instance().setDataFile(path);

    bench.read();
    bench.fill(0, kind == QLatin1String("unholdable") ? QStringLiteral("İzmir") : QStringLiteral("A1"));
    bench.fill(1, "17");
    bench.fill(11, "MK");
    QTest::mouseClick(bench.button("cmdSave"), Qt::LeftButton);
    const UserMessage expected{QStringLiteral("Fehler: Datenspeicherung"),
                               QStringLiteral("Die Messwerte konnten nicht in die Datei ") + path +
                                   QStringLiteral(" geschrieben werden.\n\n") + reason};
    QCOMPARE(bench.boxes.messages(), QList<UserMessage>{expected});
    QCOMPARE(bench.boxes.caught().first().icon, QMessageBox::Critical);
    QVERIFY(bench.button("cmdSave")->isEnabled());
    QVERIFY(!bench.window->isSaved());
    QCOMPARE(AppState::instance().maschinenTyp(), QStringLiteral("Alt"));
    if (kind != QLatin1String("full"))
        QVERIFY(!QFile::exists(path));
    QCOMPARE(QDir(kind == QLatin1String("readonly") ? folder : bench.env.path("."))
                 .entryList(QDir::Files)
                 .filter(".tmp"),
             QStringList());

    // Once the cause is gone the same record saves, with one header.
    if (kind == QLatin1String("missing"))
        QVERIFY(QDir().mkdir(folder));
    else if (kind == QLatin1String("readonly"))
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    else if (kind == QLatin1String("unholdable"))
        bench.fill(0, "A1");
    else {
        path = bench.dataFile;
        AppState::instance().setDataFile(path);
    }
    QTest::mouseClick(bench.button("cmdSave"), Qt::LeftButton);
    QCOMPARE(bench.boxes.count(), 1);
    const QByteArray bytes = fileBytes(path);
    QVERIFY(bytes.startsWith(SemicolonHeader + "A1;17;4;964;"));
    QCOMPARE(bytes.count("\r\n"), 2);
    QVERIFY(bench.window->isSaved());
    QCOMPARE(AppState::instance().maschinenTyp(), QStringLiteral("A1"));
}

void TestMesswerteProtokoll::resultsStore_data()
{
    QTest::addColumn<bool>("blocked"); // a folder where the store's file belongs
    QTest::newRow("written") << false;
    QTest::newRow("a folder in its place, caught up") << true;
}

void TestMesswerteProtokoll::resultsStore()
{
    QFETCH(bool, blocked);
    Bench bench;
    QVERIFY(bench.ready());
    // A program beside its settings file keeps its store there too.
    const QString store =
        QFileInfo(bench.sim.settingsFilePath()).absolutePath() + QStringLiteral("/quoran.sqlite");
    QCOMPARE(AppState::instance().resultsFile(), store);
    if (blocked)
        QVERIFY(QDir().mkdir(store));
    const auto save = [&bench](const QString &number) {
        bench.read();
        bench.fill(0, "A1");
        bench.fill(1, number);
        bench.fill(11, "MK");
        QTest::mouseClick(bench.button("cmdSave"), Qt::LeftButton);
    };

    save("17");
    // The data file has the record: the save counts whatever the store says.
    QVERIFY(bench.boxes.messages().isEmpty());
    QVERIFY(bench.window->isSaved());
    QCOMPARE(fileBytes(bench.dataFile).count("\r\n"), 2);
    if (blocked) {
        QTRY_VERIFY2(
            bench.statusText().endsWith(QStringLiteral("; Ergebnisdatenbank: ein Ordner an ihrer Stelle")),
            qPrintable(bench.statusText()));
        QVERIFY(QFile::exists(store + QStringLiteral(".pending")));
        QVERIFY(QDir().rmdir(store));
        save("18");
        QVERIFY(!bench.statusText().contains(QStringLiteral("Ergebnisdatenbank")));
        QVERIFY(!QFile::exists(store + QStringLiteral(".pending")));
    }

    // The new record first, then the one caught up.
    QCOMPARE(storeColumn(store, "number"), (blocked ? QStringList{"18", "17"} : QStringList{"17"}));
    const qsizetype rows = blocked ? 2 : 1;
    QCOMPARE(storeColumn(store, "frame"),
             QStringList(rows, QString::fromLatin1(SimFrame::answer(SimMode{}).toHex())));
    QCOMPARE(storeColumn(store, "offset_u || ' ' || offset_v || ' ' || offset_w"),
             QStringList(rows, "1 86 43"));
    QCOMPARE(storeColumn(store, "source || ' ' || bench"),
             QStringList(rows, "Lesen " + QSysInfo::machineHostName()));
    QCOMPARE(storeColumn(store, "data_file"),
             QStringList(rows, QFileInfo(bench.dataFile).absoluteFilePath()));
    // No limits file: nothing judged.
    QCOMPARE(storeColumn(store, "verdict"), QStringList(rows, "null"));
}

void TestMesswerteProtokoll::titleKeepsOldPort()
{
    Bench bench;
    QVERIFY(bench.ready());
    QCOMPARE(bench.window->windowTitle(), QStringLiteral("Daten lesen von: Com1"));
    // The instrument moves to Com2, and Com1 is gone.
    bench.sim.pin(2, bench.sim.devicePath());
    bench.sim.pin(1, QStringLiteral("/dev/quoran-no-such-device"));
    AppState::instance().setSchnittstelle(QStringLiteral("Com2"));

    bench.read();
    QCOMPARE(bench.window->windowTitle(), QStringLiteral("Daten lesen von: Com1"));
    QCOMPARE(bench.boxes.messages(), QList<UserMessage>{});
    QCOMPARE(bench.sim.sim().requestCount(), 1);
    QCOMPARE(bench.field(2)->text(), QStringLiteral(" 4 "));

    // A window opened afresh names the new port.
    bench.window->close();
    bench.main->showMesswerteProtokoll();
    QCOMPARE(bench.main->messwerteProtokoll()->windowTitle(), QStringLiteral("Daten lesen von: Com2"));
}

void TestMesswerteProtokoll::measuredFieldsAreReadOnly()
{
    Bench bench;
    QVERIFY(bench.ready());
    bench.read();
    for (int i = 0; i < 12; ++i) {
        const bool measured = i >= 2 && i <= 10;
        QCOMPARE(bench.field(i)->isReadOnly(), measured);
        QVERIFY(bench.field(i)->isEnabled());
    }
    bench.field(5)->setFocus();
    QTest::keyClicks(bench.field(5), QStringLiteral("99"));
    QTest::keyClick(bench.field(5), Qt::Key_Backspace);
    QCOMPARE(bench.field(5)->text(), QStringLiteral(" 27,6 "));
    // Enter walks on from a measured field as well.
    QTest::keyClick(bench.field(5), Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), bench.field(6));
}

void TestMesswerteProtokoll::regionalFormat_data()
{
    QTest::addColumn<QString>("format"); // [Export] Regionalformat
    QTest::addColumn<QString>("shown");  // the voltage constant in the window
    QTest::addColumn<QString>("saved");  // and in the data file
    QTest::addColumn<QString>("dateFormat");
    QTest::addColumn<QString>("status"); // before the first read
    QTest::newRow("desktop's") << ""
                               << " 0,28 "
                               << "0,28"
                               << "dd.MM.yyyy"
                               << "";
    QTest::newRow("en_US") << "en_US"
                           << " 0.28 "
                           << "0.28"
                           << "M/d/yyyy"
                           << "";
    // The window shows the regional forms; the file gets 0-9 and ".".
    QTest::newRow("fa_IR") << "fa_IR"
                           << " 0\u066B28 "
                           << "0.28"
                           << "yyyy/M/d"
                           << "";
    QTest::newRow("unknown name: desktop's, and a word")
        << "xx_YY"
        << " 0,28 "
        << "0,28"
        << "dd.MM.yyyy"
        << "Regionalformat „xx_YY“ unbekannt – es gelten die Regionseinstellungen des Desktops";
}

void TestMesswerteProtokoll::regionalFormat()
{
    QFETCH(QString, format);
    QFETCH(QString, shown);
    QFETCH(QString, saved);
    QFETCH(QString, dateFormat);
    Bench bench(QStringLiteral("A1"), QStringLiteral("Semikolon [;]"), format);
    QVERIFY(bench.ready());
    QTEST(bench.statusText(), "status");
    bench.read();
    QCOMPARE(bench.field(4)->text(), shown);
    bench.fill(1, "17");
    bench.fill(11, "MK");
    QTest::mouseClick(bench.button("cmdSave"), Qt::LeftButton);
    QCOMPARE(bench.boxes.messages(), QList<UserMessage>{});
    const QList<QByteArray> columns = fileBytes(bench.dataFile).split('\n').value(1).split(';');
    QCOMPARE(columns.value(4), saved.toLatin1());
    QCOMPARE(columns.value(9), QDate::currentDate().toString(dateFormat).toLatin1());
}

void TestMesswerteProtokoll::pastedLineBreakBecomesBlank()
{
    Bench bench;
    QVERIFY(bench.ready());
    // A spreadsheet cell copied with its line end, pasted as the operator does.
    bench.field(0)->setFocus();
    bench.field(0)->insert(QStringLiteral("A1\r\n"));
    QCOMPARE(bench.field(0)->text(), QStringLiteral("A1 "));
}

void TestMesswerteProtokoll::demoRead()
{
    Bench bench;
    QVERIFY(bench.ready());
    AppState::instance().setDemoModus(true);
    // The instrument holds other values and even stays silent: the demo frame wins.
    bench.sim.setMode(SimMode{.silent = true});
    bench.read();
    QCOMPARE(bench.boxes.messages(), QList<UserMessage>{});
    QCOMPARE(bench.sim.sim().requestCount(), 1);
    const QStringList demo{" 4 ", " 964 ", " 0,28 ", " 27,6 ", " 2,8 ", " 1,4 ", " 256 "};
    for (int i = 0; i < demo.size(); ++i)
        QCOMPARE(bench.field(2 + i)->text(), demo[i]);

    AppState::instance().setDemoModus(false);
    bench.sim.setMode(SimMode{.fields = SimFields{.poles = 6, .period = 120, .teeth = 1024}});
    bench.read();
    QCOMPARE(bench.field(2)->text(), QStringLiteral(" 6 "));
    QCOMPARE(bench.field(3)->text(), QStringLiteral(" 2.000 "));
    QCOMPARE(bench.field(8)->text(), QStringLiteral(" 1.024 "));
}

void TestMesswerteProtokoll::missingSpeedLeavesFieldEmpty()
{
    Bench bench(QStringLiteral("A1"));
    QVERIFY(bench.ready());
    bench.sim.setMode(SimMode{.fields = SimFields{.period = 0}});
    bench.read();
    QCOMPARE(bench.boxes.messages(), QList<UserMessage>{});
    QCOMPARE(bench.field(3)->text(), QString());
    QCOMPARE(bench.field(2)->text(), QStringLiteral(" 4 "));
    QCOMPARE(bench.field(4)->text(), QStringLiteral(" 0,28 "));
    QVERIFY(!bench.window->isSaved());
}

void TestMesswerteProtokoll::clickIntoFieldSelectsAll()
{
    Bench bench(QStringLiteral("Typ 4711"));
    QVERIFY(bench.ready());
    bench.button("cmdRead")->setFocus();
    QTest::mouseClick(bench.field(0), Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(QApplication::focusWidget(), bench.field(0));
    QTRY_COMPARE(bench.field(0)->selectedText(), QStringLiteral("Typ 4711"));
    // Typing replaces the whole text.
    QTest::keyClicks(bench.field(0), QStringLiteral("B2"));
    QCOMPARE(bench.field(0)->text(), QStringLiteral("B2"));
    // Leaving a field checks the operator fields (validate).
    bench.field(1)->setPalette(QPalette());
    QTest::keyClick(bench.field(0), Qt::Key_Tab);
    QCOMPARE(base(bench.field(1)), Red);
    QCOMPARE(bench.field(1)->selectedText(), QString());
}

void TestMesswerteProtokoll::exitCloses()
{
    Bench bench;
    QVERIFY(bench.ready());
    QTest::mouseClick(bench.button("cmdExit"), Qt::LeftButton);
    QCOMPARE(bench.main->messwerteProtokoll(), nullptr);
    QCOMPARE(bench.main->mdiArea()->subWindowList().size(), 0);
}

QTEST_MAIN(TestMesswerteProtokoll)
#include "tst_messwerteprotokoll.moc"
