#include "app/Main.h"
#include "app/Splash.h"
#include "app/Startup.h"
#include "app/Windows.h"
#include "core/AppState.h"
#include "support/AppTestEnvironment.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QToolBar>
#include <QWindow>
#include <QtTest>

class TestStartup : public QObject
{
    Q_OBJECT
private slots:
    void demoCommandLine_data();
    void demoCommandLine();
    void startSequenceLoadsSettingsAndShowsMain();
    void startWithoutSettingsFileWritesNothing();
    void captionKeepsOneDemoSuffix();
    void aboutRoleAfterStartRole();
    void activatingMainClosesAbout();
    void splashLayout();

private:
    static Main *startProgram();
};

Main *TestStartup::startProgram()
{
    Splash *splash = Windows::splash();
    splash->show();
    [&] { QTRY_VERIFY(Windows::existingMain() && Windows::existingMain()->isVisible()); }();
    return Windows::existingMain();
}

void TestStartup::demoCommandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("demo");
    QTest::newRow("demo") << QStringList{"quoran", "demo"} << true;
    QTest::newRow("/Demo") << QStringList{"quoran", "/Demo"} << true;
    QTest::newRow("xdemox") << QStringList{"quoran", "xdemox"} << true;
    QTest::newRow("nodemo among others") << QStringList{"quoran", "-x", "nodemo"} << true;
    QTest::newRow("empty") << QStringList{"quoran"} << false;
    QTest::newRow("DEM O") << QStringList{"quoran", "DEM O"} << false;
    QTest::newRow("DEM and O as two arguments") << QStringList{"quoran", "DEM", "O"} << false;
    QTest::newRow("program path is not an argument") << QStringList{"/opt/DEMO/quoran"} << false;
}

void TestStartup::demoCommandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, demo);
    QCOMPARE(commandLineSelectsDemo(arguments), demo);
}

void TestStartup::startSequenceLoadsSettingsAndShowsMain()
{
    AppTestEnvironment env;
    env.writeIni("[Rotorlage]\r\nSchnittstelle=COM3\r\n[System]\r\nSymbolListe=False\r\nTaskliste=ja\r\n");
    Main *main = startProgram();
    QVERIFY(main);
    const AppState &state = AppState::instance();
    QVERIFY(state.mainGestartet());
    QCOMPARE(state.schnittstelle(), QStringLiteral("COM3"));
    QCOMPARE(state.dataTrenner(), QStringLiteral("Semikolon [;]"));
    QCOMPARE(main->windowTitle(), QStringLiteral("Quoran"));
    QVERIFY(!main->symbolleisteChecked());
    QVERIFY(main->toolBar()->isHidden());
    // "ja" is no boolean: the mark keeps its initial state.
    QVERIFY(main->tasklisteChecked());
    QTRY_VERIFY(main->isMaximized());
    // The start window is gone once the main window shows.
    QTRY_VERIFY(Windows::existingSplash() == nullptr);
}

void TestStartup::startWithoutSettingsFileWritesNothing()
{
    AppTestEnvironment env;
    Main *main = startProgram();
    QVERIFY(main);
    QCOMPARE(AppState::instance().schnittstelle(), QStringLiteral("Com1"));
    QVERIFY(!QFile::exists(env.iniPath()));
    main->close();
    QVERIFY(QFile::exists(env.iniPath()));
}

void TestStartup::captionKeepsOneDemoSuffix()
{
    AppTestEnvironment env;
    Main *main = startProgram();
    AppState::instance().setDemoModus(true);
    for (int i = 0; i < 3; ++i) {
        main->showInfo();
        QTRY_VERIFY(Windows::existingSplash() && Windows::existingSplash()->exitButton()->isVisible());
        main->activateStep();
    }
    QCOMPARE(main->windowTitle(), QStringLiteral("Quoran - Demo Modus"));
}

void TestStartup::aboutRoleAfterStartRole()
{
    AppTestEnvironment env;
    Main *main = startProgram();
    QTRY_VERIFY(Windows::existingSplash() == nullptr);

    main->showInfo();
    Splash *about = Windows::existingSplash();
    QVERIFY(about);
    QVERIFY(about->isWindow());
    QVERIFY(about->parentWidget() == nullptr);
    // A transient of the main window, so that a compositor places it with it.
    QVERIFY(about->windowHandle());
    QCOMPARE(about->windowHandle()->transientParent(), main->windowHandle());
    QTRY_VERIFY(about->exitButton()->isVisible());
    QCOMPARE(about->findChild<QLabel *>("lblVersion")->text(), QStringLiteral("Version 1.1.0"));

    // Closed with its button, it opens afresh with the same texts and button.
    QTest::mouseClick(about->exitButton(), Qt::LeftButton);
    QVERIFY(Windows::existingSplash() == nullptr);
    main->showInfo();
    Splash *again = Windows::existingSplash();
    QVERIFY(again);
    QCOMPARE(again->findChild<QLabel *>("lblProductName")->text(), QStringLiteral("Quoran"));
    QTRY_VERIFY(again->exitButton()->isVisible());
    // The About role does not run the start-up again.
    QCOMPARE(Windows::existingMain(), main);
}

void TestStartup::activatingMainClosesAbout()
{
    AppTestEnvironment env;
    Main *main = startProgram();
    QTRY_VERIFY(Windows::existingSplash() == nullptr);
    main->showNormal();
    main->showInfo();
    QTRY_VERIFY(Windows::existingSplash() && Windows::existingSplash()->exitButton()->isVisible());
    main->activateWindow();
    QTRY_VERIFY(Windows::existingSplash() == nullptr);
    QTRY_VERIFY(main->isMaximized());
}

void TestStartup::splashLayout()
{
    AppTestEnvironment env;
    Splash *splash = Windows::splash();
    // 10155 x 4290 twips at the screen's resolution.
    const double dpiX = splash->logicalDpiX();
    QCOMPARE(splash->width(), qRound(10155 * dpiX / 1440));
    QVERIFY(splash->windowFlags().testFlag(Qt::FramelessWindowHint));
    QVERIFY(splash->exitButton()->isHidden());
    QCOMPARE(splash->exitButton()->toolTip(), QStringLiteral("Schliessen (Esc)"));
    QCOMPARE(splash->findChild<QLabel *>("lblPlatform")->text(), QStringLiteral("Plattform: Linux"));
    QCOMPARE(splash->findChild<QLabel *>("lblBeschreibung")->text(),
             QStringLiteral("Messdaten aus dem Quoran auslesen"));
    const QPixmap logo = QPixmap(QStringLiteral(":/images/logo.png"));
    QCOMPARE(logo.size(), QSize(235, 456));
    QVERIFY(!AppState::instance().mainGestartet());
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
