// Reads through a real pseudo-terminal against the simulated instrument.

#include "SimFrame.h"
#include "support/MessageBoxCatcher.h"
#include "support/SimFixture.h"

#include "config/PortMap.h"
#include "link/Frame.h"
#include "link/FrameReader.h"
#include "link/ReadStatus.h"
#include "link/SerialPortLayer.h"
#include "ui/ErrorBox.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(ReadOutcome)

namespace {

SimMode withFields(int poles)
{
    SimMode mode;
    mode.fields.poles = static_cast<std::uint8_t>(poles);
    return mode;
}

// Whether another program could take the port now: the read left it closed
// and gave up its lock.
bool portIsFree(const QString &path)
{
    QSerialPort other;
    other.setPortName(path);
    if (!other.open(QIODevice::ReadWrite))
        return false;
    other.close();
    return true;
}

} // namespace

class TestFrameReader : public QObject
{
    Q_OBJECT

private slots:
    void messages();
    void portLabels();

    void lineSettings_data();
    void lineSettings();
    void reasons_data();
    void reasons();
    void portOperationsOutOfOrder();
    void defaultPortFollowsTheProgramPortMap();

    void modes_data();
    void modes();
    void pacedAnswerArrivesWhole();
    void readThroughSettingsFile();
    void lateAnswerDoesNotReachTheNextRead();
    void noSuchPort_data();
    void noSuchPort();
    void portBusy_data();
    void portBusy();
    void notASerialDevice_data();
    void notASerialDevice();
    void deviceVanishesDuringRead_data();
    void deviceVanishesDuringRead();
    void windowPortIsReusable();

    void statusText_data();
    void statusText();

    void errorBoxesAreCaught();
};

void TestFrameReader::messages()
{
    const UserMessage portMessage = portNotAccessibleMessage();
    QCOMPARE(portMessage.title, QStringLiteral("Fehler: Schnittstelle"));
    QCOMPARE(portMessage.text,
             QStringLiteral("Die gewählte Schnittstelle kann nicht angesprochen werden!!!"));

    const UserMessage noData = noDataMessage();
    QCOMPARE(noData.title, QStringLiteral("Fehler: keine Daten empfangen"));
    QCOMPARE(noData.text,
             QStringLiteral("Keine Daten an der gewählten Schnittstelle empfangen, Wahl der "
                            "Schnittstelle und Kabel prüfen.\n\nACHTUNG: Es können nur Daten "
                            "empfangen werden, wenn das Messgerät im 'Daten-Halten-Modus' ist!!!"));
    QCOMPARE(withCause(noData, QString()), noData);
}

void TestFrameReader::portLabels()
{
    QCOMPARE(portLabel(3, QStringLiteral("/dev/ttyUSB0")), QStringLiteral("Com3 (/dev/ttyUSB0)"));
    QCOMPARE(portLabel(3, QString()), QStringLiteral("Com3 (kein Gerät)"));
    QCOMPARE(portLabel(0, QString()), QStringLiteral("Com0 (kein Gerät)"));
    // The status bar's port field, from the device a read found or missed.
    QCOMPARE(portFieldText(QStringLiteral("COM3"), QStringLiteral("/dev/ttyUSB0"), true),
             QStringLiteral("COM3: /dev/ttyUSB0"));
    QCOMPARE(portFieldText(QStringLiteral("Com3"), QStringLiteral("/dev/ttyUSB0"), false),
             QStringLiteral("Com3: /dev/ttyUSB0 (fehlt)"));
    QCOMPARE(portFieldText(QStringLiteral("Com3"), QString(), false), QStringLiteral("Com3: kein Gerät"));
}

