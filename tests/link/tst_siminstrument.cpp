// The simulated instrument: frames, fault modes, options, serving a pty or a
// device in-process, and the quoran-sim executable itself.

#include "SimFrame.h"
#include "SimInstrument.h"
#include "SimOptions.h"
#include "SimUniqueFd.h"

#include "config/PortMap.h"
#include "link/Frame.h"
#include "link/FrameReader.h"
#include "support/SimFixture.h"

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>

Q_DECLARE_METATYPE(SimFields)

namespace {

// Opens a tty end raw, as a program would.
SimUniqueFd openRaw(const QString &path)
{
    SimUniqueFd fd(::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (fd.isValid()) {
        termios tio{};
        ::tcgetattr(fd.get(), &tio);
        ::cfmakeraw(&tio);
        ::tcsetattr(fd.get(), TCSANOW, &tio);
    }
    return fd;
}

// Writes the request and collects what comes back until `expected` bytes are
// there or nothing more comes for a while.
QByteArray exchange(int fd, const QByteArray &request, qsizetype expected, int quietMs = 1000)
{
    if (!request.isEmpty() && ::write(fd, request.constData(), size_t(request.size())) != request.size())
        return {};
    QByteArray received;
    while (received.size() < expected) {
        pollfd pfd{fd, POLLIN, 0};
        if (::poll(&pfd, 1, quietMs) <= 0)
            break;
        char buffer[512];
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got <= 0)
            break;
        received.append(buffer, got);
    }
    return received;
}

QString simExecutable()
{
    return qEnvironmentVariable("QUORAN_SIM");
}

SimFields fields(auto set)
{
    SimFields result;
    set(result);
    return result;
}

} // namespace

class TestSimInstrument : public QObject
{
    Q_OBJECT

private slots:
    void defaultFrameIsTheDemoFrame();
    void build_data();
    void build();
    void answer_data();
    void answer();
    void parseHex_data();
    void parseHex();
    void options_data();
    void options();

    void servesPty();
    void survivesReopenOfTheSlave();
    void modeChangesBetweenRequests();
    void hangUpClosesTheLine();
    void servesDevice();

    void executableHelp();
    void executableRejectsBadOptions();
    void executableServesAndEnds_data();
    void executableServesAndEnds();
};

void TestSimInstrument::defaultFrameIsTheDemoFrame()
{
    const QByteArray frame = SimFrame::build(SimFields{});
    QCOMPARE(frame, QByteArray::fromHex(
                        "02 04 00 F9 00 00 00 1C 00 00 01 14 00 1C 00 0E 01 00 00 01 00 56 00 2B 9B 03"));
    QCOMPARE(frame, demoFrame());
    QCOMPARE(SimFrame::checksum(frame), std::uint8_t{0x9B});
}

void TestSimInstrument::build_data()
{
    QTest::addColumn<SimFields>("fields");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QByteArray>("bytes"); // expected at offset

    QTest::newRow("poles") << fields([](SimFields &f) { f.poles = 255; }) << 1 << QByteArray::fromHex("ff");
    QTest::newRow("period max") << fields([](SimFields &f) { f.period = 0xFFFF; }) << 2
                                << QByteArray::fromHex("ffff");
    QTest::newRow("period 0") << fields([](SimFields &f) { f.period = 0; }) << 2
                              << QByteArray::fromHex("0000");
    QTest::newRow("kv big-endian") << fields([](SimFields &f) { f.kv = 0x01020304; }) << 4
                                   << QByteArray::fromHex("01020304");
    QTest::newRow("kv negative") << fields([](SimFields &f) { f.kv = -2; }) << 4
                                 << QByteArray::fromHex("fffffffe");
    QTest::newRow("voltage") << fields([](SimFields &f) { f.voltage = 276; }) << 8
                             << QByteArray::fromHex("00000114");
    QTest::newRow("el angle -3.0") << fields([](SimFields &f) { f.elAngle = -30; }) << 12
                                   << QByteArray::fromHex("ffe2");
    QTest::newRow("mech angle min") << fields([](SimFields &f) { f.mechAngle = -32768; }) << 14
                                    << QByteArray::fromHex("8000");
    QTest::newRow("teeth") << fields([](SimFields &f) { f.teeth = 0x7FFF; }) << 16
                           << QByteArray::fromHex("7fff");
    QTest::newRow("offsets") << fields([](SimFields &f) {
        f.offsetU = 0x0102;
        f.offsetV = 0x0304;
        f.offsetW = -1;
    }) << 18 << QByteArray::fromHex("01020304ffff");
}

