// The raw frame inspector window against the simulated instrument on a real
// pseudo-terminal.

#include "SimFrame.h"
#include "app/Main.h"
#include "app/Settings.h"
#include "app/Windows.h"
#include "core/AppState.h"
#include "diag/Debuggen.h"
#include "link/Frame.h"
#include "link/FrameReader.h"
#include "support/AppTestEnvironment.h"
#include "support/LayoutCheck.h"
#include "support/MainWindowFixture.h"
#include "support/MessageBoxCatcher.h"
#include "support/SimFixture.h"
#include "ui/Twips.h"

#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTreeWidget>
#include <QtTest>

namespace {

const QString WorkedHex =
    QStringLiteral("02,04,00,F9,00,00,00,1C,00,00,01,14,00,1C,00,0E,01,00,00,01,00,56,00,2B,"
                   "9B,03");
const QString WorkedDecimal =
    QStringLiteral("002,004,000,249,000,000,000,028,000,000,001,020,000,028,000,014,001,"
                   "000,000,001,000,086,000,043,155,003");

QString hexList(const QByteArray &bytes)
{
    QStringList entries;
    for (const char byte : bytes)
        entries << QStringLiteral("%1").arg(quint8(byte), 2, 16, QChar('0')).toUpper();
    return entries.join(',');
}

QString decimalList(const QByteArray &bytes)
{
    QStringList entries;
    for (const char byte : bytes)
        entries << QStringLiteral("%1").arg(quint8(byte), 3, 10, QChar('0'));
    return entries.join(',');
}

// The program with Com1 pinned to a simulated instrument and the inspector open.
struct Fixture : MainWindowFixture
{
    explicit Fixture(const QString &configuredPort = QStringLiteral("Com1"), bool demo = false)
    {
        // Ports other than Com1 that a test chooses are pinned, never the machine's own.
        sim.pin(5, env.path(QStringLiteral("no-such-tty")));
        showMain();
        AppState::instance().setSchnittstelle(configuredPort);
        AppState::instance().setDemoModus(demo);
        main->showDebuggen();
        window = main->debuggen();
    }

    [[nodiscard]] bool ready() const { return sim.isValid() && window && QTest::qWaitForWindowExposed(main); }
    template <class Control> [[nodiscard]] Control *control(const char *name) const
    {
        return window->findChild<Control *>(name);
    }
    [[nodiscard]] QTreeWidget *list() const { return control<QTreeWidget>("ListView1"); }
    [[nodiscard]] QComboBox *ports() const { return control<QComboBox>("cmbPort"); }
    [[nodiscard]] QString hexText() const { return control<QLineEdit>("Text1")->text(); }
    [[nodiscard]] QString decimalText() const { return control<QLineEdit>("Text2")->text(); }
    [[nodiscard]] bool warningShown() const { return !control<QLabel>("Label6")->isHidden(); }
    void read() const { QTest::mouseClick(control<QPushButton>("cmdRead"), Qt::LeftButton); }

    [[nodiscard]] QTreeWidgetItem *row(int zeile) const
    {
        for (int index = 0; index < list()->topLevelItemCount(); ++index) {
            QTreeWidgetItem *item = list()->topLevelItem(index);
            if (item->data(0, Qt::UserRole).toString() == QStringLiteral("Zeile%1").arg(zeile))
                return item;
        }
        return nullptr;
    }

    SimFixture sim;
    Debuggen *window = nullptr;
};

} // namespace

class TestDebuggen : public QObject
{
    Q_OBJECT

private slots:
    void layout_data();
    void layout();
    void windowAndColumns();
    void openedFromMenu();
    void portList();
    void preselection_data();
    void preselection();
    void warningFollowsChosenPort();
    void workedExample_data();
    void workedExample();
    void englishAngles();
    void receptions_data();
    void receptions();
    void faultyFramesAreListed_data();
    void faultyFramesAreListed();
    void portWithoutDevice_data();
    void portWithoutDevice();
    void configuredPortPlaysNoPart();
    void twoReadsLeaveThirteenRows();
    void enterOnFocusedButtonReads();
    void columnWidthsAfterRead();
    void exitCloses();
};

