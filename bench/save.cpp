// Time of one save of a record (header check, append, fsync), of one read
// in the log window, from pressing "Daten lesen" to the fields filled, and of
// the window's whole save: the data-file line, then the results store.
// Prints "name: value unit" lines.
//
//   save [saves [reads [folder]]]   (defaults 200, 100, the current folder)
//
// The data file goes into a temporary folder inside folder, which should be
// on a local disk (not tmpfs, where fsync costs nothing). Targets: save
// median under 5 ms; read to fields at most 10 ms over the 100 ms wait; the
// window's save with the store at most 10 ms median.

#include "SimInstrument.h"

#include "config/SettingsPath.h"
#include "core/AppState.h"
#include "link/FrameReader.h"
#include "log/DataFileExport.h"
#include "log/MesswerteProtokoll.h"

#include "Figures.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

using namespace Figures;

int main(int argc, char *argv[])
{
    // An offscreen window unless a display is asked for.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList arguments = QApplication::arguments();
    const int saves = arguments.size() > 1 ? std::max(1, arguments[1].toInt()) : 200;
    const int reads = arguments.size() > 2 ? std::max(1, arguments[2].toInt()) : 100;
    const QString folder = arguments.size() > 3 ? arguments[3] : QDir::currentPath();

    QTemporaryDir dir(QDir(folder).filePath(QStringLiteral("save-bench-XXXXXX")));
    if (!dir.isValid()) {
        std::fprintf(stderr, "save: no temporary folder in %s\n", qPrintable(folder));
        return 1;
    }
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));

    // Saves: the first creates the file with its header, the others append.
    const QString dataFile = dir.filePath(QStringLiteral("Rotorlage.txt"));
    const QStringList fields{"A1",    " 4 ",   " 964 ", " 0,28 ",      " 27,6 ",    " 2,8 ",
                             " 1,4 ", " 256 ", "17",    " 06.12.2026", " 14:03:22", "MK"};
    std::vector<double> saveMs;
    int failures = 0;
    for (int i = 0; i < saves; ++i) {
        QElapsedTimer timer;
        timer.start();
        const DataFileExport::AppendResult result =
            DataFileExport::save(dataFile, QStringLiteral("Semikolon [;]"), fields);
        saveMs.push_back(milliseconds(timer));
        if (!result.ok)
            ++failures;
    }

    // Reads: the window against the simulated instrument on Com1, pinned in
    // a settings file of its own, never a serial device of this machine.
    QString error;
    const std::unique_ptr<SimInstrument> sim = SimInstrument::onPty(SimMode{}, {}, &error);
    if (!sim) {
        std::fprintf(stderr, "save: %s\n", qPrintable(error));
        return 1;
    }
    const QString ini = dir.filePath(QStringLiteral("quoran.ini"));
    QFile iniFile(ini);
    if (!iniFile.open(QIODevice::WriteOnly) ||
        iniFile.write("[Schnittstellen]\r\nCom1=" + sim->devicePath().toLocal8Bit() + "\r\n") < 0)
        return 1;
    iniFile.close();
    setSettingsFilePathForTesting(ini);
    AppState &state = AppState::instance();
    state.setSchnittstelle(QStringLiteral("Com1"));
    state.setDataFile(dir.filePath(QStringLiteral("Fenster.txt")));
    state.setDataTrenner(QStringLiteral("Semikolon [;]"));
    state.setResultsFile(dir.filePath(QStringLiteral("quoran.sqlite")));
    state.setBench(QStringLiteral("Bank 1"));

    MesswerteProtokoll window;
    window.show();
    auto *cmdRead = window.findChild<QPushButton *>(QStringLiteral("cmdRead"));
    QElapsedTimer timer;
    double filledAt = 0.0;
    // The time field is the last one a read fills.
    QObject::connect(window.field(10), &QLineEdit::textChanged, [&](const QString &text) {
        if (!text.isEmpty())
            filledAt = milliseconds(timer);
    });
    std::vector<double> readMs;
    for (int i = 0; i < reads; ++i) {
        filledAt = 0.0;
        timer.start();
        cmdRead->click();
        if (filledAt <= 0.0 || window.field(2)->text().isEmpty())
            ++failures;
        else
            readMs.push_back(filledAt);
        QCoreApplication::processEvents();
    }
    // The window's save of the last reading, with a new number each time: the
    // data-file line, then the store. Apart from the reads, whose port lock
    // file would add its own journal commit to the first sync after them.
    window.field(0)->setText(QStringLiteral("A1"));
    window.field(11)->setText(QStringLiteral("MK"));
    std::vector<double> windowSaveMs;
    std::vector<double> windowSaveCpuMs;
    for (int i = 0; i < saves; ++i) {
        window.field(1)->setText(QString::number(i));
        const double cpuStart = cpuMilliseconds();
        timer.start();
        window.saveRecord();
        windowSaveMs.push_back(milliseconds(timer));
        windowSaveCpuMs.push_back(cpuMilliseconds() - cpuStart);
        // A store that failed says so after the status text.
        if (!window.isSaved() || state.lastReadOutcome().contains(QStringLiteral("Ergebnisdatenbank")))
            ++failures;
    }
    // The same read without the window, to tell the window's share apart.
    std::vector<double> frameMs;
    for (int i = 0; i < reads; ++i) {
        timer.start();
        const ReadResult result = readFrame(1, false);
        frameMs.push_back(milliseconds(timer));
        if (result.outcome != ReadOutcome::Received)
            ++failures;
    }
    setSettingsFilePathForTesting(QString());

    std::printf("save_median: %.3f ms\n", median(saveMs));
    std::printf("save_max: %.3f ms\n", maximum(saveMs));
    if (!readMs.empty()) {
        std::printf("read_to_fields_median: %.2f ms\n", median(readMs));
        std::printf("read_to_fields_max: %.2f ms\n", maximum(readMs));
    }
    std::printf("read_frame_only_median: %.2f ms\n", median(frameMs));
    std::printf("window_save_with_store_median: %.3f ms\n", median(windowSaveMs));
    std::printf("window_save_with_store_max: %.3f ms\n", maximum(windowSaveMs));
    std::printf("window_save_with_store_cpu_median: %.3f ms\n", median(windowSaveCpuMs));
    std::printf("failures: %d count\n", failures);
    return failures == 0 ? 0 : 1;
}
