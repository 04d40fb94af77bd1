// The review window on a results store of many records: the time to open it
// to a painted table and chart, the time of filter changes, and the memory
// it takes above the program without it. Prints "name: value unit" lines.
//
//   review [records [folder]]        (defaults 100000, the current folder)
//   review --data-file FILE [records] [--store STORE] [--limits FILE]
//
// The store holds a year of one bench: type A1 with an electrical angle that
// drifts slowly from 2.9 to 3.7 degrees (noise 0.15, limits 2.0 .. 4.0), and
// every 20th record of type B2. The second form only writes that year as a
// data file (and imports it into STORE), as a bench would have it. The
// measurement runs in a fresh process of its own so that making the store
// does not count. Targets: open <= 500 ms, filter change <= 200 ms, memory
// <= 60 MB above the program without the window.

#include "log/DataFileExport.h"
#include "review/Auswertung.h"
#include "review/ReviewFilterBar.h"
#include "store/ResultStore.h"
#include "store/StoreReview.h"

#include "Figures.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QLineEdit>
#include <QMdiArea>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace {

using namespace Figures;

// VmRSS or VmHWM of this process in MB.
double memoryMb(const char *key)
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(qstrlen(key) + 1).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return -1;
}

QString decimal(double value, int decimals)
{
    return QString::number(value, 'f', decimals).replace('.', ',');
}

bool writeYear(const QString &path, int records)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QRandomGenerator random(19);
    const QDateTime start(QDate(2026, 1, 1), QTime(6, 0));
    const qint64 step = 365LL * 86400 / records;
    QString text = DataFileExport::headerLine(u';') + "\r\n";
    for (int i = 0; i < records; ++i) {
        const QDateTime time = start.addSecs(i * step);
        const bool a1 = i % 20 != 0;
        // Box-Muller: a normal noise from two uniform numbers.
        const double u1 = std::max(1e-12, random.generateDouble());
        const double noise = std::sqrt(-2 * std::log(u1)) * std::cos(2 * M_PI * random.generateDouble());
        const double drift = a1 ? 2.9 + 0.8 * i / records : 3.0;
        const double angle = drift + 0.15 * noise;
        text += DataFileExport::recordLine({a1 ? "A1" : "B2", QString::number(100000 + i), "4",
                                            QString::number(960 + i % 9), decimal(27.5 + 0.1 * (i % 3), 1),
                                            "1,4", decimal(angle, 1), decimal(angle / 2, 1), "256",
                                            time.toString("dd.MM.yyyy"), time.toString("HH:mm:ss"), "MK"},
                                           u';') +
                "\r\n";
    }
    return file.write(text.toLatin1()) > 0;
}

bool writeLimits(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) &&
           file.write("Typ;Wert;Min;Max\r\nA1;el. Winkel;2,0;4,0\r\nB2;el. Winkel;2,0;4,0\r\n") > 0;
}

// Judged on import as the bench would have judged it.
StoreVerdict judge(const MeasuredValues &values, const QString &)
{
    const bool outside = values.electricalAngle < 2.0 || values.electricalAngle > 4.0;
    QJsonObject limits;
    limits.insert("el. Winkel", QJsonArray{2.0, 4.0});
    return {outside ? "fail" : "pass", outside ? QStringList{"el. Winkel"} : QStringList{}, limits};
}

QString import(const QString &dataFile, const QString &store)
{
    ResultStore results(store);
    const ImportReport report =
        results.importDataFile(dataFile, QLocale(QLocale::German, QLocale::Germany), judge);
    return report.error.isEmpty() ? QString() : report.error;
}