void TestFrameReader::lineSettings_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("baud");
    QTest::addColumn<int>("parity");
    QTest::addColumn<int>("dataBits");
    QTest::addColumn<int>("stopBits");

    QTest::newRow("read settings") << "9600,N,8,1" << true << 9600 << int(QSerialPort::NoParity) << 8
                                   << int(QSerialPort::OneStop);
    QTest::newRow("blanks, lower case") << " 19200, e ,7, 2" << true << 19200 << int(QSerialPort::EvenParity)
                                        << 7 << int(QSerialPort::TwoStop);
    QTest::newRow("odd, 1.5") << "4800,O,5,1.5" << true << 4800 << int(QSerialPort::OddParity) << 5
                              << int(QSerialPort::OneAndHalfStop);
    QTest::newRow("mark") << "9600,M,8,1" << true << 9600 << int(QSerialPort::MarkParity) << 8
                          << int(QSerialPort::OneStop);
    QTest::newRow("space") << "9600,S,8,1" << true << 9600 << int(QSerialPort::SpaceParity) << 8
                           << int(QSerialPort::OneStop);
    QTest::newRow("empty") << "" << false << 0 << 0 << 0 << 0;
    QTest::newRow("three parts") << "9600,N,8" << false << 0 << 0 << 0 << 0;
    QTest::newRow("bad baud") << "fast,N,8,1" << false << 0 << 0 << 0 << 0;
    QTest::newRow("zero baud") << "0,N,8,1" << false << 0 << 0 << 0 << 0;
    QTest::newRow("bad parity") << "9600,X,8,1" << false << 0 << 0 << 0 << 0;
    QTest::newRow("nine data bits") << "9600,N,9,1" << false << 0 << 0 << 0 << 0;
    QTest::newRow("three stop bits") << "9600,N,8,3" << false << 0 << 0 << 0 << 0;
}

void TestFrameReader::lineSettings()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);

    const std::optional<LineSettings> settings = LineSettings::parse(text);
    QCOMPARE(settings.has_value(), valid);
    if (!valid)
        return;
    QTEST(settings->baudRate, "baud");
    QTEST(int(settings->parity), "parity");
    QTEST(int(settings->dataBits), "dataBits");
    QTEST(int(settings->stopBits), "stopBits");
}

void TestFrameReader::reasons_data()
{
    QTest::addColumn<QSerialPort::SerialPortError>("error");
    QTest::addColumn<bool>("accessible");
    QTest::addColumn<bool>("characterDevice");
    QTest::addColumn<QString>("reason");

    QTest::newRow("locked by another program")
        << QSerialPort::PermissionError << true << true << "Gerät belegt";
    QTest::newRow("no rights") << QSerialPort::PermissionError << false << true
                               << "Zugriff verweigert – ist der Benutzer in der Gruppe dialout?";
    QTest::newRow("not found") << QSerialPort::DeviceNotFoundError << true << true << "Gerät nicht gefunden";
    QTest::newRow("resource") << QSerialPort::ResourceError << true << true << "Gerät entfernt";
    QTest::newRow("read") << QSerialPort::ReadError << true << true << "Gerät entfernt";
    QTest::newRow("not a tty") << QSerialPort::UnsupportedOperationError << true << true
                               << "Kein serielles Gerät";
    QTest::newRow("write") << QSerialPort::WriteError << true << true << "Senden fehlgeschlagen";
    QTest::newRow("timeout") << QSerialPort::TimeoutError << true << true << "Zeitüberschreitung";
    QTest::newRow("open twice") << QSerialPort::OpenError << true << true << "Schnittstelle bereits geöffnet";
    QTest::newRow("not open") << QSerialPort::NotOpenError << true << true << "Schnittstelle nicht geöffnet";
    QTest::newRow("unknown") << QSerialPort::UnknownError << true << true
                             << "Unbekannter Fehler der Schnittstelle";
    QTest::newRow("none") << QSerialPort::NoError << true << true << "";
    QTest::newRow("folder") << QSerialPort::UnknownError << true << false << "Kein serielles Gerät";
}

void TestFrameReader::reasons()
{
    QFETCH(QSerialPort::SerialPortError, error);
    QFETCH(bool, accessible);
    QFETCH(bool, characterDevice);
    QTEST(SerialPortLayer::reasonFor(error, accessible, characterDevice), "reason");
}

