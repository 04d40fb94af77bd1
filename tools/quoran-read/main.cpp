// quoran-read: one read of the instrument from the command line, for test
// sequences run by scripts. See --help.

#include "ReadCommand.h"

#include <QCoreApplication>
#include <cstdio>

namespace {

void writeAll(std::FILE *stream, const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return;
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stream);
    std::fflush(stream);
}

} // namespace

int main(int argc, char *argv[])
{
    // Needed for the serial port's notifiers and the program's folder; no display.
    const QCoreApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    const ReadCommand::Outcome outcome = ReadCommand::run(arguments, QCoreApplication::applicationDirPath());
    writeAll(stdout, outcome.out);
    writeAll(stderr, outcome.err);
    return outcome.status;
}