void TestDebuggen::layout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("twips");
    QTest::addColumn<QString>("text");
    QTest::newRow("Label2") << "Label2" << QRect(120, 120, 2415, 495) << "Debuggen";
    QTest::newRow("Label1")
        << "Label1" << QRect(120, 720, 9375, 375)
        << "Auslesen der Schnittstelle und Anzeigen der empfangenen Daten, Byte für Byte...";
    QTest::newRow("ListView1") << "ListView1" << QRect(120, 1200, 9735, 3495) << "";
    QTest::newRow("Label4") << "Label4" << QRect(120, 4800, 375, 255) << "Hex:";
    QTest::newRow("Text1") << "Text1" << QRect(600, 4800, 9255, 285) << "";
    QTest::newRow("Label5") << "Label5" << QRect(120, 5160, 375, 255) << "De&z:";
    QTest::newRow("Text2") << "Text2" << QRect(600, 5160, 9255, 285) << "";
    QTest::newRow("cmdRead") << "cmdRead" << QRect(120, 5640, 2055, 735) << "Daten &lesen";
    QTest::newRow("Label3") << "Label3" << QRect(3480, 5640, 1695, 255) << "&Wahl der Schnittstelle:";
    QTest::newRow("cmbPort") << "cmbPort" << QRect(5160, 5640, 855, 315) << "Com1";
    QTest::newRow("Label6") << "Label6" << QRect(2760, 6000, 4455, 255)
                            << "ACHTUNG: Schnittstelle im System nicht bekannt!!!";
    QTest::newRow("cmdExit") << "cmdExit" << QRect(9000, 5640, 855, 735) << "";
}

void TestDebuggen::layout()
{
    QFETCH(QString, name);
    QFETCH(QRect, twips);
    QFETCH(QString, text);
    Fixture fixture;
    QVERIFY(fixture.ready());
    auto *control = fixture.window->findChild<QWidget *>(name);
    QVERIFY2(control, qPrintable(name));
    const QString problem = placementProblem(control, twips);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QCOMPARE(shownText(control), text);
}

void TestDebuggen::windowAndColumns()
{
    Fixture fixture;
    QVERIFY(fixture.ready());
    QCOMPARE(fixture.window->windowTitle(), QStringLiteral("Debuggen"));
    QCOMPARE(fixture.window->size(), QSize(Twips::toPixelsX(10085), Twips::toPixelsY(6875)));

    // Arial bold at its laid-out size; letters may be narrowed to fit.
    const auto checkFont = [&fixture](const char *name, qreal laidOut) {
        const QFont font = fixture.control<QLabel>(name)->font();
        QCOMPARE(font.family(), QStringLiteral("Arial"));
        QVERIFY(font.bold());
        QCOMPARE(font.pointSizeF(), laidOut);
    };
    checkFont("Label2", 20.25);
    checkFont("Label1", 9.75);
    checkFont("Label6", 8.25);

    QTreeWidget *list = fixture.list();
    QVERIFY(!list->rootIsDecorated());
    QVERIFY(!list->isHeaderHidden());
    QCOMPARE(list->topLevelItemCount(), 0);
    const QStringList titles{"Datenfeld", "Bytes", "Hex", "Dez", "Beschreibung"};
    QCOMPARE(list->columnCount(), 5);
    for (int column = 0; column < 5; ++column) {
        QCOMPARE(list->headerItem()->text(column), titles.at(column));
        const Qt::Alignment horizontal =
            Qt::Alignment(list->headerItem()->textAlignment(column)) & Qt::AlignHorizontal_Mask;
        QCOMPARE(horizontal, column == 1 ? Qt::AlignHCenter : Qt::AlignLeft);
    }

    auto *text1 = fixture.control<QLineEdit>("Text1");
    auto *text2 = fixture.control<QLineEdit>("Text2");
    QVERIFY(text1->isReadOnly());
    QVERIFY(text2->isReadOnly());
    QCOMPARE(text1->accessibleName(), QStringLiteral("Hex:"));
    QCOMPARE(text2->accessibleName(), QStringLiteral("Dez:"));
    QCOMPARE(fixture.control<QLabel>("Label4")->buddy(), text1);
    QCOMPARE(fixture.ports()->accessibleName(), QStringLiteral("Wahl der Schnittstelle:"));
    QVERIFY(!fixture.ports()->isEditable());
    auto *exit = fixture.control<QPushButton>("cmdExit");
    QCOMPARE(exit->toolTip(), QStringLiteral("Exit (Alt+E)"));
    QCOMPARE(exit->accessibleName(), QStringLiteral("Exit"));
    QVERIFY(!exit->icon().pixmap(QSize(32, 32)).isNull());
}

