// The settings window with real pseudo-terminals as the known ports, a real
// settings file in a temporary folder and the real file chooser.

#include "app/Main.h"
#include "app/Settings.h"
#include "app/Windows.h"
#include "config/Einstellungen.h"
#include "core/AppState.h"
#include "log/MesswerteProtokoll.h"
#include "support/AppTestEnvironment.h"
#include "support/LayoutCheck.h"
#include "support/MainWindowFixture.h"
#include "support/MessageBoxCatcher.h"
#include "support/PseudoTerminal.h"
#include "support/SimFixture.h"
#include "support/TestFiles.h"
#include "ui/Twips.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QtTest>
#include <functional>

namespace {

// Runs an action on the file chooser once it is the modal window, as an
// operator would act on it.
class ChooserDriver : public QObject
{
public:
    explicit ChooserDriver(std::function<void(QFileDialog *)> action) : m_action(std::move(action))
    {
        m_timer.setInterval(10);
        connect(&m_timer, &QTimer::timeout, this, &ChooserDriver::poll);
        m_timer.start();
    }
    [[nodiscard]] bool ran() const { return m_ran; }

    // Types a path into the chooser's file name box.
    static void type(QFileDialog *chooser, const QString &path)
    {
        auto *edit = chooser->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        QVERIFY(edit);
        edit->setText(path);
    }

    // Presses the chooser's Open button.
    static void open(QFileDialog *chooser)
    {
        auto *buttons = chooser->findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"));
        QVERIFY(buttons);
        QPushButton *openButton = buttons->button(QDialogButtonBox::Open);
        QVERIFY(openButton && openButton->isEnabled());
        openButton->click();
    }

private:
    void poll()
    {
        auto *chooser = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (m_ran || !chooser || !chooser->isVisible())
            return;
        m_ran = true;
        m_timer.stop();
        m_action(chooser);
    }

    std::function<void(QFileDialog *)> m_action;
    QTimer m_timer;
    bool m_ran = false;
};

// Com2 and Com3 are real pseudo-terminals, Com1 and Com4 name missing
// devices, Com5 is a terminal the window never offers.
struct Fixture : MainWindowFixture
{
    explicit Fixture(const QString &port = QStringLiteral("Com2"),
                     const QString &trenner = QStringLiteral("Semikolon [;]"), bool anyKnown = true)
    {
        dataFile = env.path(QStringLiteral("Rotorlage.txt"));
        const QString missing = env.path(QStringLiteral("no-such-tty"));
        const QString text = QStringLiteral("[Rotorlage]\r\nSchnittstelle=%1\r\n"
                                            "[Export]\r\nDataFile=%2\r\nDataTrenner=%3\r\n"
                                            "[Schnittstellen]\r\nCom1=%4\r\nCom2=%5\r\nCom3=%6\r\nCom4=%4\r\n"
                                            "Com5=%7\r\n")
                                 .arg(port, dataFile, trenner, missing, anyKnown ? com2.path() : missing,
                                      anyKnown ? com3.path() : missing, com5.path());
        env.writeIni(text.toLatin1());
        showMain();
        main->showEinstellungen();
        window = main->einstellungen();
    }

    [[nodiscard]] bool ready() const
    {
        return !com2.path().isEmpty() && window && QTest::qWaitForWindowExposed(main);
    }
    template <class Control> [[nodiscard]] Control *control(const char *name) const
    {
        return window->findChild<Control *>(name);
    }
    [[nodiscard]] QComboBox *ports() const { return control<QComboBox>("cmbPort"); }
    [[nodiscard]] QComboBox *separators() const { return control<QComboBox>("cmbTrenner"); }
    [[nodiscard]] QLineEdit *fileName() const { return control<QLineEdit>("FileName"); }
    void click(const char *name) const { QTest::mouseClick(control<QPushButton>(name), Qt::LeftButton); }
    [[nodiscard]] QString ini() const { return QString::fromLatin1(env.readIni()); }

    // Chooses a file through cmdFile and the real chooser.
    [[nodiscard]] bool chooseFile(const QString &path) const
    {
        ChooserDriver driver([&path](QFileDialog *chooser) {
            ChooserDriver::type(chooser, path);
            ChooserDriver::open(chooser);
        });
        click("cmdFile");
        return driver.ran();
    }

