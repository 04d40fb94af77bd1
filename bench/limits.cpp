// Time of loading a limits table of 10,000 lines and of judging one reading
// against it. Prints "name: value unit" lines.
//
//   limits [runs [folder]]   (defaults 50 loads and 10,000 judgements, the current folder)
//
// Targets: loading at most 20 ms; judging, with the check whether the file
// changed, at most 1 ms.

#include "tolerance/LimitsFile.h"
#include "tolerance/Verdict.h"

#include "Figures.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

using namespace Figures;

constexpr int TypeCount = 1000; // ten values each: 10,000 lines

// As a spreadsheet saves it: Windows-1252, CR LF, decimal commas, some
// sides open; the last type is "*".
QByteArray table()
{
    const std::vector<QByteArray> values{
        "Polzahl",        "Drehzahl",      "Spannungskonstante", "\"Spannung (Phase-Phase)\"",
        "el. Winkel",     "mech. Winkel",  "Geberz\xE4hne",      "Offset Phase U",
        "Offset Phase V", "Offset Phase W"};
    QByteArray bytes = "Typ;Wert;Min;Max\r\n";
    for (int type = 0; type < TypeCount; ++type) {
        const QByteArray name = type + 1 == TypeCount ? QByteArray("*") : "Motor " + QByteArray::number(type);
        for (std::size_t value = 0; value < values.size(); ++value) {
            const QByteArray min = value % 3 == 2 ? QByteArray() : QByteArray::number(type % 7) + ",25";
            bytes +=
                name + ';' + values[value] + ';' + min + ';' + QByteArray::number(1000 + type) + ",5\r\n";
        }
    }
    return bytes;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const int loads = arguments.size() > 1 ? std::max(1, arguments[1].toInt()) : 50;
    const int judgements = loads * 200;
    const QString folder = arguments.size() > 2 ? arguments[2] : QDir::currentPath();

    QTemporaryDir dir(QDir(folder).filePath(QStringLiteral("limits-bench-XXXXXX")));
    if (!dir.isValid()) {
        std::fprintf(stderr, "limits: no temporary folder in %s\n", qPrintable(folder));
        return 1;
    }
    const QString path = dir.filePath(QStringLiteral("Grenzwerte.csv"));
    QFile file(path);
    const QByteArray bytes = table();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "limits: cannot write %s\n", qPrintable(path));
        return 1;
    }
    file.close();

    // Loading: what the first judgement after an edit costs.
    std::vector<double> loadMs;
    std::vector<double> loadCpuMs;
    for (int i = 0; i < loads; ++i) {
        LimitsFile limits(path);
        QElapsedTimer timer;
        const double cpuStart = cpuMilliseconds();
        timer.start();
        const bool usable = limits.table().isUsable();
        loadMs.push_back(milliseconds(timer));
        loadCpuMs.push_back(cpuMilliseconds() - cpuStart);
        if (!usable) {
            std::fprintf(stderr, "limits: %s\n", qPrintable(limits.table().errorText()));
            return 1;
        }
    }

    // Judging a reading of a type in the middle of the table, once loaded,
    // with and without the look whether the file changed. Every value is
    // inside, so each is looked at.
    MeasurementRecord record;
    record.poleCount = 4;
    record.speed = 964.0;
    record.voltageConstant = 0.28;
    record.voltage = 27.6;
    record.electricalAngle = 3.3F;
    record.mechanicalAngle = 1.4F;
    record.teeth = 256;
    record.offsetU = 10;
    record.offsetV = -20;
    record.offsetW = 30;
    const QString type = QStringLiteral(" motor 500 ");
    LimitsFile limits(path);
    const LimitsTable loaded = limits.table();
    std::vector<double> judgeMs;
    std::vector<double> checkedJudgeMs;
    int passed = 0;
    for (int i = 0; i < judgements; ++i) {
        QElapsedTimer timer;
        timer.start();
        const Verdict verdict = Verdict::judge(limits.table(), type, record);
        checkedJudgeMs.push_back(milliseconds(timer));
        passed += verdict.kind() == Verdict::Kind::Pass ? 1 : 0;
        timer.restart();
        const Verdict again = Verdict::judge(loaded, type, record);
        Q_UNUSED(again);
        judgeMs.push_back(milliseconds(timer));
    }

    std::printf("limits_lines: %d count\n", TypeCount * 10);
    std::printf("limits_file_size: %.1f KiB\n", static_cast<double>(bytes.size()) / 1024.0);
    std::printf("limits_load_median: %.2f ms\n", median(loadMs));
    std::printf("limits_load_max: %.2f ms\n", maximum(loadMs));
    std::printf("limits_load_cpu_median: %.2f ms\n", median(loadCpuMs));
    std::printf("limits_judge_with_file_check_median: %.4f ms\n", median(checkedJudgeMs));
    std::printf("limits_judge_with_file_check_max: %.4f ms\n", maximum(checkedJudgeMs));
    std::printf("limits_judge_only_median: %.4f ms\n", median(judgeMs));
    std::printf("limits_judge_runs: %d count\n", judgements);
    std::printf("limits_judge_passed: %d count\n", passed);
    return 0;
}
