#include "config/ComPorts.h"
#include "config/PortList.h"
#include "config/PortMap.h"
#include "config/Registry.h"
#include "config/SettingsPath.h"
#include "support/PseudoTerminal.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {
QString texts(const QComboBox &box)
{
    QStringList items;
    for (int i = 0; i < box.count(); ++i)
        items.append(box.itemText(i));
    return items.join(QLatin1Char(' '));
}
} // namespace

class TestPortMap : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    PseudoTerminal m_pty;
    QString m_missing = m_dir.filePath(QStringLiteral("gone/ttyUSB9"));
    QString m_plain = m_dir.filePath(QStringLiteral("plain.txt"));

private slots:
    void initTestCase()
    {
        QVERIFY(!m_pty.path().isEmpty());
        QVERIFY(QFile(m_plain).open(QIODevice::WriteOnly));
        QVERIFY(QFile::link(m_pty.path(), m_dir.filePath(QStringLiteral("ptylink"))));
        // Pins Com1..Com4 and Com11, so the machine's own devices cannot take them.
        const QString ini = m_dir.filePath(QStringLiteral("pins.ini"));
        QFile file(ini);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(
            QStringLiteral("[schnittstellen]\r\ncom1=%1\r\nCOM2=%2\r\nCom3=%1\r\nCom4=%3\r\nCom11=%2\r\n")
                .arg(m_missing, m_pty.path(), m_plain)
                .toLocal8Bit());
        setSettingsFilePathForTesting(ini);
    }

    void fillingOrder()
    {
        // Paths that exist nowhere, so the machine's devices play no part.
        const QString dev = m_dir.filePath(QStringLiteral("none/"));
        QStringList devices;
        for (const char *name :
             {"zz1", "ttyACM0", "ttyUSB10", "ttyUSB2", "ttyS1", "ttyUSB0", "ttyS0", "ttyAMA0"})
            devices.append(dev + QLatin1String(name));
        const PortMap map = PortMap::build({{3, dev + "pinned"}, {17, dev + "x"}}, devices);
        QMap<int, QString> expected;
        for (const char *name :
             {"ttyS0", "ttyS1", "pinned", "ttyUSB0", "ttyUSB2", "ttyUSB10", "ttyACM0", "ttyAMA0", "zz1"})
            expected.insert(int(expected.size()) + 1, dev + QLatin1String(name));
        QCOMPARE(map.entries(), expected);
        devices.clear();
        for (int i = 0; i < 20; ++i)
            devices.append(dev + QStringLiteral("ttyUSB%1").arg(i));
        QCOMPARE(PortMap::build({{16, dev + "pinned"}}, devices).entries().last(), dev + "pinned");
        QCOMPARE(PortMap::build({{16, dev + "pinned"}}, devices).entries().size(), 16);
    }

    void pinnedDeviceNotListedTwice()
    {
        const QString link = m_dir.filePath(QStringLiteral("usb-FTDI-port0"));
        QVERIFY(QFile::link(m_plain, link));
        const PortMap map = PortMap::build({{2, link}}, {m_plain, m_missing});
        QCOMPARE(map.entries(), (QMap<int, QString>{{1, m_missing}, {2, link}}));
    }

    void bareDeviceNameMeansDevFolder()
    {
        const PortMap map =
            PortMap::build({{2, QStringLiteral("ttyUSB7")}}, {QStringLiteral("/dev/ttyUSB7")});
        QCOMPARE(map.devicePath(2), QStringLiteral("/dev/ttyUSB7"));
        // The same device is not offered a second time.
        QCOMPARE(map.entries().size(), 1);
    }

    void known_data()
    {
        QTest::addColumn<QString>("pin");
        QTest::addColumn<bool>("known");
        QTest::newRow("pseudo-terminal") << m_pty.path() << true;
        QTest::newRow("link to it") << m_dir.filePath(QStringLiteral("ptylink")) << true;
        QTest::newRow("missing device") << m_missing << false;
        QTest::newRow("regular file") << m_plain << false;
        QTest::newRow("folder") << m_dir.path() << false;
        // A bare name means the device of that name, not a file in the working folder.
        QTest::newRow("bare device name") << QStringLiteral("null") << true;
    }

    void known()
    {
        QFETCH(QString, pin);
        QFETCH(bool, known);
        const PortMap map = PortMap::build({{5, pin}}, {});
        QCOMPARE(map.isKnown(5), known);
        QVERIFY(!map.isKnown(4));
    }

    void registry_data()
    {
        QTest::addColumn<QString>("root");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("valueName");
        QTest::addColumn<QString>("expected");
        const QString root = QStringLiteral("HKEY_LOCAL_MACHINE");
        const QString key = QStringLiteral("hardware\\devicemap\\serialcomm");
        QTest::newRow("Serial1") << root << key << "\\Device\\Serial1"
                                 << "COM2";
        QTest::newRow("Serial10") << root << key << "\\Device\\Serial10"
                                  << "COM11";
        QTest::newRow("letter case") << "hkey_local_machine" << key.toUpper() << "\\device\\SERIAL1"
                                     << "COM2";
        QTest::newRow("leading zero") << root << key << "\\Device\\Serial01"
                                      << "<none>";
        QTest::newRow("missing device") << root << key << "\\Device\\Serial0"
                                        << "<none>";
        QTest::newRow("beyond 15") << root << key << "\\Device\\Serial16"
                                   << "<none>";
        QTest::newRow("other key") << root << "hardware\\devicemap"
                                   << "\\Device\\Serial1"
                                   << "<none>";
        QTest::newRow("other root") << "HKEY_CURRENT_USER" << key << "\\Device\\Serial1"
                                    << "<none>";
    }

    void registry()
    {
        QFETCH(QString, root);
        QFETCH(QString, key);
        QFETCH(QString, valueName);
        QFETCH(QString, expected);
        const PortMap map = PortMap::build({{1, m_missing}, {2, m_pty.path()}, {11, m_pty.path()}}, {});
        const RegistryValue value = ReadRegistryValue(root, key, valueName, map);
        QCOMPARE(std::holds_alternative<QString>(value) ? std::get<QString>(value) : "<none>", expected);
    }

    void enumSerialPorts()
    {
        QCOMPARE(EnumSerialPorts(PortMap()), QString(16, QLatin1Char(',')));
        const QString list = EnumSerialPorts(PortMap::build({{1, m_missing}, {11, m_pty.path()}}, {}));
        QCOMPARE(list, QString(10, QLatin1Char(',')) + "COM11" + QString(6, QLatin1Char(',')));
        const QString other = knownPortsList([](const QString &name) -> RegistryValue {
            if (name == QLatin1String("\\Device\\Serial0"))
                return qint32(-7);
            return name == QLatin1String("\\Device\\Serial2") ? RegistryValue(QStringLiteral("com2"))
                                                              : RegistryValue();
        });
        QCOMPARE(other, "-7,,com2," + QString(13, QLatin1Char(',')));
        QVERIFY(knownPortsListHas(other, QStringLiteral("COM2")));
    }

    void fillPortList_data()
    {
        QTest::addColumn<int>("highest");
        QTest::addColumn<bool>("onlyKnown");
        QTest::addColumn<QString>("expected");
        QTest::newRow("0 is 4, only known") << 0 << true << "alt Com2";
        QTest::newRow("0 is 4, all") << 0 << false << "alt Com1 Com2 Com3 Com4";
        QTest::newRow("2, all") << 2 << false << "alt Com1 Com2";
        QTest::newRow("16, all") << 16 << false
                                 << "alt Com1 Com2 Com3 Com4 Com5 Com6 Com7 Com8 Com9 Com10 "
                                    "Com11 Com12 Com13 Com14 Com15 Com16";
    }

    void fillPortList()
    {
        QFETCH(int, highest);
        QFETCH(bool, onlyKnown);
        QFETCH(QString, expected);
        QComboBox box;
        box.addItem(QStringLiteral("alt"));
        FillPortList(&box, qint16(highest), onlyKnown);
        QCOMPARE(texts(box), expected);
        const QStringList tips{QString(), m_missing, m_pty.path(), m_missing, m_plain};
        for (int i = 0; i < box.count(); ++i) {
            const int port = box.itemText(i).mid(3).toInt();
            if (port <= 4)
                QCOMPARE(box.itemData(i, Qt::ToolTipRole).toString(), tips.at(port));
        }
        QComboBox none;
        FillPortList(&none, 2, false, PortMap());
        QCOMPARE(none.itemData(1, Qt::ToolTipRole).toString(), QStringLiteral("kein Gerät"));
    }

    void portExists_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("exists");
        QTest::newRow("Com2") << "Com2" << true;
        QTest::newRow("com2") << "com2" << true;
        QTest::newRow("COM11") << "COM11" << true;
        QTest::newRow("Com1, only COM11 known") << "Com1" << false;
        QTest::newRow("missing device") << "Com3" << false;
        QTest::newRow("regular file") << "Com4" << false;
    }

    void portExists()
    {
        QFETCH(QString, name);
        QFETCH(bool, exists);
        QCOMPARE(PortExists(name), exists);
        QComboBox box;
        FillPortList(&box, 16, true);
        QCOMPARE(box.findText(name, Qt::MatchFixedString) >= 0, exists);
    }
};

QTEST_MAIN(TestPortMap)
#include "support/PseudoTerminal.h"
#include "tst_portmap.moc"