void TestSimInstrument::build()
{
    QFETCH(SimFields, fields);
    QFETCH(int, offset);
    QFETCH(QByteArray, bytes);

    const QByteArray frame = SimFrame::build(fields);
    QCOMPARE(frame.size(), 26);
    QCOMPARE(frame.mid(offset, bytes.size()), bytes);
    std::uint8_t xorSum = 0;
    for (int i = 1; i <= 23; ++i)
        xorSum ^= std::uint8_t(frame.at(i));
    QCOMPARE(std::uint8_t(frame.at(24)), xorSum);
    // The program's own check agrees.
    QCOMPARE(checkFrame(ReceptionBuffer(frame)), FrameCheck::Valid);
}

void TestSimInstrument::answer_data()
{
    QTest::addColumn<SimMode>("mode");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<int>("check"); // FrameCheck of the answer

    const QByteArray frame = demoFrame();
    const auto mode = [](auto set) {
        SimMode m;
        set(m);
        return m;
    };
    QByteArray badStart = frame;
    badStart[0] = 0x55;
    QByteArray badEnd = frame;
    badEnd[25] = 0x55;
    QByteArray badChecksum = frame;
    badChecksum[24] = char(0x9B ^ 0xFF);
    QByteArray longAnswer = frame;
    for (int i = 26; i < 150; ++i)
        longAnswer.append(char(i));

    QTest::newRow("plain") << SimMode{} << frame << int(FrameCheck::Valid);
    QTest::newRow("silent") << mode([](SimMode &m) { m.silent = true; }) << QByteArray() << -1;
    QTest::newRow("late answers the same")
        << mode([](SimMode &m) { m.lateMs = 300; }) << frame << int(FrameCheck::Valid);
    QTest::newRow("bad start") << mode([](SimMode &m) { m.badStart = true; }) << badStart
                               << int(FrameCheck::WrongStartByte);
    QTest::newRow("bad end") << mode([](SimMode &m) { m.badEnd = true; }) << badEnd
                             << int(FrameCheck::WrongEndByte);
    QTest::newRow("bad checksum") << mode([](SimMode &m) { m.badChecksum = true; }) << badChecksum
                                  << int(FrameCheck::WrongChecksum);
    QTest::newRow("short 13") << mode([](SimMode &m) { m.shortLength = 13; }) << frame.left(13)
                              << int(FrameCheck::WrongEndByte);
    QTest::newRow("long 150") << mode([](SimMode &m) { m.longLength = 150; }) << longAnswer
                              << int(FrameCheck::Valid);
    QTest::newRow("raw as given") << mode([](SimMode &m) { m.raw = QByteArray::fromHex("02ff03"); })
                                  << QByteArray::fromHex("02ff03") << int(FrameCheck::WrongEndByte);
}

void TestSimInstrument::answer()
{
    QFETCH(SimMode, mode);
    QFETCH(QByteArray, expected);
    QFETCH(int, check);

    const QByteArray answer = SimFrame::answer(mode);
    QCOMPARE(answer, expected);
    if (check >= 0)
        QCOMPARE(int(checkFrame(ReceptionBuffer(answer))), check);
}

void TestSimInstrument::parseHex_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("blanks") << "02 04 00 F9" << true << QByteArray::fromHex("020400f9");
    QTest::newRow("run together") << "0204ff" << true << QByteArray::fromHex("0204ff");
    QTest::newRow("commas, 0x") << "0x02,0x03" << true << QByteArray::fromHex("0203");
    QTest::newRow("lower case") << "ab cd" << true << QByteArray::fromHex("abcd");
    QTest::newRow("odd digits") << "2 04" << false << QByteArray();
    QTest::newRow("not hex") << "zz" << false << QByteArray();
    QTest::newRow("empty") << "  " << false << QByteArray();
}