// Runs in a fresh process: the window on the store.
int measure(const QString &store, const QString &limits)
{
    QMdiArea area;
    area.resize(1400, 1000);
    area.show();
    QCoreApplication::processEvents();
    area.repaint();
    const double rssBefore = memoryMb("VmRSS:");

    // Wall and CPU time: on a shared machine the wall time says more about the others.
    QElapsedTimer timer;
    std::clock_t cpuStart = 0;
    const auto print = [&](const char *name) {
        const double cpuMs = 1000.0 * double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
        std::printf("%s: %.1f ms\n%s_cpu: %.1f ms\n", name, milliseconds(timer), name, cpuMs);
    };
    timer.start();
    cpuStart = std::clock();
    auto *window = new Auswertung(std::make_unique<StoreReview>(store), limits);
    area.addSubWindow(window);
    window->showMaximized();
    QCoreApplication::processEvents();
    area.repaint();
    print("open_to_painted");
    const double rssOpen = memoryMb("VmRSS:");

    const auto timed = [&](const char *name, const auto &change) {
        timer.start();
        cpuStart = std::clock();
        change();
        QCoreApplication::processEvents();
        area.repaint();
        print(name);
    };
    auto *verdict = window->findChild<QComboBox *>("cmbBewertung");
    auto *type = window->findChild<QComboBox *>("cmbTyp");
    auto *number = window->findChild<QLineEdit *>("txtNummer");
    auto *fromOn = window->findChild<QCheckBox *>("chkVon");
    window->findChild<QDateEdit *>("dtpVon")->setDate(QDate(2026, 7, 1));
    timed("filter_verdict_nio", [&] { verdict->setCurrentIndex(2); });
    timed("filter_verdict_all", [&] { verdict->setCurrentIndex(0); });
    timed("filter_type_b2", [&] { type->setCurrentIndex(type->findData("B2")); });
    timed("filter_type_a1", [&] { type->setCurrentIndex(type->findData("A1")); });
    timed("filter_date_from", [&] { fromOn->setChecked(true); });
    timed("filter_number", [&] {
        number->setText("1234");
        emit number->returnPressed();
    });
    timed("filter_number_off", [&] {
        number->clear();
        emit number->returnPressed();
    });
    timed("filter_date_off", [&] { fromOn->setChecked(false); });
    timed("filter_all_types", [&] { type->setCurrentIndex(0); });
    type->setCurrentIndex(type->findData("A1"));
    timed("quantity_change", [&] { window->findChild<QComboBox *>("cmbGroesse")->setCurrentIndex(1); });

    std::printf("rss_before_window: %.1f MB\n", rssBefore);
    std::printf("rss_above_program_open: %.1f MB\n", rssOpen - rssBefore);
    std::printf("rss_above_program_end: %.1f MB\n", memoryMb("VmRSS:") - rssBefore);
    std::printf("hwm_above_program: %.1f MB\n", memoryMb("VmHWM:") - rssBefore);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() > 3 && arguments[1] == "--measure")
        return measure(arguments[2], arguments[3]);
    if (arguments.size() > 2 && arguments[1] == "--data-file") {
        const int records =
            arguments.size() > 3 && !arguments[3].startsWith("--") ? arguments[3].toInt() : 100000;
        if (!writeYear(arguments[2], records))
            return 1;
        if (const qsizetype at = arguments.indexOf("--limits"); at > 0 && at + 1 < arguments.size())
            writeLimits(arguments[at + 1]);
        if (const qsizetype at = arguments.indexOf("--store"); at > 0 && at + 1 < arguments.size()) {
            const QString error = import(arguments[2], arguments[at + 1]);
            if (!error.isEmpty()) {
                std::fprintf(stderr, "review: %s\n", qPrintable(error));
                return 1;
            }
        }
        return 0;
    }

    const int records = arguments.size() > 1 ? std::max(1, arguments[1].toInt()) : 100000;
    const QString folder = arguments.size() > 2 ? arguments[2] : QDir::currentPath();
    QTemporaryDir dir(QDir(folder).filePath("review-bench-XXXXXX"));
    const QString dataFile = dir.filePath("Rotorlage.txt");
    const QString store = dir.filePath("quoran.sqlite");
    const QString limits = dir.filePath("Grenzwerte.csv");
    if (!dir.isValid() || !writeYear(dataFile, records) || !writeLimits(limits)) {
        std::fprintf(stderr, "review: cannot write into %s\n", qPrintable(folder));
        return 1;
    }
    if (const QString error = import(dataFile, store); !error.isEmpty()) {
        std::fprintf(stderr, "review: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("records: %d count\n", records);
    std::fflush(stdout);
    QProcess run;
    run.setProcessChannelMode(QProcess::ForwardedChannels);
    run.start(QCoreApplication::applicationFilePath(), {"--measure", store, limits});
    run.waitForFinished(-1);
    return run.exitStatus() == QProcess::NormalExit ? run.exitCode() : 1;
}