void TestFrameReader::portOperationsOutOfOrder()
{
    SimFixture fixture;
    QVERIFY2(fixture.isValid(), qPrintable(fixture.errorString()));
    SerialPortLayer port(fixture.portMap());

    QVERIFY(!port.output(" ").ok());
    QCOMPARE(port.output(" ").reason, QStringLiteral("Schnittstelle nicht geöffnet"));
    QVERIFY(!port.input().result.ok());
    QVERIFY(port.setPortOpen(false).ok()); // closing a closed port is harmless

    QVERIFY(!port.setSettings(QStringLiteral("9600;N;8;1")).ok());
    QCOMPARE(port.settings(), QStringLiteral("9600,N,8,1")); // unchanged
    QVERIFY(!port.setInputLen(-1).ok());
    QVERIFY(port.setInputLen(0).ok());
    QVERIFY(port.setSThreshold(0).ok());
    QVERIFY(port.setRThreshold(1).ok());
    QCOMPARE(port.rThreshold(), 1);

    QVERIFY(port.setCommPort(1).ok());
    QCOMPARE(port.devicePath(), fixture.devicePath());
    QVERIFY(port.setPortOpen(true).ok());
    QVERIFY(port.isPortOpen());
    QCOMPARE(port.setPortOpen(true).status, PortResult::Status::OtherFailure);
    QCOMPARE(port.setCommPort(2).status, PortResult::Status::OtherFailure); // not while open
    QCOMPARE(port.commPort(), 1);
    QVERIFY(port.setSettings(QStringLiteral("19200,N,8,2")).ok()); // applied to the open port
    // A pty keeps 8 data bits and no parity; the port says so and keeps the
    // text it could not apply out of its record.
    const PortResult parity = port.setSettings(QStringLiteral("9600,E,7,1"));
    QCOMPARE(parity.status, PortResult::Status::OtherFailure);
    QCOMPARE(parity.reason, QStringLiteral("Einstellungen nicht übernommen"));
    QCOMPARE(port.settings(), QStringLiteral("19200,N,8,2"));
    QVERIFY(port.setPortOpen(false).ok());
    QVERIFY(!port.isPortOpen());
    QVERIFY(portIsFree(fixture.devicePath()));
}

void TestFrameReader::defaultPortFollowsTheProgramPortMap()
{
    // Without a map of its own the port resolves through the settings file
    // (pins) and the system's devices, as PortMap::current() does. Nothing is
    // opened here: unpinned numbers may name real devices of this machine.
    SimFixture fixture;
    QVERIFY2(fixture.isValid(), qPrintable(fixture.errorString()));
    fixture.pin(3, QStringLiteral("/dev/ttyQuoranTest"));
    const PortMap expected = PortMap::current();
    SerialPortLayer port;
    for (int portNumber = 1; portNumber <= PortMap::MaxPort; ++portNumber) {
        QVERIFY(port.setCommPort(portNumber).ok());
        QCOMPARE(port.devicePath(), expected.devicePath(portNumber));
    }
    QVERIFY(port.setCommPort(1).ok());
    QCOMPARE(port.devicePath(), fixture.devicePath());
}

