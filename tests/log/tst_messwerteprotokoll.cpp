#include "SimFrame.h"
#include "app/Main.h"
#include "app/Settings.h"
#include "app/Splash.h"
#include "app/Windows.h"
#include "config/Einstellungen.h"
#include "core/AppState.h"
#include "diag/Debuggen.h"
#include "link/Frame.h"
#include "link/FrameReader.h"
#include "log/MesswerteProtokoll.h"
#include "support/AppTestEnvironment.h"
#include "support/MainWindowFixture.h"
#include "support/MessageBoxCatcher.h"
#include "support/SimFixture.h"
#include "support/StoreRows.h"
#include "support/TestFiles.h"
#include "ui/Twips.h"
#include "ui/WindowListBar.h"

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

const UserMessage UnsavedQuestion{
    QStringLiteral("Messung nicht gespeichert"),
    QStringLiteral("Die angezeigte Messung ist noch nicht gespeichert. Verwerfen?")};

QColor base(const QLineEdit *edit)
{
    return edit->palette().color(QPalette::Base);
}

// The program as the operator starts it, Com1 pinned to a simulated
// instrument, the data file in a temporary folder, the log window open.
struct Fixture : MainWindowFixture
{
    explicit Fixture(const QString &maschinenTyp = QString(),
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
    // The number and mark a save needs besides the type.
    void fillNumberAndMark() const
    {
        fill(1, QStringLiteral("17"));
        fill(11, QStringLiteral("MK"));
    }

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
    void unsavedRecordQuestion_data();
    void unsavedRecordQuestion();
    void keys_data();
    void keys();
    void verdictFollowsType();
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
    row(0, "&Typ:", "", {1440, 720, 5775, 375}, "Typ:");
    row(1, "&Nummer:", "", {1440, 1080, 5775, 375}, "Nummer:");
    row(2, "Polzahl:", "", {2520, 1560, 975, 375}, "Polzahl:");
    row(3, "Drehzahl:", "rpm", {2520, 1920, 975, 375}, "Drehzahl:");
    row(4, "Spannungskonstante:", "V/krpm", {2520, 2280, 975, 375}, "Spannungskonstante:");
    row(5, "Spannung:", "V   (Phase-Phase)", {2520, 2640, 975, 375}, "Spannung:");
    row(6, "elektrischer Winkel:", "°", {2520, 3000, 975, 375}, "elektrischer Winkel:");
    row(7, "mechanischer Winkel:", "°", {2520, 3360, 975, 375}, "mechanischer Winkel:");
    row(8, "Geberzähne:", "", {2520, 3720, 975, 375}, "Geberzähne:");
    row(9, "Datum / Zeit:", "", {2520, 4200, 1575, 375}, "Datum / Zeit:");
    row(10, "", "", {4320, 4200, 1575, 375}, "Zeit");
    row(11, "&Visum:", "", {2520, 4560, 3375, 375}, "Visum:");
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
        QString accessibleName;
    };
    const Button buttons[] = {
        {"cmdRead",
         "Daten &lesen",
         "Daten von Messgerät auslesen",
         {240, 5160, 2055, 735},
         false,
         "Daten lesen"},
        {"cmdSave", "", "Daten speichern (Alt+S)", {4080, 5160, 855, 735}, true, "Daten speichern"},
        {"cmdExit", "", "Exit (Alt+E)", {6480, 5160, 855, 735}, true, "Exit"},
    };
    for (const Button &wanted : buttons) {
        auto *button = window.findChild<QPushButton *>(wanted.name);
        QVERIFY2(button, wanted.name);
        QCOMPARE(button->text(), wanted.text);
        QCOMPARE(button->toolTip(), wanted.toolTip);
        QCOMPARE(button->icon().isNull(), !wanted.picture);
        QCOMPARE(button->accessibleName(), wanted.accessibleName);
        QCOMPARE(button->geometry(), Twips::toPixels(wanted.twips.x(), wanted.twips.y(), wanted.twips.width(),
                                                     wanted.twips.height()));
    }
    QVERIFY(!window.findChild<QPushButton *>("cmdSave")->isEnabled());
}

void TestMesswerteProtokoll::tabOrder()
{
    Fixture fixture;
    QVERIFY(fixture.ready());
    // With save available every stop of the chain can take the focus.
    fixture.read();
    fixture.fillNumberAndMark();
    fixture.fill(0, "A1");
    QVERIFY(fixture.button("cmdSave")->isEnabled());

    fixture.button("cmdRead")->setFocus();
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
    Fixture fixture;
    QVERIFY(fixture.ready());
    const QColor normal = base(fixture.field(2));
    for (int i = 0; i < 12; ++i) {
        QCOMPARE(fixture.field(i)->text(), QString());
        QCOMPARE(base(fixture.field(i)), normal);
    }
    QVERIFY(fixture.window->isSaved());
    QVERIFY(!fixture.button("cmdSave")->isEnabled());
    // The first stop of the tab order has the focus, as a keyboard user expects.
    QTRY_COMPARE(QApplication::focusWidget(), fixture.button("cmdRead"));
    // The first change colours all three operator fields.
    fixture.fill(1, "1");
    QCOMPARE(base(fixture.field(0)), Red);
    QCOMPARE(base(fixture.field(1)), Green);
    QCOMPARE(base(fixture.field(11)), Red);
    QCOMPARE(base(fixture.field(2)), normal);
    QVERIFY(!fixture.button("cmdSave")->isEnabled());
}