void TestSimInstrument::parseHex()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    const std::optional<QByteArray> bytes = SimFrame::parseHex(text);
    QCOMPARE(bytes.has_value(), valid);
    if (valid)
        QTEST(*bytes, "bytes");
}

void TestSimInstrument::options_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<SimMode>("mode");

    const auto mode = [](auto set) {
        SimMode m;
        set(m);
        return m;
    };
    QTest::newRow("none") << QStringList{} << true << SimMode{};
    QTest::newRow("fields")
        << QStringList{"--poles", "6",   "--period",   "1000", "--kv",       "-5", "--voltage=4000",
                       "--teeth", "360", "--offset-u", "7",    "--offset-v", "8",  "--offset-w",
                       "9"}
        << true << mode([](SimMode &m) {
               m.fields.poles = 6;
               m.fields.period = 1000;
               m.fields.kv = -5;
               m.fields.voltage = 4000;
               m.fields.teeth = 360;
               m.fields.offsetU = 7;
               m.fields.offsetV = 8;
               m.fields.offsetW = 9;
           });
    QTest::newRow("angles signed") << QStringList{"--el-angle", "-30", "--mech-angle", "32767"} << true
                                   << mode([](SimMode &m) {
                                          m.fields.elAngle = -30;
                                          m.fields.mechAngle = 32767;
                                      });
    QTest::newRow("angle as unsigned hex")
        << QStringList{"--el-angle", "0xFFE2"} << true << mode([](SimMode &m) { m.fields.elAngle = -30; });
    QTest::newRow("kv as unsigned") << QStringList{"--kv", "4294967295"} << true
                                    << mode([](SimMode &m) { m.fields.kv = -1; });
    QTest::newRow("faults") << QStringList{"--silent", "--bad-start", "--bad-end", "--bad-checksum",
                                           "--paced",  "--hang-up",   "--late",    "300",
                                           "--short",  "13",          "--long",    "150"}
                            << true << mode([](SimMode &m) {
                                   m.silent = m.badStart = m.badEnd = m.badChecksum = m.paced = m.hangUp =
                                       true;
                                   m.lateMs = 300;
                                   m.shortLength = 13;
                                   m.longLength = 150;
                               });
    QTest::newRow("raw") << QStringList{"--raw", "02 04 03"} << true
                         << mode([](SimMode &m) { m.raw = QByteArray::fromHex("020403"); });
    QTest::newRow("poles too big") << QStringList{"--poles", "256"} << false << SimMode{};
    QTest::newRow("period negative") << QStringList{"--period", "-1"} << false << SimMode{};
    QTest::newRow("angle too big") << QStringList{"--el-angle", "65536"} << false << SimMode{};
    QTest::newRow("not a number") << QStringList{"--teeth", "many"} << false << SimMode{};
    QTest::newRow("missing value") << QStringList{"--late"} << false << SimMode{};
    QTest::newRow("long shorter than a frame") << QStringList{"--long", "20"} << false << SimMode{};
    QTest::newRow("bad raw") << QStringList{"--raw", "xyz"} << false << SimMode{};
    QTest::newRow("unknown option") << QStringList{"--loud"} << false << SimMode{};
    QTest::newRow("stray argument") << QStringList{"COM1"} << false << SimMode{};
    QTest::newRow("link and device") << QStringList{"--link", "a", "--device", "b"} << false << SimMode{};
}

void TestSimInstrument::options()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, valid);

    const SimParseResult result = parseSimCommandLine(QStringList{"quoran-sim"} + arguments);
    QCOMPARE(result.commandLine.has_value(), valid);
    QCOMPARE(result.error.isEmpty(), valid);
    if (valid)
        QTEST(result.commandLine->mode, "mode");
}

