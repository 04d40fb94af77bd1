// Time of one read against the simulated instrument over a pseudo-terminal,
// and of decoding and formatting one frame. Prints "name: value unit" lines.
//
//   read_cycle [reads]        (default 200 of each kind)
//
// A read waits 100 ms for the instrument; the target is at most 5 ms on top
// of that in the median and 15 ms at the 99th percentile. Decoding plus
// formatting a frame should take well under 20 us.

#include "SimInstrument.h"

#include "config/PortMap.h"
#include "config/SettingsPath.h"
#include "link/Frame.h"
#include "link/FrameReader.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

// Runs the read `reads` times; the time of each in ms.
std::vector<double> timeReads(int reads, int &failures, const std::function<ReadResult()> &read)
{
    std::vector<double> readMs;
    readMs.reserve(static_cast<std::size_t>(reads));
    for (int i = 0; i < reads; ++i) {
        QElapsedTimer timer;
        timer.start();
        const ReadResult result = read();
        readMs.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        if (result.outcome != ReadOutcome::Received || checkFrame(result.buffer) != FrameCheck::Valid)
            ++failures;
    }
    return readMs;
}

// Nearest rank.
double percentile(std::vector<double> values, double fraction)
{
    std::sort(values.begin(), values.end());
    const auto rank = static_cast<std::size_t>(std::ceil(fraction * static_cast<double>(values.size())));
    return values.at(std::clamp<std::size_t>(rank, 1, values.size()) - 1);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int reads = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 200;

    QString error;
    const std::unique_ptr<SimInstrument> sim = SimInstrument::onPty(SimMode{}, {}, &error);
    if (!sim) {
        std::fprintf(stderr, "read_cycle: %s\n", qPrintable(error));
        return 1;
    }

    // Only the simulator's pty: never a serial device of this machine.
    const PortMap map = PortMap::build({{1, sim->devicePath()}}, {});
    int failures = 0;
    const std::vector<double> readMs = timeReads(reads, failures, [&] { return readFrame(1, false, map); });

    // The windows' way: the port map comes from the settings file (and the
    // system's device list) at every read.
    const QTemporaryDir dir;
    QFile settings(dir.filePath(QStringLiteral("quoran.ini")));
    const QByteArray pin =
        QStringLiteral("[Schnittstellen]\r\nCom1=%1\r\n").arg(sim->devicePath()).toLocal8Bit();
    if (!settings.open(QIODevice::WriteOnly) || settings.write(pin) != pin.size()) {
        std::fprintf(stderr, "read_cycle: cannot write %s\n", qPrintable(settings.fileName()));
        return 1;
    }
    settings.close();
    setSettingsFilePathForTesting(settings.fileName());
    const std::vector<double> settingsMapMs = timeReads(reads, failures, [] { return readFrame(1, false); });

    const ReceptionBuffer frame(demoFrame());
    const QLocale german(QLocale::German, QLocale::Germany);
    constexpr int Iterations = 100'000;
    qsizetype sink = 0;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < Iterations; ++i) {
        const MeasurementRecord record = decodeFrame(frame);
        const QStringList texts = displayTexts(record, german);
        sink += texts.constFirst().size();
    }
    const double decodeUs = static_cast<double>(timer.nsecsElapsed()) / 1e3 / Iterations;

    std::printf("read_median: %.2f ms\n", percentile(readMs, 0.5));
    std::printf("read_p99: %.2f ms\n", percentile(readMs, 0.99));
    std::printf("read_max: %.2f ms\n", *std::max_element(readMs.begin(), readMs.end()));
    std::printf("read_settings_map_median: %.2f ms\n", percentile(settingsMapMs, 0.5));
    std::printf("read_settings_map_p99: %.2f ms\n", percentile(settingsMapMs, 0.99));
    std::printf("read_failures: %d count\n", failures);
    std::printf("decode_format: %.2f us\n", decodeUs);
    return failures == 0 && sink > 0 ? 0 : 1;
}