void TestMesswerteProtokoll::loadWithType()
{
    Fixture fixture(QStringLiteral("A1"));
    QVERIFY(fixture.ready());
    QCOMPARE(fixture.field(0)->text(), QStringLiteral("A1"));
    QCOMPARE(base(fixture.field(0)), Green);
    QCOMPARE(base(fixture.field(1)), Red);
    QCOMPARE(base(fixture.field(11)), Red);
    QVERIFY(base(fixture.field(5)) != Red && base(fixture.field(5)) != Green);
    QVERIFY(fixture.window->isSaved());
    QVERIFY(!fixture.button("cmdSave")->isEnabled());
}

void TestMesswerteProtokoll::operatorFlow()
{
    Fixture fixture(QStringLiteral("B7"));
    QVERIFY(fixture.ready());
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    fixture.read();
    const QDateTime after = QDateTime::currentDateTime().addSecs(1);
    QVERIFY2(fixture.boxes.messages().isEmpty(), qPrintable(fixture.sim.simLog().join('\n')));
    QCOMPARE(fixture.sim.sim().requestCount(), 1);

    const QStringList measured{" 4 ", " 964 ", " 0,28 ", " 27,6 ", " 2,8 ", " 1,4 ", " 256 "};
    for (int i = 0; i < measured.size(); ++i) {
        QCOMPARE(fixture.field(2 + i)->text(), measured[i]);
        // The start shows, sign first, however long the value.
        QCOMPARE(fixture.field(2 + i)->cursorPosition(), 0);
    }
    const QDateTime shown = QDateTime::fromString(fixture.field(9)->text() + fixture.field(10)->text(),
                                                  QStringLiteral(" dd.MM.yyyy HH:mm:ss"));
    QVERIFY2(shown.isValid(), qPrintable(fixture.field(9)->text() + '|' + fixture.field(10)->text()));
    QVERIFY(shown >= before.addMSecs(-before.time().msec()) && shown <= after);
    QTRY_VERIFY(QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d gültige Messung$"))
                    .match(fixture.statusText())
                    .hasMatch());
    QVERIFY(!fixture.window->isSaved());

    // The type stays, number and mark wait for the operator.
    QCOMPARE(fixture.field(0)->text(), QStringLiteral("B7"));
    QCOMPARE(base(fixture.field(0)), Green);
    QCOMPARE(base(fixture.field(1)), Red);
    QCOMPARE(base(fixture.field(11)), Red);
    QCOMPARE(QApplication::focusWidget(), fixture.field(0));
    QCOMPARE(fixture.field(0)->selectedText(), QStringLiteral("B7"));
    QVERIFY(!fixture.button("cmdSave")->isEnabled());

    Fixture::typeAndEnter(QStringLiteral("A1"));
    QCOMPARE(QApplication::focusWidget(), fixture.field(1));
    Fixture::typeAndEnter(QStringLiteral("17"));
    QCOMPARE(QApplication::focusWidget(), fixture.field(11));
    QVERIFY(!fixture.button("cmdSave")->isEnabled());
    Fixture::typeAndEnter(QStringLiteral("MK"));
    QCOMPARE(base(fixture.field(11)), Green);
    QCOMPARE(QApplication::focusWidget(), fixture.button("cmdSave"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);

    QVERIFY(fixture.boxes.messages().isEmpty());
    const QString expectedLine = QStringLiteral("A1;17;4;964;0,28;27,6;2,8;1,4;256;") +
                                 fixture.field(9)->text().trimmed() + ';' +
                                 fixture.field(10)->text().trimmed() + QStringLiteral(";MK\r\n");
    QCOMPARE(fileBytes(fixture.dataFile), SemicolonHeader + expectedLine.toLatin1());
    QCOMPARE(AppState::instance().maschinenTyp(), QStringLiteral("A1"));
    QVERIFY(fixture.window->isSaved());
    QVERIFY(!fixture.button("cmdSave")->isEnabled());
    QCOMPARE(QApplication::focusWidget(), fixture.button("cmdRead"));
    // The status bar says what was saved where.
    QVERIFY2(QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d gespeichert: A1 / 17 → Rotorlage.txt$"))
                 .match(fixture.statusText())
                 .hasMatch(),
             qPrintable(fixture.statusText()));
    // The fields stay until the next read; saving again needs a new read.
    QCOMPARE(fixture.field(11)->text(), QStringLiteral("MK"));
    fixture.fill(1, "18");
    QVERIFY(!fixture.button("cmdSave")->isEnabled());

    // The next record, Enter on the focused read button: only the type stays;
    // a second save adds no header.
    QTest::keyClick(fixture.button("cmdRead"), Qt::Key_Return);
    QCOMPARE(fixture.sim.sim().requestCount(), 2);
    QCOMPARE(fixture.field(0)->text(), QStringLiteral("A1"));
    QCOMPARE(fixture.field(1)->text(), QString());
    fixture.fill(1, "18");
    fixture.fill(11, "MK");
    QTest::mouseClick(fixture.button("cmdSave"), Qt::LeftButton);
    QCOMPARE(fileBytes(fixture.dataFile).count("Typ;"), 1);
    QCOMPARE(fileBytes(fixture.dataFile).count("\r\n"), 3);
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
    Fixture fixture(QString(), trenner);
    QVERIFY(fixture.ready());
    fixture.read();
    fixture.fill(0, type);
    fixture.fillNumberAndMark();
    QTest::mouseClick(fixture.button("cmdSave"), Qt::LeftButton);
    QCOMPARE(fixture.boxes.messages(), QList<UserMessage>{});
    const QByteArray line = lineStart + fixture.field(9)->text().trimmed().toLatin1() + separator +
                            fixture.field(10)->text().trimmed().toLatin1() + separator + "MK\r\n";
    QCOMPARE(fileBytes(fixture.dataFile), header + line);
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
    Fixture fixture(QStringLiteral("A1"));
    QVERIFY(fixture.ready());
    fixture.read();
    fixture.fill(1, "17");
    QVERIFY(!fixture.button("cmdSave")->isEnabled());
    fixture.fill(11, "MK");
    QVERIFY(fixture.button("cmdSave")->isEnabled());
    fixture.fill(emptied, empty);
    QVERIFY(!fixture.button("cmdSave")->isEnabled());
    QCOMPARE(base(fixture.field(emptied)), Red);
    fixture.fill(emptied, text);
    QVERIFY(fixture.button("cmdSave")->isEnabled());
    QCOMPARE(base(fixture.field(emptied)), Green);
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
    Fixture fixture(QStringLiteral("A1"));
    QVERIFY(fixture.ready());
    fixture.read();
    fixture.fillNumberAndMark();
    QVERIFY(fixture.button("cmdSave")->isEnabled());

    // The operator reads again before saving, drops the record, and this read fails.
    fixture.sim.setMode(mode);
    if (!pin.isEmpty())
        fixture.sim.pin(1, pin);
    fixture.boxes.answerWith(QStringLiteral("Verwerfen"));
    fixture.read();
    QCOMPARE(fixture.boxes.messages(), (QList<UserMessage>{UnsavedQuestion, message}));
    QVERIFY2(fixture.statusText().contains(status), qPrintable(fixture.statusText()));
    // The port panel follows what the read found, without waiting for the
    // main window to be activated again.
    auto *portPanel = fixture.main->findChild<QLabel *>("sbPanelPort");
    const QString device = pin.isEmpty() ? fixture.sim.devicePath() : pin;
    QCOMPARE(portPanel->text(),
             QStringLiteral("Com1: ") + device + (QFileInfo::exists(device) ? "" : " (fehlt)"));
    QCOMPARE(fixture.field(0)->text(), QStringLiteral("A1"));
    for (int i = 1; i < 12; ++i)
        QCOMPARE(fixture.field(i)->text(), QString());
    QVERIFY(fixture.window->isSaved());

    // Nothing valid is shown, so nothing may be saved however the fields are filled.
    fixture.fillNumberAndMark();
    QVERIFY(!fixture.button("cmdSave")->isEnabled());
    QVERIFY(!QFile::exists(fixture.dataFile));

    // A valid read makes saving possible again.
    fixture.sim.setMode(SimMode{});
    fixture.sim.pin(1, fixture.sim.devicePath());
    fixture.read();
    QCOMPARE(portPanel->text(), QStringLiteral("Com1: ") + fixture.sim.devicePath());
    fixture.fillNumberAndMark();
    QVERIFY(fixture.button("cmdSave")->isEnabled());
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
    Fixture fixture(QStringLiteral("Alt"));
    QVERIFY(fixture.ready());
    const QString folder = fixture.env.path(QStringLiteral("Daten"));
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
        path = fixture.dataFile;
    }
    AppState::instance().setDataFile(path);

    fixture.read();
    fixture.fill(0, kind == QLatin1String("unholdable") ? QStringLiteral("İzmir") : QStringLiteral("A1"));
    fixture.fillNumberAndMark();
    QTest::mouseClick(fixture.button("cmdSave"), Qt::LeftButton);
    const UserMessage expected{QStringLiteral("Fehler: Datenspeicherung"),
                               QStringLiteral("Die Messwerte konnten nicht in die Datei ") + path +
                                   QStringLiteral(" geschrieben werden.\n\n") + reason};
    QCOMPARE(fixture.boxes.messages(), QList<UserMessage>{expected});
    QCOMPARE(fixture.boxes.caught().first().icon, QMessageBox::Critical);
    QVERIFY(fixture.button("cmdSave")->isEnabled());
    QVERIFY(!fixture.window->isSaved());
    QCOMPARE(AppState::instance().maschinenTyp(), QStringLiteral("Alt"));
    if (kind != QLatin1String("full"))
        QVERIFY(!QFile::exists(path));
    QCOMPARE(QDir(kind == QLatin1String("readonly") ? folder : fixture.env.path("."))
                 .entryList(QDir::Files)
                 .filter(".tmp"),
             QStringList());

    // Once the cause is gone the same record saves, with one header.
    if (kind == QLatin1String("missing"))
        QVERIFY(QDir().mkdir(folder));
    else if (kind == QLatin1String("readonly"))
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    else if (kind == QLatin1String("unholdable"))
        fixture.fill(0, "A1");
    else {
        path = fixture.dataFile;
        AppState::instance().setDataFile(path);
    }
    QTest::mouseClick(fixture.button("cmdSave"), Qt::LeftButton);
    QCOMPARE(fixture.boxes.count(), 1);
    const QByteArray bytes = fileBytes(path);
    QVERIFY(bytes.startsWith(SemicolonHeader + "A1;17;4;964;"));
    QCOMPARE(bytes.count("\r\n"), 2);
    QVERIFY(fixture.window->isSaved());
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
    Fixture fixture;
    QVERIFY(fixture.ready());
    // A program beside its settings file keeps its store there too.
    const QString store =
        QFileInfo(fixture.sim.settingsFilePath()).absolutePath() + QStringLiteral("/quoran.sqlite");
    QCOMPARE(AppState::instance().resultsFile(), store);
    if (blocked)
        QVERIFY(QDir().mkdir(store));
    const auto save = [&fixture](const QString &number) {
        fixture.read();
        fixture.fill(0, "A1");
        fixture.fill(1, number);
        fixture.fill(11, "MK");
        QTest::mouseClick(fixture.button("cmdSave"), Qt::LeftButton);
    };

    save("17");
    // The data file has the record: the save counts whatever the store says.
    QVERIFY(fixture.boxes.messages().isEmpty());
    QVERIFY(fixture.window->isSaved());
    QCOMPARE(fileBytes(fixture.dataFile).count("\r\n"), 2);
    if (blocked) {
        QTRY_VERIFY2(
            fixture.statusText().endsWith(QStringLiteral("; Ergebnisdatenbank: ein Ordner an ihrer Stelle")),
            qPrintable(fixture.statusText()));
        QVERIFY(QFile::exists(store + QStringLiteral(".pending")));
        QVERIFY(QDir().rmdir(store));
        save("18");
        QVERIFY(!fixture.statusText().contains(QStringLiteral("Ergebnisdatenbank")));
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
             QStringList(rows, QFileInfo(fixture.dataFile).absoluteFilePath()));
    // No limits file: nothing judged.
    QCOMPARE(storeColumn(store, "verdict"), QStringList(rows, "null"));
}

