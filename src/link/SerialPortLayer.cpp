#include "link/SerialPortLayer.h"

#include <QFile>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool isPortNumber(int portNumber)
{
    return portNumber >= 1 && portNumber <= PortMap::MaxPort;
}

bool deviceAccessible(const QString &path)
{
    return ::access(QFile::encodeName(path).constData(), R_OK | W_OK) == 0;
}

// A folder or a plain file where a device should be; a missing path is told
// apart by the open itself.
bool presentButNoDevice(const QString &path)
{
    struct stat info = {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 && !S_ISCHR(info.st_mode);
}

const QString NotOpen = QStringLiteral("Schnittstelle nicht geöffnet");
const QString AlreadyOpen = QStringLiteral("Schnittstelle bereits geöffnet");

// A device that keeps sending must not keep input() busy for ever.
constexpr int MaxInputPolls = 1000;
constexpr qint64 MaxInputBytes = 64 * 1024;

} // namespace

std::optional<LineSettings> LineSettings::parse(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 4)
        return std::nullopt;

    LineSettings settings;
    bool ok = false;
    settings.baudRate = parts.at(0).trimmed().toInt(&ok);
    if (!ok || settings.baudRate <= 0)
        return std::nullopt;

    const QString parity = parts.at(1).trimmed().toUpper();
    if (parity == QLatin1String("N"))
        settings.parity = QSerialPort::NoParity;
    else if (parity == QLatin1String("E"))
        settings.parity = QSerialPort::EvenParity;
    else if (parity == QLatin1String("O"))
        settings.parity = QSerialPort::OddParity;
    else if (parity == QLatin1String("M"))
        settings.parity = QSerialPort::MarkParity;
    else if (parity == QLatin1String("S"))
        settings.parity = QSerialPort::SpaceParity;
    else
        return std::nullopt;

    const int dataBits = parts.at(2).trimmed().toInt(&ok);
    if (!ok || dataBits < 5 || dataBits > 8)
        return std::nullopt;
    settings.dataBits = static_cast<QSerialPort::DataBits>(dataBits);

    const QString stopBits = parts.at(3).trimmed();
    if (stopBits == QLatin1String("1"))
        settings.stopBits = QSerialPort::OneStop;
    else if (stopBits == QLatin1String("1.5"))
        settings.stopBits = QSerialPort::OneAndHalfStop;
    else if (stopBits == QLatin1String("2"))
        settings.stopBits = QSerialPort::TwoStop;
    else
        return std::nullopt;
    return settings;
}

SerialPortLayer::SerialPortLayer() = default;

SerialPortLayer::SerialPortLayer(const PortMap &map) : m_map(map) {}

SerialPortLayer::~SerialPortLayer()
{
    if (m_port.isOpen())
        m_port.close();
}

QString SerialPortLayer::reasonFor(QSerialPort::SerialPortError error, bool deviceAccessible,
                                   bool characterDevice)
{
    if (!characterDevice && error != QSerialPort::NoError && error != QSerialPort::DeviceNotFoundError)
        error = QSerialPort::UnsupportedOperationError;
    switch (error) {
    case QSerialPort::NoError:
        return {};
    case QSerialPort::DeviceNotFoundError:
        return QStringLiteral("Gerät nicht gefunden");
    case QSerialPort::PermissionError:
        // Qt reports a lock file of another program and missing rights alike.
        return deviceAccessible
                   ? QStringLiteral("Gerät belegt")
                   : QStringLiteral("Zugriff verweigert – ist der Benutzer in der Gruppe dialout?");
    case QSerialPort::OpenError:
        return AlreadyOpen;
    case QSerialPort::NotOpenError:
        return NotOpen;
    case QSerialPort::WriteError:
        return QStringLiteral("Senden fehlgeschlagen");
    case QSerialPort::ReadError:
    case QSerialPort::ResourceError:
        return QStringLiteral("Gerät entfernt");
    case QSerialPort::UnsupportedOperationError:
        return QStringLiteral("Kein serielles Gerät");
    case QSerialPort::TimeoutError:
        return QStringLiteral("Zeitüberschreitung");
    case QSerialPort::UnknownError:
        break;
    }
    return QStringLiteral("Unbekannter Fehler der Schnittstelle");
}

PortResult SerialPortLayer::failureFromPort(QSerialPort::SerialPortError error)
{
    m_port.clearError();
    if (error == QSerialPort::DeviceNotFoundError)
        return PortResult::notAccessible(reasonFor(error, false));
    return PortResult::failure(
        reasonFor(error, deviceAccessible(m_devicePath), !presentButNoDevice(m_devicePath)));
}