    PseudoTerminal com2;
    PseudoTerminal com3;
    PseudoTerminal com5;
    QString dataFile;
    Einstellungen *window = nullptr;
};

} // namespace

class TestEinstellungen : public QObject
{
    Q_OBJECT

private slots:
    void layout_data();
    void layout();
    void windowAndControls();
    void openedFromMenuAndToolBar();
    void portEntries();
    void noKnownPorts();
    void preselection_data();
    void preselection();
    void saveWritesSettingsFile();
    void saveWithoutSelectionKeepsOldValues();
    void exitDropsChoicesButKeepsFile();
    void chooserSetUp_data();
    void chooserSetUp();
    void chooserCancelKeepsPath();
    void chooseNewFile();
    void cancelKeepsFile();
    void missingFolderIsRefused();
    void fileNameCannotBeTyped();
    void limitsFileChosenAndCleared();
    void tabulatorReachesDataFile();
    void chosenFolderRemovedBeforeSave();
};

void TestEinstellungen::layout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("twips");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("toolTip");
    QTest::newRow("Label2") << "Label2" << QRect(120, 120, 2895, 495) << "Einstellungen"
                            << "";
    QTest::newRow("Label3") << "Label3" << QRect(120, 840, 1695, 255) << "&Wahl der Schnittstelle:"
                            << "";
    QTest::newRow("cmbPort") << "cmbPort" << QRect(1800, 840, 855, 315) << "Com2"
                             << "Schnittstelle des Messgeräts";
    QTest::newRow("Label1") << "Label1" << QRect(120, 1680, 1695, 255) << "Date&i zum speichern:"
                            << "";
    QTest::newRow("FileName") << "FileName" << QRect(1800, 1680, 4095, 285) << "<data file>"
                              << "<data file>";
    QTest::newRow("cmdFile") << "cmdFile" << QRect(6000, 1680, 615, 375) << ""
                             << "Datei wählen (Alt+L)";
    QTest::newRow("Label5") << "Label5" << QRect(120, 2100, 1695, 255) << "&Grenzwertdatei:"
                            << "";
    QTest::newRow("LimitsFileName") << "LimitsFileName" << QRect(1800, 2100, 3495, 285) << ""
                                    << "";
    QTest::newRow("cmdLimitsFile") << "cmdLimitsFile" << QRect(6000, 2100, 615, 375) << ""
                                   << "Grenzwertdatei wählen (Alt+G)";
    QTest::newRow("cmdLimitsClear") << "cmdLimitsClear" << QRect(5340, 2100, 615, 375) << ""
                                    << "Keine Grenzwertdatei verwenden (Alt+K)";
    QTest::newRow("Label4") << "Label4" << QRect(120, 2520, 1695, 255) << "&Trennzeichen:"
                            << "";
    QTest::newRow("cmbTrenner") << "cmbTrenner" << QRect(1800, 2520, 1575, 315) << "Semikolon [;]"
                                << "Trennzeichen zwischen den Spalten der Datendatei";
    QTest::newRow("cmdSave") << "cmdSave" << QRect(120, 3360, 855, 735) << ""
                             << "Einstellungen speichern (Alt+S)";
    QTest::newRow("cmdExit") << "cmdExit" << QRect(5760, 3360, 855, 735) << ""
                             << "Exit (Alt+E)";
}

void TestEinstellungen::layout()
{
    QFETCH(QString, name);
    QFETCH(QRect, twips);
    QFETCH(QString, text);
    QFETCH(QString, toolTip);
    Fixture fixture;
    QVERIFY(fixture.ready());
    text.replace("<data file>", fixture.dataFile);
    toolTip.replace("<data file>", fixture.dataFile);
    auto *control = fixture.window->findChild<QWidget *>(name);
    QVERIFY2(control, qPrintable(name));
    const QString problem = placementProblem(control, twips);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QCOMPARE(control->toolTip(), toolTip);
    QCOMPARE(shownText(control), text);
    if (auto *button = qobject_cast<QPushButton *>(control)) {
        QVERIFY(!button->icon().pixmap(QSize(32, 32)).isNull());
        // The name without the key the tool tip adds.
        QCOMPARE(button->accessibleName(), toolTip.remove(QRegularExpression(" \\(Alt\\+.\\)$")));
    }
}