void TestDebuggen::openedFromMenu()
{
    Fixture fixture;
    QVERIFY(fixture.ready());
    fixture.window->close();
    QVERIFY(!fixture.main->debuggen());
    auto *item = fixture.main->findChild<QAction *>("mnuDebuggen");
    QVERIFY(item);
    item->trigger();
    Debuggen *first = fixture.main->debuggen();
    QVERIFY(first);
    item->trigger();
    QCOMPARE(fixture.main->debuggen(), first);
}

void TestDebuggen::portList()
{
    Fixture fixture;
    QVERIFY(fixture.ready());
    QComboBox *ports = fixture.ports();
    QCOMPARE(ports->count(), 16);
    for (int index = 0; index < 16; ++index)
        QCOMPARE(ports->itemText(index), QStringLiteral("Com%1").arg(index + 1));
    QCOMPARE(ports->itemData(0, Qt::ToolTipRole).toString(), fixture.sim.devicePath());
}

void TestDebuggen::preselection_data()
{
    QTest::addColumn<QString>("configured");
    QTest::addColumn<int>("selected");
    QTest::newRow("COM3") << "COM3" << 2;
    QTest::newRow("com16") << "com16" << 15;
    QTest::newRow("Com1") << "Com1" << 0;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("unknown name") << "Com99" << 0;
    QTest::newRow("no number") << "Com" << 0;
}

void TestDebuggen::preselection()
{
    QFETCH(QString, configured);
    QFETCH(int, selected);
    Fixture fixture(configured);
    QVERIFY(fixture.ready());
    QCOMPARE(fixture.ports()->currentIndex(), selected);
}

void TestDebuggen::warningFollowsChosenPort()
{
    Fixture fixture;
    // A plain file is no serial device.
    const QString plainFile = fixture.env.path(QStringLiteral("plain-file"));
    QFile file(plainFile);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    fixture.sim.pin(6, plainFile);
    QVERIFY(fixture.ready());

    QVERIFY(!fixture.warningShown()); // Com1, the simulator
    fixture.ports()->setCurrentIndex(4);
    QVERIFY(fixture.warningShown()); // Com5, pinned to nothing
    fixture.ports()->setCurrentIndex(0);
    QVERIFY(!fixture.warningShown());
    fixture.ports()->setCurrentIndex(5);
    QVERIFY(fixture.warningShown()); // Com6, a plain file
    QVERIFY(fixture.control<QLabel>("Label6")->isVisible());

    // The port appears while chosen: choosing it again looks again.
    fixture.sim.pin(6, fixture.sim.devicePath());
    QVERIFY(fixture.warningShown());
    emit fixture.ports()->activated(5);
    QVERIFY(!fixture.warningShown());
}

void TestDebuggen::workedExample_data()
{
    QTest::addColumn<bool>("demo");
    QTest::addColumn<SimMode>("mode");
    QTest::newRow("demo mode, instrument answers garbage")
        << true << SimMode{.raw = QByteArray("\x55\xAA\x01", 3)};
    QTest::newRow("demo mode, silent instrument") << true << SimMode{.silent = true};
    QTest::newRow("instrument sends the demo values") << false << SimMode{};
}