PortResult SerialPortLayer::setCommPort(int portNumber)
{
    if (m_port.isOpen())
        return PortResult::failure(AlreadyOpen);
    if (!isPortNumber(portNumber))
        return PortResult::notAccessible(QStringLiteral("Schnittstellennummer ungültig"));
    m_commPort = portNumber;
    m_devicePath = m_map ? m_map->devicePath(portNumber) : PortMap::currentDevicePath(portNumber);
    return PortResult::success();
}

PortResult SerialPortLayer::setSettings(const QString &settings)
{
    const std::optional<LineSettings> parsed = LineSettings::parse(settings);
    if (!parsed)
        return PortResult::failure(QStringLiteral("Ungültige Einstellungen „%1“").arg(settings));
    const LineSettings previous = m_settings;
    m_settings = *parsed;
    if (m_port.isOpen()) {
        if (const PortResult applied = applySettings(); !applied.ok()) {
            // Keep the line as it was, so settings() tells the truth.
            m_settings = previous;
            static_cast<void>(applySettings());
            return applied;
        }
    }
    m_settingsText = settings;
    return PortResult::success();
}

PortResult SerialPortLayer::setInputLen(int length)
{
    if (length < 0)
        return PortResult::failure(QStringLiteral("Ungültige Eingabelänge"));
    m_inputLen = length;
    return PortResult::success();
}

PortResult SerialPortLayer::setSThreshold(int threshold)
{
    if (threshold < 0)
        return PortResult::failure(QStringLiteral("Ungültiger Schwellwert"));
    m_sThreshold = threshold;
    return PortResult::success();
}

PortResult SerialPortLayer::setRThreshold(int threshold)
{
    if (threshold < 0)
        return PortResult::failure(QStringLiteral("Ungültiger Schwellwert"));
    m_rThreshold = threshold;
    return PortResult::success();
}

PortResult SerialPortLayer::applySettings()
{
    if (!m_port.setBaudRate(m_settings.baudRate) || !m_port.setParity(m_settings.parity) ||
        !m_port.setDataBits(m_settings.dataBits) || !m_port.setStopBits(m_settings.stopBits) ||
        !m_port.setFlowControl(QSerialPort::NoFlowControl)) {
        const QSerialPort::SerialPortError error = m_port.error();
        m_port.clearError();
        return PortResult::failure(error == QSerialPort::NoError ||
                                           error == QSerialPort::UnsupportedOperationError
                                       ? QStringLiteral("Einstellungen nicht übernommen")
                                       : reasonFor(error, true));
    }
    return PortResult::success();
}

PortResult SerialPortLayer::setPortOpen(bool open)
{
    if (!open) {
        if (m_port.isOpen())
            m_port.close();
        m_port.clearError();
        return PortResult::success();
    }
    if (m_port.isOpen())
        return PortResult::failure(AlreadyOpen);
    if (!isPortNumber(m_commPort))
        return PortResult::notAccessible(QStringLiteral("Schnittstellennummer ungültig"));
    if (m_devicePath.isEmpty())
        return PortResult::notAccessible(QStringLiteral("kein Gerät zugeordnet"));

    m_port.setPortName(m_devicePath); // a full path is taken as it is
    if (!m_port.open(QIODevice::ReadWrite))
        return failureFromPort(m_port.error());
    if (const PortResult configured = applySettings(); !configured.ok()) {
        m_port.close();
        return configured;
    }
    // Bytes that came after the previous close (a late answer) wait in the
    // device's queue; a new read must not take them for its answer.
    m_port.clear(QSerialPort::AllDirections);
    m_port.clearError();
    return PortResult::success();
}

PortResult SerialPortLayer::output(const QByteArray &data)
{
    if (!m_port.isOpen())
        return PortResult::failure(NotOpen);
    m_port.clearError();
    if (m_port.write(data) != data.size())
        return failureFromPort(m_port.error());
    if (!m_port.waitForBytesWritten(100) && m_port.bytesToWrite() > 0)
        return failureFromPort(m_port.error() == QSerialPort::NoError ? QSerialPort::TimeoutError
                                                                      : m_port.error());
    m_port.clearError();
    return PortResult::success();
}

PortInput SerialPortLayer::input()
{
    if (!m_port.isOpen())
        return {PortResult::failure(NotOpen), {}};
    m_port.clearError();
    // QSerialPort moves bytes from the device into its buffer only when it
    // polls; without an event loop that is waitForReadyRead().
    for (int polls = 0; polls < MaxInputPolls && m_port.bytesAvailable() < MaxInputBytes; ++polls) {
        if (!m_port.waitForReadyRead(0))
            break;
    }
    const QSerialPort::SerialPortError error = m_port.error();
    if (error != QSerialPort::NoError && error != QSerialPort::TimeoutError)
        return {failureFromPort(error), {}};
    m_port.clearError();
    return {PortResult::success(), m_inputLen == 0 ? m_port.readAll() : m_port.read(m_inputLen)};
}