void TestEinstellungen::windowAndControls()
{
    Fixture fixture;
    QVERIFY(fixture.ready());
    QCOMPARE(fixture.window->windowTitle(), QStringLiteral("Einstellungen"));
    QCOMPARE(fixture.window->size(), QSize(Twips::toPixelsX(6845), Twips::toPixelsY(4595)));
    // Arial bold 20.25 pt; letters may be narrowed to fit.
    const QFont title = fixture.control<QLabel>("Label2")->font();
    QCOMPARE(title.family(), QStringLiteral("Arial"));
    QVERIFY(title.bold());
    QCOMPARE(title.pointSizeF(), 20.25);

    QCOMPARE(fixture.ports()->accessibleName(), QStringLiteral("Wahl der Schnittstelle:"));
    QCOMPARE(fixture.separators()->accessibleName(), QStringLiteral("Trennzeichen:"));
    QCOMPARE(fixture.fileName()->accessibleName(), QStringLiteral("Datei zum speichern:"));
    QCOMPARE(fixture.control<QLabel>("Label1")->buddy(), fixture.fileName());
    QVERIFY(!fixture.ports()->isEditable());
    QVERIFY(!fixture.separators()->isEditable());
    QCOMPARE(fixture.separators()->count(), 3);
    QCOMPARE(fixture.separators()->itemText(0), QStringLiteral("Semikolon [;]"));
    QCOMPARE(fixture.separators()->itemText(1), QStringLiteral("Komma [,]"));
    QCOMPARE(fixture.separators()->itemText(2), QStringLiteral("Tabulator"));

    // Read-only and looking so: no white writing surface.
    QLineEdit *fileName = fixture.fileName();
    QVERIFY(fileName->isReadOnly());
    QCOMPARE(fileName->palette().color(QPalette::Base), fileName->palette().color(QPalette::Window));
}

void TestEinstellungen::openedFromMenuAndToolBar()
{
    Fixture fixture;
    QVERIFY(fixture.ready());
    fixture.window->close();
    QVERIFY(!fixture.main->einstellungen());
    auto *item = fixture.main->findChild<QAction *>("mnuEinstellungen");
    QVERIFY(item);
    item->trigger();
    Einstellungen *first = fixture.main->einstellungen();
    QVERIFY(first);
    fixture.main->toolbarClick(QStringLiteral("Einstellungen"));
    QCOMPARE(fixture.main->einstellungen(), first);
    // The closed one is gone once its deferred deletion ran.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(fixture.main->findChildren<Einstellungen *>().size(), 1);
}

void TestEinstellungen::portEntries()
{
    Fixture fixture;
    QVERIFY(fixture.ready());
    QComboBox *ports = fixture.ports();
    // Only known ports up to Com4; Com5 is known but never offered.
    QCOMPARE(ports->count(), 2);
    QCOMPARE(ports->itemText(0), QStringLiteral("Com2"));
    QCOMPARE(ports->itemText(1), QStringLiteral("Com3"));
    QCOMPARE(ports->itemData(0, Qt::ToolTipRole).toString(), fixture.com2.path());
    QCOMPARE(ports->itemData(1, Qt::ToolTipRole).toString(), fixture.com3.path());
}

void TestEinstellungen::noKnownPorts()
{
    Fixture fixture(QStringLiteral("Com2"), QStringLiteral("Komma [,]"), false);
    QVERIFY(fixture.ready());
    QCOMPARE(fixture.ports()->count(), 0);
    QCOMPARE(fixture.ports()->currentIndex(), -1);
    // The rest of the window is still prepared.
    QCOMPARE(fixture.fileName()->text(), fixture.dataFile);
    QCOMPARE(fixture.separators()->currentIndex(), 1);
}

void TestEinstellungen::preselection_data()
{
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("trenner");
    QTest::addColumn<int>("portIndex");
    QTest::addColumn<int>("trennerIndex");
    QTest::newRow("COM3 in capitals") << "COM3"
                                      << "Semikolon [;]" << 1 << 0;
    QTest::newRow("com2") << "com2"
                          << "Semikolon [;]" << 0 << 0;
    QTest::newRow("Com7, not offered") << "Com7"
                                       << "Semikolon [;]" << -1 << 0;
    QTest::newRow("Com1, unknown to the system") << "Com1"
                                                 << "Semikolon [;]" << -1 << 0;
    QTest::newRow("Komma") << "Com3"
                           << "Komma [,]" << 1 << 1;
    QTest::newRow("TABULATOR") << "Com3"
                               << "TABULATOR" << 1 << 2;
    QTest::newRow("unknown separator") << "Com3"
                                       << "Doppelpunkt [:]" << 1 << -1;
    QTest::newRow("separator character alone") << "Com3"
                                               << ";" << 1 << -1;
}

