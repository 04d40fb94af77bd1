#include "app/Main.h"
#include "config/Einstellungen.h"
#include "log/MesswerteProtokoll.h"
#include "support/MainWindowFixture.h"
#include "ui/WindowListBar.h"

#include <QMdiArea>
#include <QToolButton>
#include <QtTest>

class TestWindowListBar : public QObject
{
    Q_OBJECT
private slots:
    void listsOpenWindowsAndMarksActive();
    void minimisedWindowHidesWhileBarVisible_data();
    void minimisedWindowHidesWhileBarVisible();
    void pickingEntryRestoresHiddenWindow();
    void removeAfterSwitchOffDoesNoHarm();
    void barIs24PixelsHigh();
};

void TestWindowListBar::listsOpenWindowsAndMarksActive()
{
    MainWindowFixture fixture;
    Main *main = fixture.showMain();
    WindowListBar *bar = main->windowListBar();
    main->showMesswerteProtokoll();
    main->showEinstellungen();
    QCOMPARE(bar->windowCount(), 2);
    QTRY_VERIFY(bar->buttonFor(main->einstellungen())->isChecked());
    QVERIFY(!bar->buttonFor(main->messwerteProtokoll())->isChecked());

    main->showMesswerteProtokoll();
    QTRY_VERIFY(bar->buttonFor(main->messwerteProtokoll())->isChecked());
    QVERIFY(!bar->buttonFor(main->einstellungen())->isChecked());

    main->einstellungen()->close();
    QCOMPARE(bar->windowCount(), 1);
}

void TestWindowListBar::minimisedWindowHidesWhileBarVisible_data()
{
    QTest::addColumn<bool>("barVisible");
    QTest::newRow("bar shown") << true;
    QTest::newRow("bar hidden") << false;
}

void TestWindowListBar::minimisedWindowHidesWhileBarVisible()
{
    QFETCH(bool, barVisible);
    MainWindowFixture fixture;
    Main *main = fixture.showMain();
    if (!barVisible)
        main->findChild<QAction *>("mnuTaskliste")->trigger();
    main->showMesswerteProtokoll();
    MesswerteProtokoll *window = main->messwerteProtokoll();
    window->showMinimized();
    if (barVisible)
        QTRY_VERIFY(window->isHidden());
    else
        QTest::qWait(20);
    QCOMPARE(window->isHidden(), barVisible);
    QVERIFY(window->isMinimized());
    // Listed either way, no longer marked active.
    QVERIFY(main->windowListBar()->buttonFor(window) != nullptr);
    QVERIFY(!main->windowListBar()->buttonFor(window)->isChecked());
}

void TestWindowListBar::pickingEntryRestoresHiddenWindow()
{
    MainWindowFixture fixture;
    Main *main = fixture.showMain();
    main->showMesswerteProtokoll();
    main->showEinstellungen();
    MesswerteProtokoll *window = main->messwerteProtokoll();
    window->showMinimized();
    QTRY_VERIFY(window->isHidden());

    QTest::mouseClick(main->windowListBar()->buttonFor(window), Qt::LeftButton);
    QVERIFY(window->isVisible());
    QVERIFY(!window->isMinimized());
    QCOMPARE(main->mdiArea()->activeSubWindow(), window);
    QVERIFY(main->windowListBar()->buttonFor(window)->isChecked());
}

void TestWindowListBar::removeAfterSwitchOffDoesNoHarm()
{
    MainWindowFixture fixture;
    Main *main = fixture.showMain();
    main->showMesswerteProtokoll();
    WindowListBar *bar = main->windowListBar();
    bar->switchOff();
    main->messwerteProtokoll()->close();
    bar->removeWindow(nullptr);
    bar->makeActive(nullptr);
    QVERIFY(!bar->isSwitchedOn());
    QVERIFY(main->messwerteProtokoll() == nullptr);
}

void TestWindowListBar::barIs24PixelsHigh()
{
    MainWindowFixture fixture;
    Main *main = fixture.showMain();
    QCOMPARE(main->windowListBar()->height(), 24);
    QCOMPARE(main->toolBarArea(main->windowListBar()), Qt::BottomToolBarArea);
}

QTEST_MAIN(TestWindowListBar)
#include "tst_windowlistbar.moc"
