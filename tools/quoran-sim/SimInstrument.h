#pragma once

#include "SimFrame.h"
#include "SimUniqueFd.h"

#include <QString>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

// The simulated instrument: serves one line (the master side of a new
// pseudo-terminal, or a serial device) on its own thread. For every blank
// received it answers one frame as the current mode says. Usable in-process
// by tests and benchmarks; the quoran-sim executable is a thin shell round it.
class SimInstrument
{
public:
    using LogSink = std::function<void(const QString &line)>;

    // A new pseudo-terminal; the program opens devicePath() (the slave side).
    // nullptr on failure, with the reason in *error.
    [[nodiscard]] static std::unique_ptr<SimInstrument> onPty(const SimMode &mode, LogSink log = {},
                                                              QString *error = nullptr);
    // An existing serial device (e.g. a null-modem cable), set to 9600 8N1 raw.
    [[nodiscard]] static std::unique_ptr<SimInstrument> onDevice(const QString &path, const SimMode &mode,
                                                                 LogSink log = {}, QString *error = nullptr);

    ~SimInstrument(); // stops and joins the serving thread, closes the line
    SimInstrument(const SimInstrument &) = delete;
    SimInstrument &operator=(const SimInstrument &) = delete;

    [[nodiscard]] QString devicePath() const { return m_devicePath; }

    void setMode(const SimMode &mode);
    [[nodiscard]] SimMode mode() const;

    [[nodiscard]] int requestCount() const { return m_requests.load(); }
    [[nodiscard]] int answerCount() const { return m_answers.load(); } // answers completely sent
    // Blocks until requestCount() reaches count or the time is up.
    [[nodiscard]] bool waitForRequests(int count, int timeoutMs) const;
    // False once the line is gone (hang-up mode, device error) or after stop().
    [[nodiscard]] bool isServing() const { return m_serving.load(); }

    void stop();

private:
    SimInstrument(SimUniqueFd line, SimUniqueFd slaveKeeper, QString devicePath, const SimMode &mode,
                  LogSink log);
    [[nodiscard]] bool start(QString *error);
    void serve();
    void log(const QString &text) const;
    void countRequest();

    SimUniqueFd m_line;        // what the instrument reads and writes
    SimUniqueFd m_slaveKeeper; // our own hold on the pty slave, see onPty()
    SimUniqueFd m_wakeRead;
    SimUniqueFd m_wakeWrite;
    const QString m_devicePath;
    const LogSink m_log;

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_requestSeen;
    SimMode m_mode;
    std::atomic<int> m_requests{0};
    std::atomic<int> m_answers{0};
    std::atomic<bool> m_serving{false};
    std::thread m_thread;
};