void TestEinstellungen::preselection()
{
    QFETCH(QString, port);
    QFETCH(QString, trenner);
    QFETCH(int, portIndex);
    QFETCH(int, trennerIndex);
    Fixture fixture(port, trenner);
    QVERIFY(fixture.ready());
    QCOMPARE(fixture.ports()->currentIndex(), portIndex);
    QCOMPARE(fixture.separators()->currentIndex(), trennerIndex);
    if (portIndex < 0)
        QCOMPARE(fixture.ports()->currentText(), QString());
}

void TestEinstellungen::saveWritesSettingsFile()
{
    Fixture fixture(QStringLiteral("COM3"));
    QVERIFY(fixture.ready());
    fixture.separators()->setCurrentIndex(2);
    fixture.click("cmdSave");

    QCOMPARE(fixture.boxes.count(), 0);
    QVERIFY(!fixture.main->einstellungen());
    QCOMPARE(AppState::instance().schnittstelle(), QStringLiteral("Com3"));
    QCOMPARE(AppState::instance().dataTrenner(), QStringLiteral("Tabulator"));
    const QString ini = fixture.ini();
    QVERIFY2(ini.contains("Schnittstelle=Com3\r\n"), qPrintable(ini));
    QVERIFY2(ini.contains("DataTrenner=Tabulator\r\n"), qPrintable(ini));
    QVERIFY2(ini.contains("SymbolListe=True\r\n"), qPrintable(ini));
    // The pins stay as they were.
    QVERIFY2(ini.contains("Com3=" + fixture.com3.path() + "\r\n"), qPrintable(ini));
    // The status bar follows.
    QTRY_VERIFY(fixture.main->findChild<QLabel *>("sbPanelPort")->text().startsWith("Com3: "));
}

void TestEinstellungen::saveWithoutSelectionKeepsOldValues()
{
    Fixture fixture(QStringLiteral("Com7"), QStringLiteral("Doppelpunkt [:]"));
    QVERIFY(fixture.ready());
    QCOMPARE(fixture.ports()->currentIndex(), -1);
    QCOMPARE(fixture.separators()->currentIndex(), -1);
    fixture.click("cmdSave");

    QCOMPARE(AppState::instance().schnittstelle(), QStringLiteral("Com7"));
    QCOMPARE(AppState::instance().dataTrenner(), QStringLiteral("Doppelpunkt [:]"));
    const QString ini = fixture.ini();
    QVERIFY2(ini.contains("SymbolListe=True\r\n"), qPrintable(ini)); // it was saved
    QVERIFY2(ini.contains("Schnittstelle=Com7\r\n"), qPrintable(ini));
    QVERIFY2(ini.contains("DataTrenner=Doppelpunkt [:]\r\n"), qPrintable(ini));
}

void TestEinstellungen::exitDropsChoicesButKeepsFile()
{
    Fixture fixture;
    QVERIFY(fixture.ready());
    const QByteArray before = fixture.env.readIni();
    const QString chosen = fixture.env.path(QStringLiteral("neu.dat"));
    fixture.ports()->setCurrentIndex(1);
    fixture.separators()->setCurrentIndex(2);
    QVERIFY(fixture.chooseFile(chosen));
    fixture.click("cmdExit");

    QVERIFY(!fixture.main->einstellungen());
    const AppState &state = AppState::instance();
    QCOMPARE(state.schnittstelle(), QStringLiteral("Com2"));
    QCOMPARE(state.dataTrenner(), QStringLiteral("Semikolon [;]"));
    QCOMPARE(state.dataFile(), chosen);
    QCOMPARE(fixture.env.readIni(), before);

    // The next opening shows the file; the main window stores it when it closes.
    fixture.main->showEinstellungen();
    QCOMPARE(fixture.main->einstellungen()->findChild<QLineEdit *>("FileName")->text(), chosen);
    fixture.main->close();
    const QString ini = fixture.ini();
    QVERIFY2(ini.contains("DataFile=" + chosen + "\r\n"), qPrintable(ini));
    QVERIFY2(ini.contains("Schnittstelle=Com2\r\n"), qPrintable(ini));
    QVERIFY2(ini.contains("DataTrenner=Semikolon [;]\r\n"), qPrintable(ini));
}