void TestMesswerteProtokoll::titleKeepsOldPort()
{
    Fixture fixture;
    QVERIFY(fixture.ready());
    QCOMPARE(fixture.window->windowTitle(), QStringLiteral("Daten lesen von: Com1"));
    // The instrument moves to Com2, and Com1 is gone.
    fixture.sim.pin(2, fixture.sim.devicePath());
    fixture.sim.pin(1, QStringLiteral("/dev/quoran-no-such-device"));
    AppState::instance().setSchnittstelle(QStringLiteral("Com2"));

    fixture.read();
    QCOMPARE(fixture.window->windowTitle(), QStringLiteral("Daten lesen von: Com1"));
    QCOMPARE(fixture.boxes.messages(), QList<UserMessage>{});
    QCOMPARE(fixture.sim.sim().requestCount(), 1);
    QCOMPARE(fixture.field(2)->text(), QStringLiteral(" 4 "));

    // A window opened afresh names the new port.
    fixture.window->close();
    fixture.main->showMesswerteProtokoll();
    QCOMPARE(fixture.main->messwerteProtokoll()->windowTitle(), QStringLiteral("Daten lesen von: Com2"));
}

void TestMesswerteProtokoll::measuredFieldsAreReadOnly()
{
    Fixture fixture;
    QVERIFY(fixture.ready());
    fixture.read();
    for (int i = 0; i < 12; ++i) {
        const bool measured = i >= 2 && i <= 10;
        QCOMPARE(fixture.field(i)->isReadOnly(), measured);
        QVERIFY(fixture.field(i)->isEnabled());
    }
    fixture.field(5)->setFocus();
    QTest::keyClicks(fixture.field(5), QStringLiteral("99"));
    QTest::keyClick(fixture.field(5), Qt::Key_Backspace);
    QCOMPARE(fixture.field(5)->text(), QStringLiteral(" 27,6 "));
    // Enter walks on from a measured field as well.
    QTest::keyClick(fixture.field(5), Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), fixture.field(6));
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
    Fixture fixture(QStringLiteral("A1"), QStringLiteral("Semikolon [;]"), format);
    QVERIFY(fixture.ready());
    QTEST(fixture.statusText(), "status");
    fixture.read();
    QCOMPARE(fixture.field(4)->text(), shown);
    fixture.fillNumberAndMark();
    QTest::mouseClick(fixture.button("cmdSave"), Qt::LeftButton);
    QCOMPARE(fixture.boxes.messages(), QList<UserMessage>{});
    const QList<QByteArray> columns = fileBytes(fixture.dataFile).split('\n').value(1).split(';');
    QCOMPARE(columns.value(4), saved.toLatin1());
    QCOMPARE(columns.value(9), QDate::currentDate().toString(dateFormat).toLatin1());
}

