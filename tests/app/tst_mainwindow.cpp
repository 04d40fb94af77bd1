#include "app/ImportCommand.h"
#include "app/Main.h"
#include "app/Splash.h"
#include "app/Windows.h"
#include "config/Einstellungen.h"
#include "core/AppState.h"
#include "diag/Debuggen.h"
#include "log/MesswerteProtokoll.h"
#include "review/Auswertung.h"
#include "support/AppTestEnvironment.h"
#include "support/MainWindowFixture.h"
#include "support/TestFiles.h"
#include "ui/WindowListBar.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QTreeWidget>
#include <QtTest>

class TestMainWindow : public QObject
{
    Q_OBJECT
private slots:
    void menuCaptions_data();
    void menuCaptions();
    void toolBarButtons();
    void toolbarClickMatchesKeysExactly_data();
    void toolbarClickMatchesKeysExactly();
    void toggleSwitchesSurviveRestart();
    void barsHaveNoContextMenuBehindTheMarks();
    void childWindowsOpenOnce();
    void closingWithThreeChildWindowsSavesSettings();
    void statusBarFollowsSettings();
    void everyControlHasAnAccessibleName();
    void focusedControlScrollsIntoView();
    void importReport_data();
    void importReport();
};

void TestMainWindow::menuCaptions_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("checked");
    QTest::addColumn<QString>("shortcut");
    QTest::newRow("mnuDatei") << "mnuDatei"
                              << "&Datei" << false << "";
    QTest::newRow("mnuDatendatei") << "mnuDatendatei"
                                   << "&Datendatei öffnen" << false << "";
    QTest::newRow("mnuOrdner") << "mnuOrdner"
                               << "&Ordner öffnen" << false << "";
    QTest::newRow("mnuImportieren") << "mnuImportieren"
                                    << "Datendatei &importieren…" << false << "";
    QTest::newRow("mnuExit") << "mnuExit"
                             << "E&xit" << false << "Alt+F4";
    QTest::newRow("mnuAuswahl") << "mnuAuswahl"
                                << "&Auswahl" << false << "";
    QTest::newRow("mnuMesswerteProtokoll") << "mnuMesswerteProtokoll"
                                           << "&Messwerte protokollieren" << false << "";
    QTest::newRow("mnuAuswertung") << "mnuAuswertung"
                                   << "Messwerte a&uswerten" << false << "";
    QTest::newRow("mnuExtras") << "mnuExtras"
                               << "E&xtras" << false << "";
    QTest::newRow("mnuSymbolleiste") << "mnuSymbolleiste"
                                     << "&Symbolleiste" << true << "";
    QTest::newRow("mnuTaskliste") << "mnuTaskliste"
                                  << "&Taskliste" << true << "";
    QTest::newRow("mnuEinstellungen") << "mnuEinstellungen"
                                      << "&Einstellungen" << false << "";
    QTest::newRow("mnuDebuggen") << "mnuDebuggen"
                                 << "&Debuggen" << false << "";
    QTest::newRow("mnuHilfe") << "mnuHilfe"
                              << "&Hilfe" << false << "";
    QTest::newRow("mnuInfo") << "mnuInfo"
                             << "Inf&o" << false << "";
}

void TestMainWindow::menuCaptions()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(bool, checked);
    QFETCH(QString, shortcut);
    AppTestEnvironment env;
    Main *main = Windows::main();
    auto *action = main->findChild<QAction *>(name);
    QVERIFY2(action, qPrintable(name));
    QCOMPARE(action->text(), caption);
    QCOMPARE(action->isChecked(), checked);
    QCOMPARE(action->shortcut().toString(), shortcut);
}

