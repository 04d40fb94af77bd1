// Time of one read against the simulated instrument over a pseudo-terminal,
// and of decoding and formatting one frame. Prints "name: value unit" lines.
//
//   read_cycle [reads]        (default 200)
//
// A read waits 100 ms by design; the target is at most 5 ms on top of that
// in the median and 15 ms at the 99th percentile. Decoding plus formatting a
// frame should take well under 20 us.

#include "SimInstrument.h"

#include "config/PortMap.h"
#include "link/Frame.h"
#include "link/FrameReader.h"
#include "link/SerialPortLayer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

double percentile(std::vector<double> sorted, double fraction)
{
    std::sort(sorted.begin(), sorted.end());
    // Nearest rank.
    const auto rank = static_cast<std::size_t>(std::ceil(fraction * static_cast<double>(sorted.size())));
    return sorted.at(std::clamp<std::size_t>(rank, 1, sorted.size()) - 1);
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

    std::vector<double> readMs;
    readMs.reserve(static_cast<std::size_t>(reads));
    int failures = 0;
    for (int i = 0; i < reads; ++i) {
        QElapsedTimer timer;
        timer.start();
        const ReadResult result = readFrame(1, false, map);
        readMs.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        if (result.outcome != ReadOutcome::Received || checkFrame(result.buffer) != FrameCheck::Valid)
            ++failures;
    }

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
    std::printf("read_failures: %d count\n", failures);
    std::printf("decode_format: %.2f us\n", decodeUs);
    return failures == 0 && sink > 0 ? 0 : 1;
}
