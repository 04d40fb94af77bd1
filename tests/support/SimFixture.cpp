#include "SimFixture.h"

#include "config/SettingsPath.h"

#include <QFile>

SimFixture::SimFixture(const SimMode &mode)
{
    if (!m_dir.isValid()) {
        m_error = QStringLiteral("no temporary folder: %1").arg(m_dir.errorString());
        return;
    }
    if (startSim(mode))
        setSettingsFilePathForTesting(settingsFilePath());
}

SimFixture::~SimFixture()
{
    setSettingsFilePathForTesting(QString());
    m_sim.reset();
}

bool SimFixture::startSim(const SimMode &mode)
{
    std::shared_ptr<Log> log = m_log;
    m_sim = SimInstrument::onPty(
        mode,
        [log](const QString &line) {
            const std::lock_guard lock(log->mutex);
            log->lines.append(line);
        },
        &m_error);
    if (!m_sim)
        return false;
    m_pins.insert(1, m_sim->devicePath());
    writeSettings();
    return true;
}

bool SimFixture::restart()
{
    const SimMode mode = m_sim ? m_sim->mode() : SimMode{};
    m_sim.reset();
    return startSim(mode);
}

QString SimFixture::devicePath() const
{
    return m_sim ? m_sim->devicePath() : QString();
}

QString SimFixture::settingsFilePath() const
{
    return m_dir.filePath(QStringLiteral("quoran.ini"));
}

PortMap SimFixture::portMap() const
{
    return PortMap::build(m_pins, {});
}

void SimFixture::pin(int portNumber, const QString &devicePath)
{
    if (devicePath.isEmpty())
        m_pins.remove(portNumber);
    else
        m_pins.insert(portNumber, devicePath);
    writeSettings();
}

void SimFixture::setConfiguredPort(const QString &portName)
{
    m_configuredPort = portName;
    writeSettings();
}

void SimFixture::setExtraSettings(const QString &iniText)
{
    m_extraSettings = iniText;
    writeSettings();
}

QStringList SimFixture::simLog() const
{
    const std::lock_guard lock(m_log->mutex);
    return m_log->lines;
}

void SimFixture::writeSettings()
{
    // The program's profile format: CR LF, 8-bit text.
    QString text =
        QStringLiteral("[Rotorlage]\r\nSchnittstelle=%1\r\n[Schnittstellen]\r\n").arg(m_configuredPort);
    for (auto it = m_pins.cbegin(); it != m_pins.cend(); ++it)
        text += QStringLiteral("Com%1=%2\r\n").arg(it.key()).arg(it.value());
    if (!m_extraSettings.isEmpty()) {
        QString extra = m_extraSettings;
        extra.replace(QLatin1String("\r\n"), QLatin1String("\n"))
            .replace(QLatin1Char('\n'), QLatin1String("\r\n"));
        text += extra;
        if (!text.endsWith(QLatin1String("\r\n")))
            text += QLatin1String("\r\n");
    }
    QFile file(settingsFilePath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text.toLatin1()) != text.size())
        m_error = QStringLiteral("cannot write %1").arg(settingsFilePath());
}