void TestMainWindow::toolBarButtons()
{
    AppTestEnvironment env;
    Main *main = Windows::main();
    QToolBar *bar = main->findChild<QToolBar *>("tlbSymbolleiste");
    QVERIFY(bar);
    const QList<QAction *> actions = bar->actions();
    QCOMPARE(actions.size(), 9);
    const QStringList keys{
        "MesswerteProtokoll", "", "Auswertung", "", "Einstellungen", "", "Hilfe", "", "Exit"};
    const QStringList tips{
        "Messwerte protokollieren", "", "Messwerte auswerten", "", "Einstellungen", "", "Info", "",
        "Programm verlassen"};
    for (int i = 0; i < actions.size(); ++i) {
        QCOMPARE(actions[i]->isSeparator(), keys[i].isEmpty());
        QCOMPARE(actions[i]->property("key").toString(), keys[i]);
        if (!keys[i].isEmpty()) {
            QCOMPARE(actions[i]->toolTip(), tips[i]);
            QVERIFY(!actions[i]->icon().isNull());
            QCOMPARE(bar->widgetForAction(actions[i])->accessibleName(), tips[i]);
        }
    }
    QCOMPARE(bar->iconSize(), QSize(16, 16));
}

void TestMainWindow::toolbarClickMatchesKeysExactly_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("opens");
    QTest::newRow("MesswerteProtokoll") << "MesswerteProtokoll"
                                        << "MesswerteProtokoll";
    QTest::newRow("Einstellungen") << "Einstellungen"
                                   << "Einstellungen";
    QTest::newRow("Auswertung") << "Auswertung"
                                << "Auswertung";
    QTest::newRow("Hilfe") << "Hilfe"
                           << "Splash";
    QTest::newRow("hilfe in lower case") << "hilfe"
                                         << "";
    QTest::newRow("messwerteprotokoll") << "messwerteprotokoll"
                                        << "";
    QTest::newRow("unknown") << "Debuggen"
                             << "";
}

void TestMainWindow::toolbarClickMatchesKeysExactly()
{
    QFETCH(QString, key);
    QFETCH(QString, opens);
    MainWindowFixture fixture;
    AppState::instance().setMainGestartet(true);
    Main *main = fixture.showMain();
    main->toolbarClick(key);
    const QStringList open = [main] {
        QStringList names;
        for (const QMdiSubWindow *window : main->mdiArea()->subWindowList())
            names << window->objectName();
        if (Windows::existingSplash())
            names << QStringLiteral("Splash");
        return names;
    }();
    QCOMPARE(open, opens.isEmpty() ? QStringList() : QStringList{opens});
    QVERIFY(main->isVisible());
}

void TestMainWindow::toggleSwitchesSurviveRestart()
{
    MainWindowFixture fixture;
    Main *main = fixture.showMain();
    auto *symbolleiste = main->findChild<QAction *>("mnuSymbolleiste");
    auto *taskliste = main->findChild<QAction *>("mnuTaskliste");
    symbolleiste->trigger();
    QVERIFY(!symbolleiste->isChecked());
    QVERIFY(main->toolBar()->isHidden());
    symbolleiste->trigger();
    QVERIFY(symbolleiste->isChecked());
    QVERIFY(!main->toolBar()->isHidden());

    symbolleiste->trigger();
    taskliste->trigger();
    QVERIFY(!main->windowListBar()->isBarVisible());
    main->close();
    QVERIFY(fixture.env.readIni().contains("SymbolListe=False\r\nTaskliste=False\r\n"));

    AppTestEnvironment::destroyWindows();
    Main *restarted = fixture.showMain();
    QVERIFY(restarted != nullptr);
    QVERIFY(!restarted->symbolleisteChecked());
    QVERIFY(restarted->toolBar()->isHidden());
    QVERIFY(!restarted->windowListBar()->isBarVisible());
}

void TestMainWindow::barsHaveNoContextMenuBehindTheMarks()
{
    MainWindowFixture fixture;
    Main *main = fixture.showMain();
    // Qt's own bar menu would hide a bar while its check mark stays set.
    for (QWidget *bar :
         {static_cast<QWidget *>(main->toolBar()), static_cast<QWidget *>(main->windowListBar())}) {
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), bar->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(bar, &event);
        QTest::qWait(10);
        const QList<QMenu *> menus = main->findChildren<QMenu *>();
        for (const QMenu *menu : menus)
            QVERIFY2(!menu->isVisible(), qPrintable(menu->title()));
        QVERIFY(QApplication::activePopupWidget() == nullptr);
    }
}