void TestSimInstrument::servesPty()
{
    QString error;
    const auto sim = SimInstrument::onPty(SimMode{}, {}, &error);
    QVERIFY2(sim, qPrintable(error));
    QVERIFY(QFileInfo(sim->devicePath()).exists());

    const SimUniqueFd fd = openRaw(sim->devicePath());
    QVERIFY(fd.isValid());
    QCOMPARE(exchange(fd.get(), " ", 26), demoFrame());
    // Two blanks in one go are two requests; anything else is no request.
    QCOMPARE(exchange(fd.get(), "x  y", 52), demoFrame() + demoFrame());
    QCOMPARE(sim->requestCount(), 3);
    // Counted once the write returned, which may be just after we read.
    QTRY_COMPARE(sim->answerCount(), 3);
    // Raw both ways: CR and LF pass untouched.
    SimMode crlf;
    crlf.raw = QByteArray("\r\n\n\r", 4);
    sim->setMode(crlf);
    QCOMPARE(exchange(fd.get(), " ", 4), QByteArray("\r\n\n\r", 4));

    sim->stop();
    QVERIFY(!sim->isServing());
    sim->stop(); // twice is harmless
}

void TestSimInstrument::survivesReopenOfTheSlave()
{
    // The program opens and closes the slave for every read; the master must
    // not see a hang-up that ends the simulator.
    const auto sim = SimInstrument::onPty(SimMode{});
    QVERIFY(sim);
    for (int i = 0; i < 5; ++i) {
        const SimUniqueFd fd = openRaw(sim->devicePath());
        QVERIFY(fd.isValid());
        QCOMPARE(exchange(fd.get(), " ", 26), demoFrame());
    }
    QVERIFY(sim->isServing());
    QCOMPARE(sim->requestCount(), 5);
}

void TestSimInstrument::modeChangesBetweenRequests()
{
    QStringList log;
    std::mutex logMutex;
    SimMode silent;
    silent.silent = true;
    const auto sim = SimInstrument::onPty(silent, [&](const QString &line) {
        const std::lock_guard lock(logMutex);
        log.append(line);
    });
    QVERIFY(sim);
    const SimUniqueFd fd = openRaw(sim->devicePath());

    QCOMPARE(exchange(fd.get(), " ", 1, 200), QByteArray());
    QVERIFY(sim->waitForRequests(1, 5000));
    SimMode six;
    six.fields.poles = 6;
    sim->setMode(six);
    QCOMPARE(sim->mode(), six);
    QCOMPARE(exchange(fd.get(), " ", 26), SimFrame::build(six.fields));
    QCOMPARE(sim->requestCount(), 2);
    QTRY_COMPARE(sim->answerCount(), 1);

    sim->stop();
    const std::lock_guard lock(logMutex);
    // Each line starts with its time, e.g. "14:03:22.123 request #1".
    QVERIFY(!log.isEmpty());
    for (const QString &line : log)
        QVERIFY2(QTime::fromString(line.left(12), QStringLiteral("HH:mm:ss.zzz")).isValid(),
                 qPrintable(line));
    QVERIFY(log.filter(QStringLiteral("request #1: no answer")).size() == 1);
    QVERIFY(log.filter(QStringLiteral("answer #2: 26 bytes: 02 06 00 F9")).size() == 1);
}

void TestSimInstrument::hangUpClosesTheLine()
{
    SimMode hangUp;
    hangUp.hangUp = true;
    const auto sim = SimInstrument::onPty(hangUp);
    QVERIFY(sim);
    const QString path = sim->devicePath();
    const SimUniqueFd fd = openRaw(path);
    QVERIFY(fd.isValid());
    QCOMPARE(exchange(fd.get(), " ", 1, 2000), QByteArray());
    QTRY_VERIFY(!sim->isServing());
    QCOMPARE(sim->requestCount(), 1);
    // The slave's device file goes with the master, like an unplugged adapter.
    QTRY_VERIFY(!QFileInfo::exists(path));
}