void TestMesswerteProtokoll::pastedLineBreakBecomesBlank()
{
    Fixture fixture;
    QVERIFY(fixture.ready());
    // A spreadsheet cell copied with its line end, pasted as the operator does.
    fixture.field(0)->setFocus();
    fixture.field(0)->insert(QStringLiteral("A1\r\n"));
    QCOMPARE(fixture.field(0)->text(), QStringLiteral("A1 "));
}

void TestMesswerteProtokoll::demoRead()
{
    Fixture fixture;
    QVERIFY(fixture.ready());
    AppState::instance().setDemoModus(true);
    // The instrument holds other values and even stays silent: the demo frame wins.
    fixture.sim.setMode(SimMode{.silent = true});
    fixture.read();
    QCOMPARE(fixture.boxes.messages(), QList<UserMessage>{});
    QCOMPARE(fixture.sim.sim().requestCount(), 1);
    const QStringList demo{" 4 ", " 964 ", " 0,28 ", " 27,6 ", " 2,8 ", " 1,4 ", " 256 "};
    for (int i = 0; i < demo.size(); ++i)
        QCOMPARE(fixture.field(2 + i)->text(), demo[i]);

    AppState::instance().setDemoModus(false);
    fixture.sim.setMode(SimMode{.fields = SimFields{.poles = 6, .period = 120, .teeth = 1024}});
    fixture.read();
    QCOMPARE(fixture.field(2)->text(), QStringLiteral(" 6 "));
    QCOMPARE(fixture.field(3)->text(), QStringLiteral(" 2.000 "));
    QCOMPARE(fixture.field(8)->text(), QStringLiteral(" 1.024 "));
}