void TestMainWindow::childWindowsOpenOnce()
{
    MainWindowFixture fixture;
    Main *main = fixture.showMain();
    main->showMesswerteProtokoll();
    MesswerteProtokoll *first = main->messwerteProtokoll();
    main->showEinstellungen();
    main->showMesswerteProtokoll();
    QCOMPARE(main->messwerteProtokoll(), first);
    QCOMPARE(main->mdiArea()->subWindowList().size(), 2);
    QCOMPARE(main->mdiArea()->activeSubWindow(), first);

    first->close();
    QVERIFY(main->messwerteProtokoll() == nullptr);
    main->showMesswerteProtokoll();
    QVERIFY(main->messwerteProtokoll() != nullptr);
    QCOMPARE(main->mdiArea()->subWindowList().size(), 2);

    main->showAuswertung();
    Auswertung *review = main->auswertung();
    main->toolbarClick("Auswertung");
    QCOMPARE(main->auswertung(), review);
    QCOMPARE(main->mdiArea()->subWindowList().size(), 3);
}

void TestMainWindow::closingWithThreeChildWindowsSavesSettings()
{
    MainWindowFixture fixture;
    fixture.env.writeIni("; Pr\xfc"
                         "fstand 3\r\n[Fremd]\r\nA=1\r\n");
    Main *main = fixture.showMain();
    main->showMesswerteProtokoll();
    main->showEinstellungen();
    main->showDebuggen();
    AppState::instance().setSchnittstelle(QStringLiteral("Com2"));
    QSignalSpy destroyed(main->debuggen(), &QObject::destroyed);
    QVERIFY(main->close());
    QCOMPARE(main->mdiArea()->subWindowList().size(), 0);
    QVERIFY(destroyed.size() == 1 || destroyed.wait(1000));
    const QByteArray ini = fixture.env.readIni();
    QVERIFY(ini.startsWith("; Pr\xfc"
                           "fstand 3\r\n[Fremd]\r\nA=1\r\n"));
    QVERIFY(ini.contains("[Rotorlage]\r\nSchnittstelle=Com2\r\n"));
}