void TestEinstellungen::chooserSetUp_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("name");
    QTest::newRow("stored folder there") << "Messungen.txt"
                                         << "."
                                         << "Messungen.txt";
    QTest::newRow("stored folder gone") << "weg/Messungen.txt" << QDir::homePath() << "";
}

void TestEinstellungen::chooserSetUp()
{
    QFETCH(QString, stored);
    QFETCH(QString, folder);
    QFETCH(QString, name);
    AppTestEnvironment env;
    const QString current = env.path(stored);
    const std::unique_ptr<QFileDialog> chooser = createDataFileChooser(current);
    QCOMPARE(chooser->windowTitle(), QStringLiteral("Datei zum speichern wählen..."));
    // Shown as the three bare patterns; the last one lists every file.
    QVERIFY(chooser->testOption(QFileDialog::HideNameFilterDetails));
    QCOMPARE(chooser->nameFilters(), (QStringList{"*.txt (*.txt)", "*.dat (*.dat)", "*.* (*)"}));
    QCOMPARE(chooser->selectedNameFilter(), QStringLiteral("*.txt"));
    QCOMPARE(chooser->fileMode(), QFileDialog::AnyFile);
    QCOMPARE(chooser->acceptMode(), QFileDialog::AcceptOpen);
    QCOMPARE(chooser->defaultSuffix(), QString());
    const QString wanted = QDir(env.path(QStringLiteral("."))).absoluteFilePath(folder);
    QCOMPARE(QDir(chooser->directory()).canonicalPath(), QDir(wanted).canonicalPath());
    QCOMPARE(chooser->findChild<QLineEdit *>("fileNameEdit")->text(), name);
}

void TestEinstellungen::chooserCancelKeepsPath()
{
    AppTestEnvironment env;
    const QString current = env.path(QStringLiteral("Messungen.txt"));
    QString title;
    ChooserDriver driver([&title](QFileDialog *chooser) {
        title = chooser->windowTitle();
        ChooserDriver::type(chooser, QStringLiteral("anders.txt"));
        chooser->reject();
    });
    QCOMPARE(DateiWahl(current), current);
    QVERIFY(driver.ran());
    QCOMPARE(title, QStringLiteral("Datei zum speichern wählen..."));
}

void TestEinstellungen::chooseNewFile()
{
    Fixture fixture;
    QVERIFY(fixture.ready());
    QDir(fixture.env.path(".")).mkdir(QStringLiteral("Messungen"));
    const QString chosen = fixture.env.path(QStringLiteral("Messungen/Motor 7.txt"));
    QVERIFY(fixture.chooseFile(chosen));

    QCOMPARE(fixture.boxes.count(), 0);
    QVERIFY(!QFile::exists(chosen)); // chosen, not created
    QCOMPARE(fixture.fileName()->text(), chosen);
    QCOMPARE(AppState::instance().dataFile(), chosen);
    QTRY_COMPARE(fixture.main->findChild<QLabel *>("sbPanelFile")->text(),
                 QStringLiteral("Datei: ") + chosen);
}

void TestEinstellungen::cancelKeepsFile()
{
    Fixture fixture;
    QVERIFY(fixture.ready());
    ChooserDriver driver([&fixture](QFileDialog *chooser) {
        ChooserDriver::type(chooser, fixture.env.path(QStringLiteral("anders.txt")));
        chooser->reject();
    });
    fixture.click("cmdFile");
    QVERIFY(driver.ran());
    QCOMPARE(fixture.fileName()->text(), fixture.dataFile);
    QCOMPARE(AppState::instance().dataFile(), fixture.dataFile);
}

void TestEinstellungen::missingFolderIsRefused()
{
    Fixture fixture;
    QVERIFY(fixture.ready());
    const QString missingFolder = fixture.env.path(QStringLiteral("gibt-es-nicht"));
    bool stayedOpen = false;
    ChooserDriver driver([&](QFileDialog *chooser) {
        ChooserDriver::type(chooser, missingFolder + QStringLiteral("/neu.txt"));
        ChooserDriver::open(chooser);
        stayedOpen = chooser->isVisible();
        chooser->reject();
    });
    fixture.click("cmdFile");
    QVERIFY(driver.ran());
    QVERIFY(stayedOpen);
    QCOMPARE(fixture.boxes.count(), 1);
    QCOMPARE(fixture.boxes.messages().constFirst().title, QStringLiteral("Fehler: Pfad"));
    QVERIFY(fixture.boxes.messages().constFirst().text.contains(missingFolder));
    QCOMPARE(AppState::instance().dataFile(), fixture.dataFile);
    QCOMPARE(fixture.fileName()->text(), fixture.dataFile);
}