void TestMesswerteProtokoll::missingSpeedLeavesFieldEmpty()
{
    Fixture fixture(QStringLiteral("A1"));
    QVERIFY(fixture.ready());
    fixture.sim.setMode(SimMode{.fields = SimFields{.period = 0}});
    fixture.read();
    QCOMPARE(fixture.boxes.messages(), QList<UserMessage>{});
    QCOMPARE(fixture.field(3)->text(), QString());
    QCOMPARE(fixture.field(2)->text(), QStringLiteral(" 4 "));
    QCOMPARE(fixture.field(4)->text(), QStringLiteral(" 0,28 "));
    QVERIFY(!fixture.window->isSaved());
}

void TestMesswerteProtokoll::clickIntoFieldSelectsAll()
{
    Fixture fixture(QStringLiteral("Typ 4711"));
    QVERIFY(fixture.ready());
    fixture.button("cmdRead")->setFocus();
    QTest::mouseClick(fixture.field(0), Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(QApplication::focusWidget(), fixture.field(0));
    QTRY_COMPARE(fixture.field(0)->selectedText(), QStringLiteral("Typ 4711"));
    // Typing replaces the whole text.
    QTest::keyClicks(fixture.field(0), QStringLiteral("B2"));
    QCOMPARE(fixture.field(0)->text(), QStringLiteral("B2"));
    // Leaving a field checks the operator fields (validate).
    fixture.field(1)->setPalette(QPalette());
    QTest::keyClick(fixture.field(0), Qt::Key_Tab);
    QCOMPARE(base(fixture.field(1)), Red);
    QCOMPARE(fixture.field(1)->selectedText(), QString());
}

void TestMesswerteProtokoll::exitCloses()
{
    Fixture fixture;
    QVERIFY(fixture.ready());
    QTest::mouseClick(fixture.button("cmdExit"), Qt::LeftButton);
    QCOMPARE(fixture.main->messwerteProtokoll(), nullptr);
    QCOMPARE(fixture.main->mdiArea()->subWindowList().size(), 0);
}

void TestMesswerteProtokoll::verdictFollowsType()
{
    Fixture fixture(QStringLiteral("A1"));
    QVERIFY(fixture.ready());
    QLabel *verdict = fixture.window->verdictField();
    QVERIFY(verdict);
    // Without a limits file the window is as it was.
    QVERIFY(verdict->isHidden());
    const QString limits = makeFile(fixture.env.path(QStringLiteral("Grenzen.csv")),
                                    "Typ;Wert;Min;Max\r\nA1;Polzahl;4;4\r\nA1;el. Winkel;2,8;4\r\n"
                                    "b2;el. Winkel;3,0;4,0\r\nB2;Offset Phase V;0;50\r\n");
    AppState::instance().setLimitsFile(limits);
    QVERIFY(verdict->isVisible());
    QCOMPARE(verdict->accessibleName(), QStringLiteral("Bewertung"));
    QCOMPARE(verdict->text(), QString());
    const QColor normal = base(fixture.field(6));

    fixture.read();
    QCOMPARE(verdict->text(), QStringLiteral("i.O."));
    QCOMPARE(fixture.field(6)->toolTip(), QStringLiteral("Grenze: 2,8 … 4,0"));
    QCOMPARE(base(fixture.field(6)), normal);

    // The operator types another type: judged again at once.
    fixture.field(0)->setFocus();
    fixture.field(0)->selectAll();
    QTest::keyClicks(fixture.field(0), QStringLiteral(" B2"));
    QCOMPARE(verdict->text(), QStringLiteral("n.i.O."));
    const QColor marked = base(fixture.field(6));
    QVERIFY(marked != normal && marked != Red && marked != Green);
    QCOMPARE(fixture.field(6)->toolTip(), QStringLiteral("Grenze: 3,0 … 4,0"));
    QCOMPARE(base(fixture.field(2)), normal); // no limit on B2's pole count
    QCOMPARE(fixture.field(2)->toolTip(), QString());
    QVERIFY2(verdict->toolTip().contains(QStringLiteral("el. Winkel, Offset Phase V")) &&
                 verdict->toolTip().contains(QStringLiteral("Offset Phase V: 86 (Grenze: 0 … 50)")),
             qPrintable(verdict->toolTip()));
    // A failed machine goes on record too, with its verdict where asked for.
    AppState::instance().setVerdictColumns(true);
    fixture.fillNumberAndMark();
    QTest::mouseClick(fixture.button("cmdSave"), Qt::LeftButton);
    QCOMPARE(fixture.boxes.count(), 0);
    const QByteArray saved = fileBytes(fixture.dataFile);
    QVERIFY2(saved.startsWith(SemicolonHeader.chopped(2) + ";Bewertung;Abweichung\r\n") &&
                 saved.endsWith(";MK;n.i.O.;el. Winkel, Offset Phase V\r\n"),
             saved.constData());
    // The store keeps the verdict and the limits it was judged against.
    QCOMPARE(storeColumn(AppState::instance().resultsFile(),
                         "verdict || ' ' || outside || ' ' || json_extract(limits, '$.\"el. Winkel\"')"),
             QStringList{"fail [\"el. Winkel\",\"Offset Phase V\"] [3,4]"});

    fixture.fill(0, "C3");
    QCOMPARE(verdict->text(), QStringLiteral("keine Grenzwerte"));
    QCOMPARE(base(fixture.field(6)), normal);
    QCOMPARE(fixture.field(6)->toolTip(), QString());

    // A failed read clears the verdict and its marks.
    fixture.fill(0, "B2");
    QCOMPARE(verdict->text(), QStringLiteral("n.i.O."));
    fixture.sim.setMode(SimMode{.badChecksum = true});
    fixture.read();
    QCOMPARE(fixture.boxes.count(), 1);
    QCOMPARE(verdict->text(), QString());
    QCOMPARE(verdict->toolTip(), QString());
    QCOMPARE(base(fixture.field(6)), normal);
    QCOMPARE(fixture.field(6)->toolTip(), QString());

    AppState::instance().setLimitsFile(QString());
    QVERIFY(verdict->isHidden());
}

void TestMesswerteProtokoll::unsavedRecordQuestion_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("answer"); // empty: no question may come
    for (const char *command : {"read again", "Exit", "Datei > Exit"}) {
        for (const char *answer : {"Abbrechen", "Verwerfen"})
            QTest::addRow("%s, %s", command, answer) << command << answer;
    }
    QTest::newRow("session end") << "session end"
                                 << "";
}