void TestDebuggen::workedExample()
{
    QFETCH(bool, demo);
    QFETCH(SimMode, mode);
    Fixture fixture(QStringLiteral("Com1"), demo);
    fixture.sim.setMode(mode);
    QVERIFY(fixture.ready());
    fixture.read();

    QVERIFY2(fixture.boxes.messages().isEmpty(), qPrintable(fixture.boxes.messages().value(0).text));
    QCOMPARE(fixture.sim.sim().requestCount(), 1);
    QCOMPARE(fixture.hexText(), WorkedHex);
    QCOMPARE(fixture.decimalText(), WorkedDecimal);

    const QStringList hex{"&H02",   "&H04",   "&H00F9", "&H0000001C", "&H00000114", "&H001C", "&H000E",
                          "&H0100", "&H0001", "&H0056", "&H002B",     "&H9B",       "&H03"};
    const QStringList dez{"2", "4", "249", "28", "276", "2,8", "1,4", "256", "1", "86", "43", "155", "3"};
    QCOMPARE(fixture.list()->topLevelItemCount(), 13);
    for (int zeile = 1; zeile <= 13; ++zeile) {
        QTreeWidgetItem *item = fixture.row(zeile);
        QVERIFY2(item, qPrintable(QString::number(zeile)));
        QCOMPARE(fixture.list()->indexOfTopLevelItem(item), zeile - 1);
        QCOMPARE(item->text(2), hex.at(zeile - 1));
        QCOMPARE(item->text(3), dez.at(zeile - 1));
    }
    QCOMPARE(fixture.row(12)->text(0), QStringLiteral("Checksumme"));
    QCOMPARE(fixture.row(12)->text(4),
             QStringLiteral("###, XOR-Verknüpfung aller Datenbytes (ohne STX, CRC, ETX)"));

    static const QRegularExpression status(
        QStringLiteral("^\\d\\d:\\d\\d:\\d\\d Debuggen: 26 Bytes empfangen$"));
    QTRY_VERIFY2(status.match(fixture.statusText()).hasMatch(), qPrintable(fixture.statusText()));
}

void TestDebuggen::englishAngles()
{
    Fixture fixture(QStringLiteral("Com1"), true);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QVERIFY(fixture.ready());
    fixture.read();
    QCOMPARE(fixture.row(6)->text(3), QStringLiteral("2.8"));
    QCOMPARE(fixture.row(7)->text(3), QStringLiteral("1.4"));
    QCOMPARE(fixture.row(8)->text(3), QStringLiteral("256"));
}

void TestDebuggen::receptions_data()
{
    QTest::addColumn<SimMode>("mode");
    QTest::addColumn<int>("rows");
    QTest::newRow("1 byte") << SimMode{.raw = QByteArray("\x02", 1)} << 1;
    QTest::newRow("13 bytes") << SimMode{.shortLength = 13} << 6;
    QTest::newRow("25 bytes") << SimMode{.shortLength = 25} << 12;
    QTest::newRow("26 bytes") << SimMode{} << 13;
    QTest::newRow("27 bytes") << SimMode{.longLength = 27} << 13;
    QTest::newRow("100 bytes") << SimMode{.longLength = 100} << 13;
    QTest::newRow("150 bytes") << SimMode{.longLength = 150} << 13;
}