void TestMainWindow::statusBarFollowsSettings()
{
    MainWindowFixture fixture;
    // Com3 is pinned to an adapter that is not plugged in.
    const QString adapter = fixture.env.path(QStringLiteral("ttyUSB-Adapter"));
    fixture.env.writeIni("[Rotorlage]\r\nSchnittstelle=Com3\r\n[Export]\r\nDataFile=/tmp/x/Messung.txt\r\n"
                         "[Schnittstellen]\r\nCom3=" +
                         QFile::encodeName(adapter) + "\r\n");
    Main *main = fixture.showMain();
    auto *port = main->findChild<QLabel *>("sbPanelPort");
    auto *file = main->findChild<QLabel *>("sbPanelFile");
    auto *demo = main->findChild<QLabel *>("sbPanelDemo");
    QTRY_COMPARE(port->text(), QStringLiteral("Com3: %1 (fehlt)").arg(adapter));
    QVERIFY(file->text().contains(QStringLiteral("/tmp/x/Messung.txt")));
    QVERIFY(demo->text().isEmpty());

    // A data file whose folder is gone is flagged before a save fails, and
    // neither it nor its folder can be opened.
    const QString folder = fixture.env.path(QStringLiteral("Daten"));
    AppState::instance().setDataFile(folder + QStringLiteral("/Rotorlage.txt"));
    auto *openFile = main->findChild<QAction *>("mnuDatendatei");
    auto *openFolder = main->findChild<QAction *>("mnuOrdner");
    QTRY_COMPARE(file->text(), QStringLiteral("Datei: %1/Rotorlage.txt (Ordner fehlt)").arg(folder));
    QVERIFY(!openFile->isEnabled());
    QVERIFY(!openFolder->isEnabled());

    // Plugged in and the folder made while the program runs: shown once the
    // main window is active again.
    QVERIFY(QDir().mkdir(folder));
    QFile device(adapter);
    QVERIFY(device.open(QIODevice::WriteOnly));
    device.close();
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    main->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(main));
    QTRY_COMPARE(port->text(), QStringLiteral("Com3: %1").arg(adapter));
    QTRY_COMPARE(file->text(), QStringLiteral("Datei: %1/Rotorlage.txt").arg(folder));
    QVERIFY(openFolder->isEnabled());
    QVERIFY(!openFile->isEnabled());
    // The menu looks again as it opens.
    QVERIFY(writeFile(folder + QStringLiteral("/Rotorlage.txt"), "Typ\r\n"));
    auto *fileMenu = main->findChild<QMenu *>("mnuDatei");
    fileMenu->popup(main->mapToGlobal(QPoint(0, 0)));
    QTRY_VERIFY(openFile->isEnabled());
    fileMenu->close();

    AppState &state = AppState::instance();
    state.setSchnittstelle(QStringLiteral("Com9"));
    state.setDemoModus(true);
    QTRY_VERIFY(port->text().startsWith(QStringLiteral("Com9: ")));
    QTRY_COMPARE(demo->text(), QStringLiteral("Demo Modus"));

    state.setLastReadOutcome(QStringLiteral("14:03:22 gültige Messung"));
    QTRY_COMPARE(main->findChild<QLabel *>("sbPanelRead")->text(),
                 QStringLiteral("14:03:22 gültige Messung"));
}

void TestMainWindow::everyControlHasAnAccessibleName()
{
    MainWindowFixture fixture;
    Main *main = fixture.showMain();
    main->showMesswerteProtokoll();
    main->showEinstellungen();
    main->showDebuggen();
    main->showAuswertung();
    main->showInfo();
    QList<QWidget *> controls;
    for (QWidget *top : {static_cast<QWidget *>(main), static_cast<QWidget *>(Windows::existingSplash())}) {
        for (QWidget *widget : top->findChildren<QWidget *>()) {
            if (qobject_cast<QAbstractButton *>(widget) || qobject_cast<QLineEdit *>(widget) ||
                qobject_cast<QComboBox *>(widget) || qobject_cast<QTreeWidget *>(widget))
                controls << widget;
        }
    }
    QVERIFY(controls.size() > 30);
    int checked = 0;
    for (QWidget *control : controls) {
        // The frame's own title-bar and scroll buttons are Qt's, not ours.
        if (control->objectName().startsWith(QLatin1String("qt_")) || control->objectName().isEmpty())
            continue;
        ++checked;
        QAccessibleInterface *face = QAccessible::queryAccessibleInterface(control);
        QVERIFY(face);
        QVERIFY2(!face->text(QAccessible::Name).remove(QLatin1Char('&')).trimmed().isEmpty(),
                 qPrintable(control->objectName()));
    }
    // Our controls all carry names, so none may slip through unchecked.
    QVERIFY(checked > 30);

    // Every control that does something says so in German when pointed at.
    QStringList withoutTip;
    for (QWidget *control : std::as_const(controls)) {
        const auto *edit = qobject_cast<QLineEdit *>(control);
        // Read-only fields and lists only show.
        if (control->objectName().startsWith(QLatin1String("qt_")) || control->objectName().isEmpty() ||
            (edit && edit->isReadOnly()) || qobject_cast<QAbstractItemView *>(control))
            continue;
        if (control->toolTip().isEmpty())
            withoutTip << control->objectName();
    }
    QVERIFY2(withoutTip.isEmpty(), qPrintable(withoutTip.join(QLatin1String(", "))));

    // In each work window its own access keys, none twice and none of the
    // menu bar's D, A, X and H, which stay active in there.
    const QList<QKeySequence> menuBarKeys{
        QKeySequence(Qt::ALT | Qt::Key_D), QKeySequence(Qt::ALT | Qt::Key_A),
        QKeySequence(Qt::ALT | Qt::Key_X), QKeySequence(Qt::ALT | Qt::Key_H)};
    for (const QMdiSubWindow *window : main->mdiArea()->subWindowList()) {
        QList<QKeySequence> keys;
        for (const QLabel *caption : window->findChildren<QLabel *>()) {
            if (caption->buddy() && caption->text().contains(QLatin1Char('&')))
                keys << QKeySequence::mnemonic(caption->text());
        }
        for (const QAbstractButton *button : window->findChildren<QAbstractButton *>()) {
            if (!button->shortcut().isEmpty())
                keys << button->shortcut();
        }
        QVERIFY2(keys.size() >= 4, qPrintable(window->objectName()));
        for (const QKeySequence &key : std::as_const(keys)) {
            QVERIFY2(keys.count(key) == 1 && !menuBarKeys.contains(key),
                     qPrintable(window->objectName() + QLatin1Char(' ') + key.toString()));
        }
    }
}

