#include "app/PortPanel.h"
#include "support/AppTestEnvironment.h"
#include "support/TestFiles.h"

#include <QLabel>
#include <QtTest>

class TestPortPanel : public QObject
{
    Q_OBJECT
private slots:
    void showsPortAndDevice_data();
    void showsPortAndDevice();
    void looksAgainWhenPortOrDevicesChange();
};

void TestPortPanel::showsPortAndDevice_data()
{
    QTest::addColumn<QString>("port");
    QTest::addColumn<bool>("pluggedIn");
    QTest::addColumn<QString>("expected"); // %1: the pinned adapter
    QTest::newRow("pinned adapter there") << "Com3" << true << "Com3: %1";
    QTest::newRow("pinned adapter unplugged") << "Com3" << false << "Com3: %1 (fehlt)";
    QTest::newRow("name as configured") << "COM3" << true << "COM3: %1";
    QTest::newRow("no port number") << "Com" << true << "Com: kein Gerät";
    QTest::newRow("beyond Com16") << "Com17" << true << "Com17: kein Gerät";
}

void TestPortPanel::showsPortAndDevice()
{
    QFETCH(QString, port);
    QFETCH(bool, pluggedIn);
    QFETCH(QString, expected);
    const AppTestEnvironment env;
    const QString adapter = env.path(QStringLiteral("ttyUSB-Adapter"));
    if (pluggedIn)
        QVERIFY(writeFile(adapter, {}));
    QLabel label;
    auto *panel = new PortPanel(&label);
    panel->useLoadedPins({{3, adapter}});
    panel->showPort(port);
    QCOMPARE(label.text(), expected.replace(QStringLiteral("%1"), adapter));
}

void TestPortPanel::looksAgainWhenPortOrDevicesChange()
{
    const AppTestEnvironment env;
    const QString loaded = env.path(QStringLiteral("ttyUSB-Geladen"));
    const QString adapter = env.path(QStringLiteral("ttyUSB-Adapter"));
    const QString other = env.path(QStringLiteral("ttyUSB-Anderer"));
    // Pinned afresh in the settings file after the load.
    env.writeIni("[Schnittstellen]\r\nCom3=" + QFile::encodeName(adapter) +
                 "\r\nCom4=" + QFile::encodeName(other) + "\r\n");
    QLabel label;
    auto *panel = new PortPanel(&label);
    panel->useLoadedPins({{3, loaded}});
    panel->showPort(QStringLiteral("Com3"));
    QCOMPARE(label.text(), QStringLiteral("Com3: %1 (fehlt)").arg(loaded));

    // The loaded pins serve once; the next look reads the settings file.
    panel->lookAgain();
    panel->showPort(QStringLiteral("Com3"));
    QCOMPARE(label.text(), QStringLiteral("Com3: %1 (fehlt)").arg(adapter));

    // Plugged in: other changes of the state do not look, a return does.
    QVERIFY(writeFile(adapter, {}));
    panel->showPort(QStringLiteral("Com3"));
    QCOMPARE(label.text(), QStringLiteral("Com3: %1 (fehlt)").arg(adapter));
    panel->lookAgain();
    panel->showPort(QStringLiteral("Com3"));
    QCOMPARE(label.text(), QStringLiteral("Com3: %1").arg(adapter));

    // A read of the port says what it found, without waiting for a return;
    // a read of another port (the inspector's) leaves the field alone.
    panel->showRead(3, adapter, false);
    QCOMPARE(label.text(), QStringLiteral("Com3: %1 (fehlt)").arg(adapter));
    panel->showRead(5, other, true);
    QCOMPARE(label.text(), QStringLiteral("Com3: %1 (fehlt)").arg(adapter));
    panel->showRead(3, adapter, true);
    QCOMPARE(label.text(), QStringLiteral("Com3: %1").arg(adapter));

    // Another port is looked up at once.
    panel->showPort(QStringLiteral("Com4"));
    QCOMPARE(label.text(), QStringLiteral("Com4: %1 (fehlt)").arg(other));
}

QTEST_MAIN(TestPortPanel)
#include "tst_portpanel.moc"
