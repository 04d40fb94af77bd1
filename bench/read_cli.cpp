// Time of one whole quoran-read process per read against the simulated
// instrument on a pseudo-terminal: start, settings file, read, output, exit.
// Prints "name: value unit" lines.
//
//   read_cli [runs] [path to quoran-read]     (default 20 runs, the built program)
//
// The read itself waits 100 ms for the instrument; the target is at most
// 125 ms in the median, so start-up and teardown take 25 ms at most. For
// comparison: the process without a read (--version) and the same read
// inside this process.

#include "ReadCommand.h"
#include "SimInstrument.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QList>
#include <QTemporaryDir>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

// Runs the program with its output thrown away; its exit status, or -1.
int runOnce(const QByteArray &program, const QList<QByteArray> &arguments)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<char *> argv{const_cast<char *>(program.constData())};
    for (const QByteArray &argument : arguments)
        argv.push_back(const_cast<char *>(argument.constData()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = ::posix_spawn(&pid, program.constData(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return -1;
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Wall time of each run in ms, sorted.
std::vector<double> timeRuns(int runs, int &failures, const QByteArray &program,
                             const QList<QByteArray> &arguments)
{
    std::vector<double> runMs;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        if (runOnce(program, arguments) != 0)
            ++failures;
        runMs.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(runMs.begin(), runMs.end());
    return runMs;
}

double median(const std::vector<double> &sorted)
{
    const std::size_t middle = sorted.size() / 2;
    return sorted.size() % 2 != 0 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
}

} // namespace

int main(int argc, char *argv[])
{
    const QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 20;
    const QByteArray program = argc > 2 ? QByteArray(argv[2]) : QByteArray(QUORAN_READ_EXE);

    QString error;
    const std::unique_ptr<SimInstrument> sim = SimInstrument::onPty(SimMode{}, {}, &error);
    if (!sim) {
        std::fprintf(stderr, "read_cli: %s\n", qPrintable(error));
        return 1;
    }
    // Com1 pinned to the simulator: never a serial device of this machine.
    const QTemporaryDir dir;
    QFile settings(dir.filePath(QStringLiteral("quoran.ini")));
    const QByteArray text =
        QStringLiteral("[Rotorlage]\r\nSchnittstelle=Com1\r\n[Schnittstellen]\r\nCom1=%1\r\n")
            .arg(sim->devicePath())
            .toLocal8Bit();
    if (!settings.open(QIODevice::WriteOnly) || settings.write(text) != text.size()) {
        std::fprintf(stderr, "read_cli: cannot write %s\n", qPrintable(settings.fileName()));
        return 1;
    }
    settings.close();
    const QByteArray settingsPath = QFile::encodeName(settings.fileName());

    int failures = 0;
    std::vector<double> readMs = timeRuns(runs, failures, program, {"--settings", settingsPath});
    // The process alone, without the read: start-up and teardown.
    std::vector<double> processMs = timeRuns(runs, failures, program, {"--version"});

    // The same read inside this process: what the program adds beyond start-up.
    std::vector<double> inProcessMs;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        if (ReadCommand::run({QStringLiteral("--settings"), settings.fileName()}, dir.path()).status != 0)
            ++failures;
        inProcessMs.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(inProcessMs.begin(), inProcessMs.end());

    std::printf("read_cli_median: %.2f ms\n", median(readMs));
    std::printf("read_cli_min: %.2f ms\n", readMs.front());
    std::printf("read_cli_max: %.2f ms\n", readMs.back());
    std::printf("read_cli_process_only_median: %.2f ms\n", median(processMs));
    std::printf("read_in_process_median: %.2f ms\n", median(inProcessMs));
    std::printf("read_cli_runs: %d count\n", runs);
    std::printf("read_cli_failures: %d count\n", failures);
    return failures == 0 ? 0 : 1;
}