void TestDebuggen::receptions()
{
    QFETCH(SimMode, mode);
    QFETCH(int, rows);
    Fixture fixture;
    fixture.sim.setMode(mode);
    QVERIFY(fixture.ready());
    fixture.read();

    QVERIFY(fixture.boxes.messages().isEmpty());
    const QByteArray sent = SimFrame::answer(mode);
    const QByteArray kept = sent.left(100);
    QCOMPARE(fixture.hexText(), hexList(kept));
    QCOMPARE(fixture.decimalText(), decimalList(kept));
    QCOMPARE(fixture.list()->topLevelItemCount(), rows);
    QVERIFY(fixture.row(rows));
    QVERIFY(!fixture.row(rows + 1));
    if (rows == 6) {
        // Only the high byte of the electrical angle came.
        QCOMPARE(fixture.row(6)->text(2), QStringLiteral("&H") + hexList(sent.mid(12, 1)));
        QCOMPARE(fixture.row(6)->text(3), QStringLiteral("0"));
    }
    if (rows == 13)
        QCOMPARE(fixture.row(13)->text(2), QStringLiteral("&H03"));
    QTRY_VERIFY2(fixture.statusText().endsWith(QStringLiteral("Debuggen: %1 %2 empfangen")
                                                   .arg(kept.size())
                                                   .arg(kept.size() == 1 ? "Byte" : "Bytes")),
                 qPrintable(fixture.statusText()));
}

void TestDebuggen::faultyFramesAreListed_data()
{
    QTest::addColumn<SimMode>("mode");
    QTest::addColumn<int>("zeile");
    QTest::addColumn<QString>("hex");
    QTest::addColumn<QString>("dez");
    QTest::newRow("wrong start byte") << SimMode{.badStart = true} << 1 << "&H55"
                                      << "85";
    QTest::newRow("wrong end byte") << SimMode{.badEnd = true} << 13 << "&H55"
                                    << "85";
    QTest::newRow("wrong checksum") << SimMode{.badChecksum = true} << 12 << "&H64"
                                    << "100";
    SimMode extremes;
    extremes.fields.period = 0xFFFF;
    extremes.fields.teeth = -1;
    extremes.fields.elAngle = -1;
    extremes.fields.mechAngle = std::int16_t(0x8000);
    QTest::newRow("period FFFF") << extremes << 3 << "&HFFFF"
                                 << "65535";
    QTest::newRow("teeth FFFF") << extremes << 8 << "&HFFFF"
                                << "-1";
    QTest::newRow("angle FFFF") << extremes << 6 << "&HFFFF"
                                << "-0,1";
    QTest::newRow("angle 8000") << extremes << 7 << "&H8000"
                                << "-3276,8";
    SimMode highest;
    highest.fields.elAngle = 0x7FFF;
    QTest::newRow("angle 7FFF") << highest << 6 << "&H7FFF"
                                << "3276,7";
}

void TestDebuggen::faultyFramesAreListed()
{
    QFETCH(SimMode, mode);
    QFETCH(int, zeile);
    QFETCH(QString, hex);
    QFETCH(QString, dez);
    Fixture fixture;
    fixture.sim.setMode(mode);
    QVERIFY(fixture.ready());
    fixture.read();
    // Nothing is checked, so nothing is reported.
    QCOMPARE(fixture.boxes.count(), 0);
    QCOMPARE(fixture.list()->topLevelItemCount(), 13);
    QCOMPARE(fixture.row(zeile)->text(2), hex);
    QCOMPARE(fixture.row(zeile)->text(3), dez);
    QCOMPARE(fixture.hexText(), hexList(SimFrame::answer(mode)));
}

void TestDebuggen::portWithoutDevice_data()
{
    QTest::addColumn<bool>("demo");
    QTest::newRow("measuring") << false;
    QTest::newRow("demo mode") << true;
}

void TestDebuggen::portWithoutDevice()
{
    QFETCH(bool, demo);
    Fixture fixture(QStringLiteral("Com1"), demo);
    QVERIFY(fixture.ready());
    fixture.read();
    QCOMPARE(fixture.list()->topLevelItemCount(), 13);

    fixture.ports()->setCurrentIndex(4); // Com5, pinned to a missing device
    fixture.read();
    QCOMPARE(fixture.boxes.messages(), QList<UserMessage>{withCause(portNotAccessibleMessage(),
                                                                    QStringLiteral("Gerät nicht gefunden"))});
    QCOMPARE(fixture.boxes.caught().constFirst().icon, QMessageBox::Critical);
    QCOMPARE(fixture.list()->topLevelItemCount(), 0);
    QCOMPARE(fixture.hexText(), QString());
    QCOMPARE(fixture.decimalText(), QString());
    QVERIFY2(fixture.statusText().contains(QStringLiteral("Debuggen: Com5")),
             qPrintable(fixture.statusText()));
    QCOMPARE(fixture.sim.sim().requestCount(), 1);
}

