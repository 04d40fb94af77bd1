#pragma once

#include <QProcess>

// A started process that is ended when the test ends, however it ends:
// asked to terminate first, killed when it does not.
class ChildProcess
{
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;

    QProcess process;

    void stop();
};
