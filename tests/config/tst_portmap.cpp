#include "config/ComPorts.h"
#include "config/PortMap.h"
#include "config/Registry.h"
#include "config/SettingsPath.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <pty.h>
#include <unistd.h>

namespace {

// A pseudo-terminal pair; the slave stands in for a serial device.
class PseudoTerminal
{
public:
    PseudoTerminal()
    {
        char name[256] = {};
        if (::openpty(&m_master, &m_slave, name, nullptr, nullptr) == 0)
            m_slavePath = QString::fromLocal8Bit(name);
    }
    ~PseudoTerminal()
    {
        if (m_master >= 0)
            ::close(m_master);
        if (m_slave >= 0)
            ::close(m_slave);
    }
    PseudoTerminal(const PseudoTerminal &) = delete;
    PseudoTerminal &operator=(const PseudoTerminal &) = delete;

    [[nodiscard]] QString slavePath() const { return m_slavePath; }

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
};

QString rowText(const QComboBox &box)
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

private:
    QTemporaryDir m_dir;
    PseudoTerminal m_pty;
    QString m_missing;

    QString makeFile(const QString &name, const QByteArray &bytes = {})
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write test file");
        return path;
    }

    // A settings file that pins Com1..Com4 and Com11, so that the machine's
    // own devices cannot take those numbers.
    void pinTestPorts()
    {
        const QByteArray pins = "[schnittstellen]\r\ncom1=" + m_missing.toLocal8Bit() +
                                "\r\nCOM2=" + m_pty.slavePath().toLocal8Bit() +
                                "\r\nCom3=" + m_missing.toLocal8Bit() +
                                "\r\nCom4=" + m_dir.filePath(QStringLiteral("plain.txt")).toLocal8Bit() +
                                "\r\nCom11=" + m_pty.slavePath().toLocal8Bit() + "\r\n";
        setSettingsFilePathForTesting(makeFile(QStringLiteral("pins.ini"), pins));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(!m_pty.slavePath().isEmpty());
        m_missing = m_dir.filePath(QStringLiteral("gone/ttyUSB9"));
        makeFile(QStringLiteral("plain.txt"), "x");
    }

    void cleanupTestCase() { setSettingsFilePathForTesting(QString()); }

    void fillingOrder()
    {
        // Paths that exist nowhere, so that the machine's own devices play no part.
        const QString dev = m_dir.filePath(QStringLiteral("none/"));
        const QStringList names{"zz1",   "ttyACM0", "ttyUSB10", "ttyUSB2",
                                "ttyS1", "ttyUSB0", "ttyS0",    "ttyAMA0"};
        QStringList devices;
        for (const QString &name : names)
            devices.append(dev + name);
        const PortMap map = PortMap::build({{3, dev + "pinned"}}, devices);
        const QStringList order{"ttyS0",    "ttyS1",   "pinned",  "ttyUSB0", "ttyUSB2",
                                "ttyUSB10", "ttyACM0", "ttyAMA0", "zz1"};
        QMap<int, QString> expected;
        for (int i = 0; i < order.size(); ++i)
            expected.insert(i + 1, dev + order.at(i));
        QCOMPARE(map.entries(), expected);
    }

    void atMostSixteenPorts()
    {
        QStringList devices;
        for (int i = 0; i < 20; ++i)
            devices.append(QStringLiteral("/dev/ttyUSB%1").arg(i));
        const PortMap map = PortMap::build({{0, "/dev/a"}, {17, "/dev/b"}, {16, "/dev/c"}}, devices);
        QCOMPARE(map.entries().size(), 16);
        QCOMPARE(map.entries().firstKey(), 1);
        QCOMPARE(map.devicePath(15), QStringLiteral("/dev/ttyUSB14"));
        QCOMPARE(map.devicePath(16), QStringLiteral("/dev/c"));
        QCOMPARE(map.devicePath(17), QString());
    }

    void pinnedDeviceNotListedTwice()
    {
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("dev")));
        const QString device = makeFile(QStringLiteral("dev/ttyUSB0"));
        const QString other = makeFile(QStringLiteral("dev/ttyUSB1"));
        const QString link = m_dir.filePath(QStringLiteral("usb-FTDI-port0"));
        QVERIFY(QFile::link(device, link));
        const PortMap map = PortMap::build({{2, link}}, {device, other});
        const QMap<int, QString> expected{{1, other}, {2, link}};
        QCOMPARE(map.entries(), expected);
    }

    void known_data()
    {
        QTest::addColumn<QString>("pin");
        QTest::addColumn<bool>("known");
        QTest::newRow("pseudo-terminal") << m_pty.slavePath() << true;
        QTest::newRow("link to pseudo-terminal") << m_dir.filePath(QStringLiteral("ptylink")) << true;
        QTest::newRow("missing device") << m_missing << false;
        QTest::newRow("regular file") << m_dir.filePath(QStringLiteral("plain.txt")) << false;
        QTest::newRow("folder") << m_dir.path() << false;
    }

    void known()
    {
        QFETCH(QString, pin);
        QFETCH(bool, known);
        QFile::link(m_pty.slavePath(), m_dir.filePath(QStringLiteral("ptylink")));
        const PortMap map = PortMap::build({{5, pin}}, {});
        QCOMPARE(map.isKnown(5), known);
        QVERIFY(!map.isKnown(4));
    }

    void pinsFromSettingsFile()
    {
        pinTestPorts();
        const PortMap map = PortMap::current();
        QCOMPARE(map.devicePath(1), m_missing);
        QCOMPARE(map.devicePath(2), m_pty.slavePath());
        QCOMPARE(map.devicePath(11), m_pty.slavePath());
    }

    void registry_data()
    {
        QTest::addColumn<QString>("root");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("valueName");
        QTest::addColumn<QString>("expected");
        const QString root = QStringLiteral("HKEY_LOCAL_MACHINE");
        const QString key = QStringLiteral("hardware\\devicemap\\serialcomm");
        QTest::newRow("Serial1 is COM2") << root << key << "\\Device\\Serial1"
                                         << "COM2";
        QTest::newRow("Serial10 is COM11") << root << key << "\\Device\\Serial10"
                                           << "COM11";
        QTest::newRow("other letter case") << "hkey_local_machine"
                                           << "HARDWARE\\DEVICEMAP\\SERIALCOMM"
                                           << "\\device\\serial1"
                                           << "COM2";
        QTest::newRow("leading zero") << root << key << "\\Device\\Serial01"
                                      << "";
        QTest::newRow("missing device") << root << key << "\\Device\\Serial0"
                                        << "";
        QTest::newRow("beyond 15") << root << key << "\\Device\\Serial16"
                                   << "";
        QTest::newRow("other value name") << root << key << "\\Device\\Serial1x"
                                          << "";
        QTest::newRow("other key") << root << "hardware\\devicemap"
                                   << "\\Device\\Serial1"
                                   << "";
        QTest::newRow("other root") << "HKEY_CURRENT_USER" << key << "\\Device\\Serial1"
                                    << "";
    }

    void registry()
    {
        QFETCH(QString, root);
        QFETCH(QString, key);
        QFETCH(QString, valueName);
        QFETCH(QString, expected);
        const PortMap map =
            PortMap::build({{1, m_missing}, {2, m_pty.slavePath()}, {11, m_pty.slavePath()}}, {});
        const RegistryValue value = ReadRegistryValue(root, key, valueName, map);
        const QString *text = std::get_if<QString>(&value);
        QCOMPARE(text ? *text : QString(), expected);
        QCOMPARE(text != nullptr, !expected.isEmpty());
    }

    void enumSerialPorts()
    {
        QCOMPARE(EnumSerialPorts(PortMap()), QString(16, QLatin1Char(',')));
        const PortMap onlyEleven = PortMap::build({{1, m_missing}, {11, m_pty.slavePath()}}, {});
        const QString list = EnumSerialPorts(onlyEleven);
        QCOMPARE(list,
                 QString(10, QLatin1Char(',')) + QStringLiteral("COM11") + QString(6, QLatin1Char(',')));
        QVERIFY(!knownPortsListHas(list, QStringLiteral("Com1")));
        QVERIFY(knownPortsListHas(list, QStringLiteral("com11")));
    }

    void knownPortsFromAnySource()
    {
        const QString list = knownPortsList([](const QString &valueName) -> RegistryValue {
            if (valueName == QLatin1String("\\Device\\Serial0"))
                return qint32(-7);
            if (valueName == QLatin1String("\\Device\\Serial2"))
                return QStringLiteral("com2");
            return {};
        });
        QCOMPARE(list, QStringLiteral("-7,,com2,") + QString(13, QLatin1Char(',')));
        QVERIFY(knownPortsListHas(list, QStringLiteral("COM2")));
        QVERIFY(knownPortsListHas(list, QStringLiteral("Com2")));
        QVERIFY(!knownPortsListHas(list, QStringLiteral("Com3")));
    }

    void fillPortList_data()
    {
        QTest::addColumn<int>("highest");
        QTest::addColumn<bool>("onlyKnown");
        QTest::addColumn<QString>("expected");
        QTest::newRow("0 is 4, only known") << 0 << true << "alt Com2";
        QTest::newRow("4, only known") << 4 << true << "alt Com2";
        QTest::newRow("0 is 4, all") << 0 << false << "alt Com1 Com2 Com3 Com4";
        QTest::newRow("2, all") << 2 << false << "alt Com1 Com2";
    }

    void fillPortList()
    {
        QFETCH(int, highest);
        QFETCH(bool, onlyKnown);
        QFETCH(QString, expected);
        pinTestPorts();
        QComboBox box;
        box.addItem(QStringLiteral("alt"));
        FillPortList(&box, qint16(highest), onlyKnown);
        QCOMPARE(rowText(box), expected);
        QCOMPARE(box.itemData(0, Qt::ToolTipRole), QVariant());
        const QMap<QString, QString> tips{{"Com1", m_missing},
                                          {"Com2", m_pty.slavePath()},
                                          {"Com3", m_missing},
                                          {"Com4", m_dir.filePath(QStringLiteral("plain.txt"))}};
        for (int i = 1; i < box.count(); ++i)
            QCOMPARE(box.itemData(i, Qt::ToolTipRole).toString(), tips.value(box.itemText(i)));
    }

    void fillPortListUpToSixteen()
    {
        pinTestPorts();
        QComboBox all;
        FillPortList(&all, 16, false);
        QCOMPARE(all.count(), 16);
        QCOMPARE(all.itemText(15), QStringLiteral("Com16"));

        QComboBox known;
        FillPortList(&known, 16, true);
        const QString text = rowText(known);
        QVERIFY(text.startsWith(QStringLiteral("Com2 ")));
        QVERIFY(text.contains(QStringLiteral("Com11")));

        const PortMap empty;
        QComboBox none;
        FillPortList(&none, 3, false, empty);
        QCOMPARE(none.itemData(2, Qt::ToolTipRole).toString(), QStringLiteral("kein Gerät"));
        FillPortList(&none, 16, true, empty);
        QCOMPARE(none.count(), 3);
    }

    void portExists_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("exists");
        QTest::newRow("Com2") << "Com2" << true;
        QTest::newRow("com2") << "com2" << true;
        QTest::newRow("COM11") << "COM11" << true;
        QTest::newRow("Com1 not from COM11") << "Com1" << false;
        QTest::newRow("missing device") << "Com3" << false;
        QTest::newRow("regular file") << "Com4" << false;
    }

    void portExists()
    {
        QFETCH(QString, name);
        QFETCH(bool, exists);
        pinTestPorts();
        QCOMPARE(PortExists(name), exists);
    }
};

QTEST_MAIN(TestPortMap)
#include "tst_portmap.moc"