void TestFrameReader::modes_data()
{
    QTest::addColumn<SimMode>("mode");
    QTest::addColumn<bool>("demo");
    QTest::addColumn<ReadOutcome>("outcome");
    QTest::addColumn<QByteArray>("received");
    QTest::addColumn<std::optional<FrameCheck>>("check"); // of the received bytes

    const QByteArray demo = demoFrame();
    const SimMode six = withFields(6);
    const QByteArray sixFrame = SimFrame::build(six.fields);
    const auto faulty = [&](auto set) {
        SimMode mode = six;
        set(mode);
        return mode;
    };
    const SimMode silent = faulty([](SimMode &m) { m.silent = true; });
    const SimMode late = faulty([](SimMode &m) { m.lateMs = 300; });
    const SimMode badStart = faulty([](SimMode &m) { m.badStart = true; });
    const SimMode badEnd = faulty([](SimMode &m) { m.badEnd = true; });
    const SimMode badChecksum = faulty([](SimMode &m) { m.badChecksum = true; });
    const SimMode shortAnswer = faulty([](SimMode &m) { m.shortLength = 13; });
    const SimMode longAnswer = faulty([](SimMode &m) { m.longLength = 150; });
    const SimMode raw = faulty([](SimMode &m) { m.raw = QByteArray::fromHex("aa0203"); });

    const std::optional<FrameCheck> none;
    QTest::newRow("valid") << six << false << ReadOutcome::Received << sixFrame
                           << std::optional(FrameCheck::Valid);
    QTest::newRow("valid, demo") << six << true << ReadOutcome::Received << demo
                                 << std::optional(FrameCheck::Valid);
    QTest::newRow("silent") << silent << false << ReadOutcome::NoData << QByteArray() << none;
    QTest::newRow("silent, demo") << silent << true << ReadOutcome::Received << demo
                                  << std::optional(FrameCheck::Valid);
    QTest::newRow("late") << late << false << ReadOutcome::NoData << QByteArray() << none;
    QTest::newRow("late, demo") << late << true << ReadOutcome::Received << demo
                                << std::optional(FrameCheck::Valid);
    // The read takes what comes; checking is the caller's business.
    QTest::newRow("bad start") << badStart << false << ReadOutcome::Received << SimFrame::answer(badStart)
                               << std::optional(FrameCheck::WrongStartByte);
    QTest::newRow("bad end") << badEnd << false << ReadOutcome::Received << SimFrame::answer(badEnd)
                             << std::optional(FrameCheck::WrongEndByte);
    QTest::newRow("bad checksum") << badChecksum << false << ReadOutcome::Received
                                  << SimFrame::answer(badChecksum)
                                  << std::optional(FrameCheck::WrongChecksum);
    QTest::newRow("bad checksum, demo")
        << badChecksum << true << ReadOutcome::Received << demo << std::optional(FrameCheck::Valid);
    QTest::newRow("short 13") << shortAnswer << false << ReadOutcome::Received << sixFrame.left(13)
                              << std::optional(FrameCheck::WrongEndByte);
    QTest::newRow("long 150, first 100 kept")
        << longAnswer << false << ReadOutcome::Received << SimFrame::answer(longAnswer).left(100)
        << std::optional(FrameCheck::Valid);
    QTest::newRow("raw bytes") << raw << false << ReadOutcome::Received << QByteArray::fromHex("aa0203")
                               << std::optional(FrameCheck::WrongStartByte);
}

void TestFrameReader::modes()
{
    QFETCH(SimMode, mode);
    QFETCH(bool, demo);
    QFETCH(ReadOutcome, outcome);
    QFETCH(QByteArray, received);
    QFETCH(std::optional<FrameCheck>, check);

    SimFixture fixture(mode);
    QVERIFY2(fixture.isValid(), qPrintable(fixture.errorString()));
    SerialPortLayer port(fixture.portMap());

    const ReadResult result = readFrame(port, 1, demo);

    QCOMPARE(result.outcome, outcome);
    QCOMPARE(result.buffer.received(), received);
    QCOMPARE(result.buffer.receivedCount(), received.size());
    QCOMPARE(result.portLabel, QStringLiteral("Com1 (%1)").arg(fixture.devicePath()));
    // A silent instrument's device is still there.
    QCOMPARE(portFieldText(QStringLiteral("Com1"), result), QStringLiteral("Com1: ") + fixture.devicePath());
    QCOMPARE(result.reason, QString());
    QCOMPARE(result.message, outcome == ReadOutcome::NoData ? noDataMessage() : UserMessage{});
    if (check)
        QCOMPARE(checkFrame(result.buffer), *check);
    if (outcome == ReadOutcome::NoData) {
        for (int position = 1; position <= Frame::BufferSize; ++position)
            QCOMPARE(result.buffer.at(position), std::uint8_t{0});
    }
    // The port was really used, in demo mode too, and is free again.
    QVERIFY(fixture.sim().waitForRequests(1, 5000));
    QCOMPARE(fixture.sim().requestCount(), 1);
    QVERIFY(!port.isPortOpen());
    QVERIFY(portIsFree(fixture.devicePath()));
}