void TestEinstellungen::fileNameCannotBeTyped()
{
    Fixture fixture;
    QVERIFY(fixture.ready());
    fixture.fileName()->setFocus();
    QTest::keyClicks(fixture.fileName(), QStringLiteral("/tmp/anders.txt"));
    QTest::keyClick(fixture.fileName(), Qt::Key_Backspace);
    QCOMPARE(fixture.fileName()->text(), fixture.dataFile);
    fixture.click("cmdSave");
    QCOMPARE(AppState::instance().dataFile(), fixture.dataFile);
}

void TestEinstellungen::limitsFileChosenAndCleared()
{
    Fixture fixture;
    QVERIFY(fixture.ready());
    QVERIFY(QTest::qWaitForWindowActive(fixture.main));
    const QString limits = makeFile(fixture.env.path(QStringLiteral("Grenzen.csv")), "Typ;Wert;Min;Max\r\n");
    auto *shown = fixture.control<QLineEdit>("LimitsFileName");
    auto *clear = fixture.control<QPushButton>("cmdLimitsClear");
    QCOMPARE(shown->accessibleName(), QStringLiteral("Grenzwertdatei:"));
    QVERIFY(!clear->isEnabled());

    // The caption's key opens the chooser; a name that does not exist is not taken.
    QStringList setUp;
    ChooserDriver driver([&](QFileDialog *chooser) {
        setUp << chooser->windowTitle() << chooser->nameFilters()
              << QString::number(int(chooser->fileMode()));
        ChooserDriver::type(chooser, limits);
        ChooserDriver::open(chooser);
    });
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_G, Qt::AltModifier);
    QTRY_VERIFY(driver.ran()); // the key presses the button a moment later
    QCOMPARE(setUp, (QStringList{"Grenzwertdatei wählen...", "*.csv (*.csv)", "*.txt (*.txt)", "*.* (*)",
                                 QString::number(int(QFileDialog::ExistingFile))}));
    // It counts at once, without cmdSave.
    QCOMPARE(AppState::instance().limitsFile(), limits);
    QCOMPARE(shown->text(), limits);
    QVERIFY(clear->isEnabled());
    fixture.click("cmdSave");
    QVERIFY2(fixture.ini().contains("[Grenzwerte]\r\nDatei=" + limits + "\r\n"), qPrintable(fixture.ini()));

    fixture.main->showEinstellungen();
    fixture.window = fixture.main->einstellungen();
    QCOMPARE(fixture.control<QLineEdit>("LimitsFileName")->text(), limits);
    fixture.main->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(fixture.main));
    fixture.control<QLineEdit>("LimitsFileName")->setFocus();
    QTest::keyClick(fixture.control<QLineEdit>("LimitsFileName"), Qt::Key_K, Qt::AltModifier);
    QTRY_COMPARE(AppState::instance().limitsFile(), QString());
    QCOMPARE(fixture.control<QLineEdit>("LimitsFileName")->text(), QString());
    fixture.click("cmdSave");
    QVERIFY2(fixture.ini().contains("[Grenzwerte]\r\nDatei=\r\n"), qPrintable(fixture.ini()));
}

namespace {

// The operator's path: the simulator on Com1 (the only known port), the
// settings window first, then a measurement saved in the log window.
struct OperatorFixture : MainWindowFixture
{
    OperatorFixture()
    {
        for (int port = 2; port <= 4; ++port)
            sim.pin(port, env.path(QStringLiteral("no-such-tty")));
        sim.setConfiguredPort(QStringLiteral("Com4"));
        showMain();
    }

    [[nodiscard]] bool ready() const { return sim.isValid() && QTest::qWaitForWindowExposed(main); }
    [[nodiscard]] QString ini() const { return QString::fromLatin1(fileBytes(sim.settingsFilePath())); }

