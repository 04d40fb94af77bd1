#include "support/ChildProcess.h"

ChildProcess::~ChildProcess()
{
    stop();
}

void ChildProcess::stop()
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(10000))
        process.kill();
    process.waitForFinished(1000);
}