void TestFrameReader::pacedAnswerArrivesWhole()
{
    // At the real line speed 26 bytes take about 27 ms, well inside the wait.
    SimMode mode = withFields(8);
    mode.paced = true;
    SimFixture fixture(mode);
    QVERIFY2(fixture.isValid(), qPrintable(fixture.errorString()));
    for (int i = 0; i < 3; ++i) {
        const ReadResult result = readFrame(1, false, fixture.portMap());
        QCOMPARE(result.outcome, ReadOutcome::Received);
        QCOMPARE(result.buffer.received(), SimFrame::build(mode.fields));
    }
}

void TestFrameReader::readThroughSettingsFile()
{
    // PortMap::current() reads the settings file the fixture wrote.
    SimFixture fixture(withFields(5));
    QVERIFY2(fixture.isValid(), qPrintable(fixture.errorString()));
    const ReadResult result = readFrame(1, false);
    QCOMPARE(result.outcome, ReadOutcome::Received);
    QCOMPARE(result.buffer.received(), SimFrame::build(withFields(5).fields));
    QCOMPARE(result.portLabel, QStringLiteral("Com1 (%1)").arg(fixture.devicePath()));

    // Pins added later reach the settings file too.
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("ttyGone"));
    fixture.pin(4, missing);
    QCOMPARE(PortMap::current().devicePath(4), missing);
    const ReadResult gone = readFrame(4, true);
    QCOMPARE(gone.outcome, ReadOutcome::PortNotAccessible);
    QCOMPARE(gone.portLabel, QStringLiteral("Com4 (%1)").arg(missing));
}

void TestFrameReader::lateAnswerDoesNotReachTheNextRead()
{
    SimMode late = withFields(1);
    late.lateMs = 300;
    const SimMode prompt = withFields(2);
    SimFixture fixture(late);
    QVERIFY2(fixture.isValid(), qPrintable(fixture.errorString()));

    QCOMPARE(readFrame(1, false, fixture.portMap()).outcome, ReadOutcome::NoData);

    // Straight after: the late answer is still on its way; this read sees only
    // its own answer.
    fixture.setMode(prompt);
    const ReadResult next = readFrame(1, false, fixture.portMap());
    QCOMPARE(next.outcome, ReadOutcome::Received);
    QCOMPARE(next.buffer.received(), SimFrame::build(prompt.fields));

    // Now the late answer lands while the port is closed and waits in the
    // pty. QSerialPort does not flush on open (it would hand out 52 bytes,
    // the stale frame first); the port layer does, so a read starts afresh.
    QTRY_COMPARE_WITH_TIMEOUT(fixture.sim().answerCount(), 2, 5000);
    const ReadResult third = readFrame(1, false, fixture.portMap());
    QCOMPARE(third.outcome, ReadOutcome::Received);
    QCOMPARE(third.buffer.received(), SimFrame::build(prompt.fields));
    QCOMPARE(fixture.sim().requestCount(), 3);
}

void TestFrameReader::noSuchPort_data()
{
    QTest::addColumn<int>("portNumber");
    QTest::addColumn<bool>("demo");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QString>("label");

    for (const bool demo : {false, true}) {
        const char *suffix = demo ? ", demo" : "";
        QTest::addRow("pinned to a missing device%s", suffix) << 2 << demo << "Gerät nicht gefunden"
                                                              << "Com2 (%missing%)";
        QTest::addRow("no device in the map%s", suffix) << 3 << demo << "kein Gerät zugeordnet"
                                                        << "Com3 (kein Gerät)";
        QTest::addRow("number 0%s", suffix) << 0 << demo << "Schnittstellennummer ungültig"
                                            << "Com0 (kein Gerät)";
        QTest::addRow("number 17%s", suffix) << 17 << demo << "Schnittstellennummer ungültig"
                                             << "Com17 (kein Gerät)";
        QTest::addRow("number -1%s", suffix) << -1 << demo << "Schnittstellennummer ungültig"
                                             << "Com-1 (kein Gerät)";
    }
}