void TestDebuggen::configuredPortPlaysNoPart()
{
    // The configured port has no device; the chosen entry decides.
    Fixture fixture(QStringLiteral("Com5"));
    QVERIFY(fixture.ready());
    QCOMPARE(fixture.ports()->currentIndex(), 4);
    QVERIFY(fixture.warningShown());
    fixture.ports()->setCurrentIndex(0);
    fixture.read();
    QCOMPARE(fixture.boxes.count(), 0);
    QCOMPARE(fixture.hexText(), WorkedHex);
    QCOMPARE(AppState::instance().schnittstelle(), QStringLiteral("Com5"));
}

void TestDebuggen::enterOnFocusedButtonReads()
{
    Fixture fixture;
    QVERIFY(fixture.ready());
    auto *read = fixture.control<QPushButton>("cmdRead");
    read->setFocus();
    QTest::keyClick(read, Qt::Key_Return);
    QCOMPARE(fixture.list()->topLevelItemCount(), 13);
}

void TestDebuggen::twoReadsLeaveThirteenRows()
{
    Fixture fixture;
    QVERIFY(fixture.ready());
    fixture.read();
    fixture.sim.setMode(SimMode{.badStart = true});
    fixture.read();
    QCOMPARE(fixture.list()->topLevelItemCount(), 13);
    QCOMPARE(fixture.row(1)->text(2), QStringLiteral("&H55"));
    QCOMPARE(fixture.hexText().count(','), 25);

    // A read without data empties what the one before showed.
    fixture.sim.setMode(SimMode{.silent = true});
    fixture.read();
    QCOMPARE(fixture.boxes.messages(), QList<UserMessage>{noDataMessage()});
    QCOMPARE(fixture.list()->topLevelItemCount(), 0);
    QCOMPARE(fixture.hexText(), QString());
    QCOMPARE(fixture.decimalText(), QString());
}

void TestDebuggen::columnWidthsAfterRead()
{
    Fixture fixture(QStringLiteral("Com1"), true);
    QVERIFY(fixture.ready());
    fixture.read();
    QTreeWidget *list = fixture.list();
    QHeaderView *header = list->header();
    const QFontMetrics metrics = list->fontMetrics();
    for (int column = 0; column < 5; ++column) {
        int widest = header->fontMetrics().horizontalAdvance(list->headerItem()->text(column));
        for (int index = 0; index < list->topLevelItemCount(); ++index)
            widest = std::max(widest, metrics.horizontalAdvance(list->topLevelItem(index)->text(column)));
        QVERIFY2(header->sectionSize(column) >= widest, qPrintable(QString::number(column)));
    }
    const int longest = metrics.horizontalAdvance(
        QStringLiteral("###, XOR-Verknüpfung aller Datenbytes (ohne STX, CRC, ETX)"));
    QVERIFY(header->sectionSize(4) >= longest);
    // Stretched to the right edge, or wider than the list and scrolled.
    QVERIFY(header->sectionPosition(4) + header->sectionSize(4) >= list->viewport()->width());
}

void TestDebuggen::exitCloses()
{
    Fixture fixture;
    QVERIFY(fixture.ready());
    QTest::mouseClick(fixture.control<QPushButton>("cmdExit"), Qt::LeftButton);
    QVERIFY(!fixture.main->debuggen());
    QCOMPARE(fixture.sim.sim().requestCount(), 0);
}

QTEST_MAIN(TestDebuggen)
#include "tst_debuggen.moc"
