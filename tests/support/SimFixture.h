#pragma once

#include "SimInstrument.h"
#include "config/PortMap.h"

#include <QMap>
#include <QMetaType>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <mutex>

// For data tables of the simulator's behaviour.
Q_DECLARE_METATYPE(SimMode)

// A simulated instrument on a fresh pseudo-terminal, wired into the program:
// a settings file in a temporary folder with
//   [Rotorlage]      Schnittstelle=Com1
//   [Schnittstellen] Com1=<pty slave>
// becomes the program's settings file (setSettingsFilePathForTesting), so
// PortMap::current() and the windows find the instrument as Com1. Undone when
// the fixture goes.
//
//   SimFixture sim;                       // demo-frame answers
//   QVERIFY2(sim.isValid(), qPrintable(sim.errorString()));
//   sim.setMode(SimMode{.silent = true}); // change behaviour between reads
//   readFrame(1, false, sim.portMap());   // or readFrame(1, false)
//
// portMap() holds only the pins, never the machine's own serial devices, so a
// test cannot touch a real port by mistake; PortMap::current() does list them,
// so use only pinned port numbers with it.
class SimFixture
{
public:
    explicit SimFixture(const SimMode &mode = {});
    ~SimFixture();
    SimFixture(const SimFixture &) = delete;
    SimFixture &operator=(const SimFixture &) = delete;

    [[nodiscard]] bool isValid() const { return m_sim != nullptr; }
    [[nodiscard]] QString errorString() const { return m_error; }

    [[nodiscard]] SimInstrument &sim() { return *m_sim; }
    [[nodiscard]] QString devicePath() const; // the pty slave, what Com1 names
    void setMode(const SimMode &mode) { m_sim->setMode(mode); }

    [[nodiscard]] QString settingsFilePath() const;
    [[nodiscard]] PortMap portMap() const;
    // Pins another port (e.g. to a missing path) and rewrites the settings
    // file; an empty path removes the pin.
    void pin(int portNumber, const QString &devicePath);
    // The port the settings file names in [Rotorlage] (Com1 by default).
    void setConfiguredPort(const QString &portName);
    // Lines appended to the settings file as they are (other sections).
    void setExtraSettings(const QString &iniText);

    // A new pty with the same mode, Com1 pinned to it (after a hang-up).
    [[nodiscard]] bool restart();

    // Timestamped request/answer lines of the simulator, for failure output.
    [[nodiscard]] QStringList simLog() const;

private:
    [[nodiscard]] bool startSim(const SimMode &mode);
    void writeSettings();

    QTemporaryDir m_dir;
    std::unique_ptr<SimInstrument> m_sim;
    QMap<int, QString> m_pins;
    QString m_configuredPort = QStringLiteral("Com1");
    QString m_extraSettings;
    QString m_error;

    struct Log
    {
        std::mutex mutex;
        QStringList lines;
    };
    std::shared_ptr<Log> m_log = std::make_shared<Log>();
};