void TestFrameReader::noSuchPort()
{
    QFETCH(int, portNumber);
    QFETCH(bool, demo);
    QFETCH(QString, label);

    SimFixture fixture;
    QVERIFY2(fixture.isValid(), qPrintable(fixture.errorString()));
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("ttyGone"));
    fixture.pin(2, missing);
    label.replace(QStringLiteral("%missing%"), missing);

    SerialPortLayer port(fixture.portMap());
    const ReadResult result = readFrame(port, portNumber, demo);

    QCOMPARE(result.outcome, ReadOutcome::PortNotAccessible);
    QTEST(result.reason, "reason");
    // The box says why, as the no-data box does.
    QCOMPARE(result.message, withCause(portNotAccessibleMessage(), result.reason));
    QVERIFY(result.message.text.endsWith(QStringLiteral("!!!\n\nUrsache: ") + result.reason));
    QCOMPARE(result.portLabel, label);
    QVERIFY(!result.deviceFound());
    QCOMPARE(result.buffer.receivedCount(), 0);
    QVERIFY(!port.isPortOpen());

    // Nothing went wrong with the port the read did not reach.
    QCOMPARE(fixture.sim().requestCount(), 0);
    const ReadResult good = readFrame(port, 1, demo);
    QCOMPARE(good.outcome, ReadOutcome::Received);
    QCOMPARE(good.buffer.received(), demoFrame());
}

void TestFrameReader::portBusy_data()
{
    QTest::addColumn<bool>("demo");
    QTest::newRow("outside demo") << false;
    QTest::newRow("demo") << true;
}

void TestFrameReader::portBusy()
{
    QFETCH(bool, demo);
    SimFixture fixture(withFields(7));
    QVERIFY2(fixture.isValid(), qPrintable(fixture.errorString()));

    {
        // Another program holds the port: QSerialPort's lock file says so.
        QSerialPort holder;
        holder.setPortName(fixture.devicePath());
        QVERIFY(holder.open(QIODevice::ReadWrite));

        SerialPortLayer port(fixture.portMap());
        const ReadResult busy = readFrame(port, 1, demo);
        QCOMPARE(busy.reason, QStringLiteral("Gerät belegt"));
        QCOMPARE(busy.outcome, demo ? ReadOutcome::Received : ReadOutcome::NoData);
        // The box names the cause the status bar shows, after the usual advice.
        const UserMessage withReason{noDataMessage().title,
                                     noDataMessage().text + QStringLiteral("\n\nUrsache: Gerät belegt")};
        QCOMPARE(busy.message, demo ? UserMessage{} : withReason);
        QCOMPARE(busy.buffer.received(), demo ? demoFrame() : QByteArray());
        QVERIFY(!port.isPortOpen());
        // Sending was skipped with the open; the request never left.
        QCOMPARE(fixture.sim().requestCount(), 0);
    }

    const ReadResult freed = readFrame(1, false, fixture.portMap());
    QCOMPARE(freed.outcome, ReadOutcome::Received);
    QCOMPARE(freed.reason, QString());
    QCOMPARE(freed.buffer.received(), SimFrame::build(withFields(7).fields));
}

void TestFrameReader::notASerialDevice_data()
{
    QTest::addColumn<bool>("folder");
    QTest::newRow("plain file") << false;
    QTest::newRow("folder") << true;
}