void TestMainWindow::focusedControlScrollsIntoView()
{
    MainWindowFixture fixture;
    Main *main = fixture.showMain();
    QTRY_VERIFY(AppState::instance().mainGestartet());
    main->showMesswerteProtokoll();
    MesswerteProtokoll *log = main->messwerteProtokoll();
    // A frame much smaller than the work window, as at 200 % on a laptop.
    main->setWindowState(Qt::WindowNoState);
    main->resize(420, 300);
    QWidget *viewport = main->mdiArea()->viewport();
    QTRY_VERIFY2(viewport->height() < log->height() / 2 && viewport->width() < log->width(),
                 qPrintable(QStringLiteral("%1x%2").arg(viewport->width()).arg(viewport->height())));
    log->showMaximized();
    for (const int index : {11, 0, 10, 1}) {
        QLineEdit *field = log->field(index);
        field->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), field);
        const QRect place(field->mapTo(viewport, QPoint(0, 0)), field->size());
        QVERIFY2(viewport->rect().contains(place), qPrintable(field->objectName()));
    }
}

void TestMainWindow::importReport_data()
{
    QTest::addColumn<bool>("blocked"); // a folder in the store's place
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("parts");
    QTest::newRow("read, a line rejected")
        << false << "Datendatei importieren"
        << QStringList{"Zeilen gelesen: 2\n", "neu aufgenommen: 1\n", "schon vorhanden: 0\n",
                       "abgewiesen: 1\n  Zeile 3: "};
    QTest::newRow("store a folder") << true << "Fehler: Datendatei importieren"
                                    << QStringList{"Ergebnisdatenbank: ein Ordner an ihrer Stelle"};
}

void TestMainWindow::importReport()
{
    QFETCH(bool, blocked);
    QFETCH(QString, title);
    QFETCH(QStringList, parts);
    MainWindowFixture fixture;
    fixture.showMain();
    if (blocked)
        QVERIFY(QDir().mkdir(AppState::instance().resultsFile()));
    const QString data =
        makeFile(fixture.env.path("Rotorlage.txt"),
                 SemicolonHeader + "A1;17;4;964;0,28;27,6;2,8;1,4;256;07.12.2026;14:03:22;MK\r\n"
                                   "A1;18;4;964;0,28;27,6;2,8;1,4;256;07.12.2026;;MK\r\n");
    ImportCommand::importFiles({data}, fixture.main);
    QCOMPARE(fixture.boxes.count(), 1);
    const MessageBoxCatcher::Caught box = fixture.boxes.caught().first();
    QCOMPARE(box.message.title, title);
    QCOMPARE(box.icon, blocked ? QMessageBox::Critical : QMessageBox::Information);
    for (const QString &part : parts)
        QVERIFY2(box.message.text.contains(part), qPrintable(box.message.text));
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