void TestMesswerteProtokoll::unsavedRecordQuestion()
{
    QFETCH(QString, command);
    QFETCH(QString, answer);
    Fixture fixture(QStringLiteral("A1"));
    QVERIFY(fixture.ready());
    fixture.read();
    fixture.fillNumberAndMark();
    QVERIFY(fixture.button("cmdSave")->isEnabled());
    const QByteArray ini = fixture.env.readIni();
    fixture.boxes.answerWith(answer);

    if (command == "read again")
        fixture.read();
    else if (command == "Exit")
        QTest::mouseClick(fixture.button("cmdExit"), Qt::LeftButton);
    else if (command == "Datei > Exit")
        fixture.main->findChild<QAction *>("mnuExit")->trigger();
    else
        fixture.main->endSession();

    if (answer.isEmpty()) {
        QCOMPARE(fixture.boxes.count(), 0);
    } else {
        // Asked once, before anything happened, with "Abbrechen" to hand.
        QCOMPARE(fixture.boxes.messages(), QList<UserMessage>{UnsavedQuestion});
        const MessageBoxCatcher::Caught &question = fixture.boxes.caught().constFirst();
        QCOMPARE(question.icon, QMessageBox::Question);
        QCOMPARE(question.buttons.size(), 2);
        QVERIFY(question.buttons.contains("Verwerfen"));
        QCOMPARE(question.defaultButton, QStringLiteral("Abbrechen"));
    }
    const bool mainCloses = command != "read again" && command != "Exit";
    if (answer == "Abbrechen") {
        // Everything as it was: the record, the windows, the bar, the settings file.
        QCOMPARE(fixture.main->messwerteProtokoll(), fixture.window);
        QVERIFY(fixture.main->isVisible());
        QVERIFY(fixture.main->windowListBar()->isSwitchedOn());
        QCOMPARE(fixture.env.readIni(), ini);
        QCOMPARE(fixture.sim.sim().requestCount(), 1);
        QCOMPARE(fixture.field(1)->text(), QStringLiteral("17"));
        QCOMPARE(fixture.field(2)->text(), QStringLiteral(" 4 "));
        QVERIFY(fixture.button("cmdSave")->isEnabled());
    } else if (command == "read again") {
        QCOMPARE(fixture.sim.sim().requestCount(), 2);
        QCOMPARE(fixture.field(1)->text(), QString());
        QVERIFY(!fixture.button("cmdSave")->isEnabled());
    } else {
        QCOMPARE(fixture.main->messwerteProtokoll(), nullptr);
        QCOMPARE(fixture.main->isVisible(), !mainCloses);
        QCOMPARE(!fixture.main->windowListBar()->isSwitchedOn(), mainCloses);
    }
    QVERIFY(!QFile::exists(fixture.dataFile));
}