void TestFrameReader::notASerialDevice()
{
    QFETCH(bool, folder);
    SimFixture fixture;
    QVERIFY2(fixture.isValid(), qPrintable(fixture.errorString()));
    QTemporaryDir dir;
    const QString plain = dir.filePath(QStringLiteral("notatty"));
    if (folder) {
        QVERIFY(QDir().mkdir(plain));
    } else {
        QFile file(plain);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    fixture.pin(2, plain);

    const ReadResult result = readFrame(2, false, fixture.portMap());
    QCOMPARE(result.outcome, ReadOutcome::NoData);
    QCOMPARE(result.reason, QStringLiteral("Kein serielles Gerät"));
    QCOMPARE(result.message, withCause(noDataMessage(), result.reason));
}

void TestFrameReader::deviceVanishesDuringRead_data()
{
    QTest::addColumn<bool>("demo");
    QTest::newRow("outside demo") << false;
    QTest::newRow("demo") << true;
}

void TestFrameReader::deviceVanishesDuringRead()
{
    QFETCH(bool, demo);
    SimMode hangUp;
    hangUp.hangUp = true;
    SimFixture fixture(hangUp);
    QVERIFY2(fixture.isValid(), qPrintable(fixture.errorString()));
    const QString vanished = fixture.devicePath();
    SerialPortLayer port(fixture.portMap());

    // The instrument closes the line on the request, while the read waits:
    // taking the input fails and is skipped.
    const ReadResult result = readFrame(port, 1, demo);
    QCOMPARE(fixture.sim().requestCount(), 1);
    QCOMPARE(result.reason, QStringLiteral("Gerät entfernt"));
    QCOMPARE(result.outcome, demo ? ReadOutcome::Received : ReadOutcome::NoData);
    QCOMPARE(result.message, demo ? UserMessage{} : withCause(noDataMessage(), result.reason));
    QCOMPARE(result.buffer.received(), demo ? demoFrame() : QByteArray());
    QVERIFY(!port.isPortOpen());

    // Gone like an unplugged adapter: its device file went with it.
    QVERIFY(!QFile::exists(vanished));
    const ReadResult gone = readFrame(port, 1, demo);
    // Tests running beside this one may open a pseudo-terminal that takes the
    // freed number; then the read met that device, whatever it answered.
    if (gone.reason != QStringLiteral("Gerät nicht gefunden") && QFile::exists(vanished))
        QSKIP("another pseudo-terminal took the vanished device's number");
    QCOMPARE(gone.outcome, ReadOutcome::PortNotAccessible);
    QCOMPARE(gone.reason, QStringLiteral("Gerät nicht gefunden"));

    // Plugged in again.
    QVERIFY2(fixture.restart(), qPrintable(fixture.errorString()));
    fixture.setMode(withFields(9));
    SerialPortLayer again(fixture.portMap());
    const ReadResult back = readFrame(again, 1, false);
    QCOMPARE(back.outcome, ReadOutcome::Received);
    QCOMPARE(back.buffer.received(), SimFrame::build(withFields(9).fields));
}

void TestFrameReader::windowPortIsReusable()
{
    // A window keeps one port for all its reads, whatever the last one did.
    SimFixture fixture(withFields(3));
    QVERIFY2(fixture.isValid(), qPrintable(fixture.errorString()));
    SerialPortLayer port(fixture.portMap());

    QCOMPARE(readFrame(port, 17, false).outcome, ReadOutcome::PortNotAccessible);
    QCOMPARE(readFrame(port, 1, false).outcome, ReadOutcome::Received);
    SimMode silent;
    silent.silent = true;
    fixture.setMode(silent);
    QCOMPARE(readFrame(port, 1, false).outcome, ReadOutcome::NoData);
    fixture.setMode(withFields(3));
    const ReadResult last = readFrame(port, 1, false);
    QCOMPARE(last.outcome, ReadOutcome::Received);
    QCOMPARE(last.buffer.received(), SimFrame::build(withFields(3).fields));
    QCOMPARE(fixture.sim().requestCount(), 3);
}

void TestFrameReader::statusText_data()
{
    QTest::addColumn<ReadOutcome>("outcome");
    QTest::addColumn<QByteArray>("received");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QString>("label");
    QTest::addColumn<std::optional<FrameCheck>>("check");
    QTest::addColumn<QTime>("time");
    QTest::addColumn<QString>("text");

    const QByteArray frame = demoFrame();
    const QString pty = QStringLiteral("Com3 (/dev/pts/4)");
    const QString usb = QStringLiteral("Com3 (/dev/ttyUSB0)");
    QTest::newRow("valid") << ReadOutcome::Received << frame << "" << pty << std::optional(FrameCheck::Valid)
                           << QTime(14, 3, 22) << "14:03:22 gültige Messung";
    QTest::newRow("checksum") << ReadOutcome::Received << frame << "" << pty
                              << std::optional(FrameCheck::WrongChecksum) << QTime(14, 5, 10)
                              << "14:05:10 Prüfsumme falsch";
    QTest::newRow("start byte") << ReadOutcome::Received << frame << "" << pty
                                << std::optional(FrameCheck::WrongStartByte) << QTime(14, 5, 10)
                                << "14:05:10 Startbyte falsch";
    QTest::newRow("end byte") << ReadOutcome::Received << frame << "" << pty
                              << std::optional(FrameCheck::WrongEndByte) << QTime(14, 5, 10)
                              << "14:05:10 Endbyte falsch";
    QTest::newRow("unchecked") << ReadOutcome::Received << frame << "" << pty << std::optional<FrameCheck>()
                               << QTime(9, 0, 1) << "09:00:01 26 Bytes empfangen";
    QTest::newRow("unchecked, one byte")
        << ReadOutcome::Received << QByteArray("\x02", 1) << "" << pty << std::optional<FrameCheck>()
        << QTime(9, 0, 1) << "09:00:01 1 Byte empfangen";
    QTest::newRow("no data") << ReadOutcome::NoData << QByteArray() << "" << pty
                             << std::optional<FrameCheck>() << QTime(14, 6, 0)
                             << "14:06:00 keine Daten empfangen (Com3 (/dev/pts/4))";
    QTest::newRow("no rights")
        << ReadOutcome::NoData << QByteArray()
        << "Zugriff verweigert – ist der Benutzer in der Gruppe dialout?" << usb
        << std::optional<FrameCheck>() << QTime(14, 6, 0)
        << "14:06:00 Com3 (/dev/ttyUSB0): Zugriff verweigert – ist der Benutzer in der "
           "Gruppe dialout?";
    QTest::newRow("busy") << ReadOutcome::NoData << QByteArray() << "Gerät belegt" << usb
                          << std::optional<FrameCheck>() << QTime(8, 7, 6)
                          << "08:07:06 Com3 (/dev/ttyUSB0): Gerät belegt";
    QTest::newRow("no such port") << ReadOutcome::PortNotAccessible << QByteArray() << "kein Gerät zugeordnet"
                                  << "Com5 (kein Gerät)" << std::optional<FrameCheck>() << QTime(23, 59, 59)
                                  << "23:59:59 Com5 (kein Gerät): kein Gerät zugeordnet";
    QTest::newRow("no such port, no reason")
        << ReadOutcome::PortNotAccessible << QByteArray() << ""
        << "Com5 (kein Gerät)" << std::optional<FrameCheck>() << QTime(0, 0, 0)
        << "00:00:00 Com5 (kein Gerät): Schnittstelle nicht ansprechbar";
}

void TestFrameReader::statusText()
{
    QFETCH(ReadOutcome, outcome);
    QFETCH(QByteArray, received);
    QFETCH(QString, reason);
    QFETCH(QString, label);
    QFETCH(std::optional<FrameCheck>, check);
    QFETCH(QTime, time);

    ReadResult result;
    result.outcome = outcome;
    result.buffer.fill(received);
    result.reason = reason;
    result.portLabel = label;
    QTEST(readStatusText(result, check, time), "text");
}

void TestFrameReader::errorBoxesAreCaught()
{
    // What window tests rely on: the boxes of a read are seen and closed.
    MessageBoxCatcher boxes;
    showErrorBox(portNotAccessibleMessage());
    showErrorBox(noDataMessage());
    QCOMPARE(boxes.messages(), (QList<UserMessage>{portNotAccessibleMessage(), noDataMessage()}));
    QCOMPARE(boxes.caught().constFirst().icon, QMessageBox::Critical);
    QVERIFY(QApplication::activeModalWidget() == nullptr);

    boxes.clear();
    QTimer::singleShot(50, [] { showErrorBox(noDataMessage()); });
    QVERIFY(boxes.waitForCount(1));
    QCOMPARE(boxes.messages(), QList<UserMessage>{noDataMessage()});
}

QTEST_MAIN(TestFrameReader)
#include "tst_framereader.moc"
