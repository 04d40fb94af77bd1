// Time of importing a data file into the results store, of one store write
// (a transaction with fsync), and of the save path with both the data-file
// line and the store write. Prints "name: value unit" lines.
//
//   store [lines [saves [folder]]]   (defaults 100000, 200, the current folder)
//
// The files go into a temporary folder inside folder, which should be on a
// local disk (not tmpfs, where fsync costs nothing). Targets: import of
// 10^5 lines at most 2 s; the save path with the store at most 10 ms median.

#include "log/DataFileExport.h"
#include "store/ResultStore.h"

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

// A record of the demo frame with its own number and second.
QStringList fieldsFor(int i)
{
    // UTC: local time would read the time-zone file for every line.
    const QDateTime time = QDateTime(QDate(2026, 1, 1), QTime(6, 0), Qt::UTC).addSecs(i);
    return {"A1",
            QString::number(i),
            "4",
            "964",
            QString("0,%1").arg(20 + i % 60),
            "27,6",
            QString("%1,%2").arg(2 + i % 3).arg(i % 10),
            "1,4",
            "256",
            time.toString("dd.MM.yyyy"),
            time.toString("HH:mm:ss"),
            "MK"};
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const int lines = arguments.size() > 1 ? std::max(1, arguments[1].toInt()) : 100000;
    const int saves = arguments.size() > 2 ? std::max(1, arguments[2].toInt()) : 200;
    const QString folder = arguments.size() > 3 ? arguments[3] : QDir::currentPath();
    QTemporaryDir dir(QDir(folder).filePath("store-bench-XXXXXX"));
    if (!dir.isValid()) {
        std::fprintf(stderr, "store: no temporary folder in %s\n", qPrintable(folder));
        return 1;
    }
    const QLocale german(QLocale::German, QLocale::Germany);
    int failures = 0;

    // The data file written in one go; its lines as the export makes them.
    const QString dataFile = dir.filePath("Rotorlage.txt");
    {
        QFile file(dataFile);
        if (!file.open(QIODevice::WriteOnly))
            return 1;
        QString text = DataFileExport::headerLine(u';') + "\r\n";
        for (int i = 0; i < lines; ++i)
            text += DataFileExport::recordLine(fieldsFor(i), u';') + "\r\n";
        file.write(text.toLatin1());
    }

    ResultStore store(dir.filePath("quoran.sqlite"));
    const ImportJudge judge = [](const MeasuredValues &values, const QString &) {
        const bool outside = values.electricalAngle > 4.0;
        return StoreVerdict{
            outside ? "fail" : "pass", outside ? QStringList{"el. Winkel"} : QStringList{}, {}};
    };
    // CPU time too: on a shared machine the wall time says more about the others.
    QElapsedTimer timer;
    timer.start();
    const std::clock_t cpuStart = std::clock();
    const ImportReport first = store.importDataFile(dataFile, german, judge);
    const double importMs = milliseconds(timer);
    const double importCpuMs = 1000.0 * double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    timer.start();
    const ImportReport second = store.importDataFile(dataFile, german, judge);
    const double reimportMs = milliseconds(timer);
    if (!first.error.isEmpty() || first.added != lines || second.alreadyPresent != lines) {
        std::fprintf(stderr, "store: import %s, %d added\n", qPrintable(first.error), first.added);
        ++failures;
    }

    // Store writes alone, then the whole save: data-file line, then store.
    const QByteArray frame = demoFrame();
    const MeasurementRecord record = decodeFrame(ReceptionBuffer(frame));
    const QString saveFile = dir.filePath("Messungen.txt");
    std::vector<double> storeMs;
    std::vector<double> saveMs;
    for (int i = 0; i < 2 * saves; ++i) {
        const QStringList fields = fieldsFor(lines + i);
        const StoreRecord stored = StoreRecord::fromReading(record, frame, QDateTime::currentDateTime(),
                                                            fields, "Bank 1", saveFile, {"pass", {}, {}});
        timer.start();
        const bool dataOk = i < saves || DataFileExport::save(saveFile, "Semikolon [;]", fields).ok;
        const ResultStore::SaveResult result = store.save(stored);
        (i < saves ? storeMs : saveMs).push_back(milliseconds(timer));
        if (!dataOk || !result.stored)
            ++failures;
    }

    std::printf("import_lines: %d count\n", lines);
    std::printf("import: %.1f ms\n", importMs);
    std::printf("import_cpu: %.1f ms\n", importCpuMs);
    std::printf("import_again: %.1f ms\n", reimportMs);
    std::printf("store_write_median: %.3f ms\n", median(storeMs));
    std::printf("store_write_max: %.3f ms\n", maximum(storeMs));
    std::printf("save_with_store_median: %.3f ms\n", median(saveMs));
    std::printf("save_with_store_max: %.3f ms\n", maximum(saveMs));
    std::printf("failures: %d count\n", failures);
    return failures == 0 ? 0 : 1;
}