void TestMesswerteProtokoll::keys_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("focus"); // the control that has the focus
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("text");   // what the key types
    QTest::addColumn<bool>("complete");  // a valid read, number and mark filled
    QTest::addColumn<QString>("effect"); // focus:<name>, typed:<text>, read, saved, closed, menu, nothing
    const QString log = "MesswerteProtokoll";
    const int alt = Qt::AltModifier;
    QTest::newRow("Alt+N") << log << "lblDaten0" << int(Qt::Key_N) << alt << "n" << false
                           << "focus:lblDaten1";
    QTest::newRow("Alt+V") << log << "lblDaten1" << int(Qt::Key_V) << alt << "v" << false
                           << "focus:lblDaten11";
    QTest::newRow("Alt+T") << log << "lblDaten11" << int(Qt::Key_T) << alt << "t" << false
                           << "focus:lblDaten0";
    QTest::newRow("Alt+L reads") << log << "lblDaten1" << int(Qt::Key_L) << alt << "l" << false << "read";
    QTest::newRow("Alt+S saves") << log << "lblDaten11" << int(Qt::Key_S) << alt << "s" << true << "saved";
    QTest::newRow("Alt+E closes") << log << "lblDaten0" << int(Qt::Key_E) << alt << "e" << false << "closed";
    QTest::newRow("Alt+Q types nothing")
        << log << "lblDaten0" << int(Qt::Key_Q) << alt << "q" << false << "nothing";
    QTest::newRow("Alt+Shift+Q types nothing")
        << log << "lblDaten1" << int(Qt::Key_Q) << int(Qt::AltModifier | Qt::ShiftModifier) << "Q" << false
        << "nothing";
    QTest::newRow("AltGr+Q as Windows sends it")
        << log << "lblDaten11" << int(Qt::Key_At) << int(Qt::AltModifier | Qt::ControlModifier) << "@"
        << false << "typed:@";
    QTest::newRow("AltGr+E as X11 sends it")
        << log << "lblDaten11" << int(Qt::Key_E) << int(Qt::GroupSwitchModifier) << "€" << false << "typed:€";
    QTest::newRow("Alt+D opens the menu bar's Datei")
        << log << "lblDaten0" << int(Qt::Key_D) << alt << "d" << false << "menu";
    QTest::newRow("F5 reads") << log << "lblDaten1" << int(Qt::Key_F5) << 0 << "" << false << "read";
    QTest::newRow("Ctrl+S saves") << log << "lblDaten11" << int(Qt::Key_S) << int(Qt::ControlModifier) << ""
                                  << true << "saved";
    QTest::newRow("Ctrl+S without a record to save")
        << log << "lblDaten11" << int(Qt::Key_S) << int(Qt::ControlModifier) << "" << false << "nothing";
    QTest::newRow("inspector: F5 reads") << "Debuggen"
                                         << "cmbPort" << int(Qt::Key_F5) << 0 << "" << false << "read";
    QTest::newRow("inspector: Alt+Z") << "Debuggen"
                                      << "cmdRead" << int(Qt::Key_Z) << alt << "z" << false << "focus:Text2";
    QTest::newRow("inspector: Alt+E closes")
        << "Debuggen"
        << "cmbPort" << int(Qt::Key_E) << alt << "e" << false << "closed";
    QTest::newRow("settings: Alt+T") << "Einstellungen"
                                     << "cmbPort" << int(Qt::Key_T) << alt << "t" << false
                                     << "focus:cmbTrenner";
    QTest::newRow("settings: Ctrl+S is not its save")
        << "Einstellungen"
        << "cmbPort" << int(Qt::Key_S) << int(Qt::ControlModifier) << "" << false << "nothing";
    QTest::newRow("settings: Alt+E closes") << "Einstellungen"
                                            << "cmbPort" << int(Qt::Key_E) << alt << "e" << false << "closed";
    QTest::newRow("Escape closes the About window")
        << "About"
        << "" << int(Qt::Key_Escape) << 0 << "" << false << "closed";
    QTest::newRow("Escape leaves the start window")
        << "start window"
        << "" << int(Qt::Key_Escape) << 0 << "" << false << "nothing";
}