void TestSimInstrument::servesDevice()
{
    // A null-modem stand-in: the test holds a pty master, the simulator
    // serves the slave as if it were a serial device.
    int master = -1;
    int slave = -1;
    QCOMPARE(::openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
    const SimUniqueFd masterFd(master);
    const SimUniqueFd slaveFd(slave); // keeps the line up between our exchanges
    termios tio{};
    ::tcgetattr(master, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(master, TCSANOW, &tio);
    char name[128] = {};
    QCOMPARE(::ptsname_r(master, name, sizeof name), 0);

    SimMode bad;
    bad.badChecksum = true;
    QString error;
    const auto sim = SimInstrument::onDevice(QString::fromLocal8Bit(name), bad, {}, &error);
    QVERIFY2(sim, qPrintable(error));
    const QByteArray answer = exchange(master, " ", 26);
    QCOMPARE(answer, SimFrame::answer(bad));
    QCOMPARE(checkFrame(ReceptionBuffer(answer)), FrameCheck::WrongChecksum);

    // Not a serial device at all.
    QTemporaryDir dir;
    QFile plain(dir.filePath(QStringLiteral("plain")));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.close();
    QVERIFY(!SimInstrument::onDevice(plain.fileName(), SimMode{}, {}, &error));
    QVERIFY(error.contains(QStringLiteral("not a serial device")));
}

void TestSimInstrument::executableHelp()
{
    QVERIFY2(!simExecutable().isEmpty(), "QUORAN_SIM names no executable (run through ctest)");
    QProcess process;
    process.start(simExecutable(), {QStringLiteral("--help")});
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);
    const QString usage = QString::fromLocal8Bit(process.readAllStandardOutput());
    QVERIFY(usage.startsWith(QStringLiteral("Usage: quoran-sim")));
    for (const char *option : {"--link", "--device", "--poles", "--raw", "--silent", "--late", "--bad-start",
                               "--bad-end", "--bad-checksum", "--short", "--long", "--paced"})
        QVERIFY2(usage.contains(QLatin1String(option)), option);
}

void TestSimInstrument::executableRejectsBadOptions()
{
    QVERIFY2(!simExecutable().isEmpty(), "QUORAN_SIM names no executable (run through ctest)");
    QProcess process;
    process.start(simExecutable(), {QStringLiteral("--poles"), QStringLiteral("300")});
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitCode(), 2);
    QVERIFY(process.readAllStandardOutput().isEmpty());
    QVERIFY(process.readAllStandardError().contains("--poles"));
}

void TestSimInstrument::executableServesAndEnds_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("SIGTERM") << SIGTERM;
    QTest::newRow("SIGINT") << SIGINT;
}

void TestSimInstrument::executableServesAndEnds()
{
    QFETCH(int, signalNumber);
    QVERIFY2(!simExecutable().isEmpty(), "QUORAN_SIM names no executable (run through ctest)");
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("ttyQuoran"));

    QProcess process;
    process.start(simExecutable(),
                  {QStringLiteral("--link"), link, QStringLiteral("--poles"), QStringLiteral("12")});
    QVERIFY(process.waitForStarted(10000));
    QTRY_VERIFY_WITH_TIMEOUT(process.canReadLine(), 10000);
    const QString path = QString::fromLocal8Bit(process.readLine()).trimmed();
    QVERIFY(path.startsWith(QStringLiteral("/dev/pts/")));
    QCOMPARE(QFileInfo(link).symLinkTarget(), path);

    // The program's own read, through the link as a user would pin it.
    SimFields twelve;
    twelve.poles = 12;
    for (int i = 0; i < 2; ++i) {
        const ReadResult result = readFrame(1, false, PortMap::build({{1, link}}, {}));
        QCOMPARE(result.outcome, ReadOutcome::Received);
        QCOMPARE(result.buffer.received(), SimFrame::build(twelve));
    }

    QCOMPARE(::kill(pid_t(process.processId()), signalNumber), 0);
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);
    QVERIFY(!QFileInfo(link).isSymLink());
    const QByteArray log = process.readAllStandardError();
    QVERIFY2(log.contains("request #2") && log.contains("answer #2: 26 bytes: 02 0C"), log.constData());
}

QTEST_GUILESS_MAIN(TestSimInstrument)
#include "tst_siminstrument.moc"