    // Port Com1, the given separator entry and data file, then cmdSave.
    [[nodiscard]] bool saveSettings(int separator, const QString &dataFile) const
    {
        main->findChild<QAction *>("mnuEinstellungen")->trigger();
        Einstellungen *settings = main->einstellungen();
        if (!settings)
            return false;
        settings->findChild<QComboBox *>("cmbPort")->setCurrentIndex(0);
        settings->findChild<QComboBox *>("cmbTrenner")->setCurrentIndex(separator);
        ChooserDriver driver([&dataFile](QFileDialog *chooser) {
            ChooserDriver::type(chooser, dataFile);
            ChooserDriver::open(chooser);
        });
        QTest::mouseClick(settings->findChild<QPushButton *>("cmdFile"), Qt::LeftButton);
        QTest::mouseClick(settings->findChild<QPushButton *>("cmdSave"), Qt::LeftButton);
        return driver.ran() && !main->einstellungen();
    }

    [[nodiscard]] MesswerteProtokoll *readAndSave() const
    {
        main->showMesswerteProtokoll();
        MesswerteProtokoll *log = main->messwerteProtokoll();
        if (!log)
            return nullptr;
        QTest::mouseClick(log->findChild<QPushButton *>("cmdRead"), Qt::LeftButton);
        log->field(0)->setText(QStringLiteral("DM 112"));
        log->field(1)->setText(QStringLiteral("4711"));
        log->field(11)->setText(QStringLiteral("MK"));
        QTest::mouseClick(log->findChild<QPushButton *>("cmdSave"), Qt::LeftButton);
        return log;
    }

    SimFixture sim;
};

} // namespace

void TestEinstellungen::tabulatorReachesDataFile()
{
    OperatorFixture fixture;
    QVERIFY(fixture.ready());
    const QString dataFile = fixture.env.path(QStringLiteral("Rotorlage.dat"));
    QVERIFY(fixture.saveSettings(2, dataFile));
    const QString ini = fixture.ini();
    QVERIFY2(ini.contains("DataTrenner=Tabulator\r\n"), qPrintable(ini));
    QVERIFY2(ini.contains("Schnittstelle=Com1\r\n"), qPrintable(ini));
    QVERIFY2(ini.contains("DataFile=" + dataFile + "\r\n"), qPrintable(ini));

    QVERIFY(fixture.readAndSave());
    QCOMPARE(fixture.boxes.count(), 0);
    const QList<QByteArray> lines = fileBytes(dataFile).split('\n');
    QCOMPARE(lines.size(), 3); // header, record, nothing after the last CR LF
    QVERIFY2(lines.at(0).startsWith("Typ\tNummer\tPolzahl\t"), lines.at(0).constData());
    QVERIFY2(lines.at(1).startsWith("DM 112\t4711\t4\t"), lines.at(1).constData());
    QCOMPARE(lines.at(1).count('\t'), 11);
    QVERIFY(!lines.at(1).contains(';'));
}

void TestEinstellungen::chosenFolderRemovedBeforeSave()
{
    OperatorFixture fixture;
    QVERIFY(fixture.ready());
    const QString folder = fixture.env.path(QStringLiteral("Messungen"));
    QVERIFY(QDir().mkdir(folder));
    const QString dataFile = folder + QStringLiteral("/Rotorlage.txt");
    QVERIFY(fixture.saveSettings(0, dataFile));
    QVERIFY(QDir(folder).removeRecursively());

    MesswerteProtokoll *log = fixture.readAndSave();
    QVERIFY(log);
    QCOMPARE(fixture.boxes.count(), 1);
    QCOMPARE(fixture.boxes.messages().constFirst().title, QStringLiteral("Fehler: Datenspeicherung"));
    QVERIFY(fixture.boxes.messages().constFirst().text.contains(dataFile));
    // Nothing is lost: the record waits in the window and the choice stays.
    QCOMPARE(AppState::instance().dataFile(), dataFile);
    QCOMPARE(log->field(1)->text(), QStringLiteral("4711"));
    QVERIFY(QDir().mkdir(folder));
    QTest::mouseClick(log->findChild<QPushButton *>("cmdSave"), Qt::LeftButton);
    QCOMPARE(fixture.boxes.count(), 1);
    QCOMPARE(fileBytes(dataFile).count("DM 112;4711;"), 1);
}

QTEST_MAIN(TestEinstellungen)
#include "tst_einstellungen.moc"