void TestMesswerteProtokoll::keys()
{
    QFETCH(QString, window);
    QFETCH(QString, focus);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, text);
    QFETCH(bool, complete);
    QFETCH(QString, effect);
    Fixture fixture(QStringLiteral("A1"));
    QVERIFY(fixture.ready());
    if (complete) {
        fixture.read();
        fixture.fillNumberAndMark();
    }
    QPointer<QWidget> target = fixture.window;
    if (window == "Debuggen") {
        fixture.main->showDebuggen();
        target = fixture.main->debuggen();
    } else if (window == "Einstellungen") {
        fixture.main->showEinstellungen();
        target = fixture.main->einstellungen();
    } else if (window == "About") {
        fixture.main->showInfo();
        target = Windows::existingSplash();
    } else if (window == "start window") {
        AppState::instance().setMainGestartet(false);
        target = Windows::splash();
    }
    QWidget *focused = focus.isEmpty() ? target.data() : target->findChild<QWidget *>(focus);
    QVERIFY(focused);
    if (!focus.isEmpty()) {
        focused->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), focused);
    }
    auto *edit = qobject_cast<QLineEdit *>(focused);
    const QString before = edit ? edit->text() : QString();
    const int requests = fixture.sim.sim().requestCount();

    QTest::sendKeyEvent(QTest::Click, focused, Qt::Key(key), text, Qt::KeyboardModifiers(modifiers));

    if (effect.startsWith("typed:")) {
        QCOMPARE(edit->text(), before + effect.mid(6));
        return;
    }
    // Apart from AltGr, no key types into a field.
    if (edit && effect != "read" && effect != "closed")
        QCOMPARE(edit->text(), before);
    if (effect.startsWith("focus:")) {
        QCOMPARE(QApplication::focusWidget(), target->findChild<QWidget *>(effect.mid(6)));
    } else if (effect == "read") {
        // A key that stands for a button presses it as a click would, shown briefly.
        QTRY_COMPARE(fixture.sim.sim().requestCount(), requests + 1);
    } else if (effect == "saved") {
        QTRY_VERIFY(fileBytes(fixture.dataFile).endsWith(";MK\r\n"));
    } else if (effect == "closed") {
        QTRY_VERIFY(!target || !target->isVisible());
    } else if (effect == "menu") {
        QTRY_VERIFY(QApplication::activePopupWidget());
        QCOMPARE(QApplication::activePopupWidget()->objectName(), QStringLiteral("mnuDatei"));
        QApplication::activePopupWidget()->close();
    } else {
        if (!focus.isEmpty())
            QCOMPARE(QApplication::focusWidget(), focused);
        QVERIFY(target);
        QCOMPARE(target->isVisible(), window != "start window");
        QCOMPARE(fixture.sim.sim().requestCount(), requests);
        QVERIFY(!QFile::exists(fixture.dataFile));
    }
    AppState::instance().setMainGestartet(true);
}

QTEST_MAIN(TestMesswerteProtokoll)
#include "tst_messwerteprotokoll.moc"
