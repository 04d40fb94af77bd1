#pragma once

#include "config/PortMap.h"

#include <QByteArray>
#include <QSerialPort>
#include <QString>
#include <optional>

// Outcome of one port operation. PortNotAccessible means the port number
// names no existing port (what the read treats as "Fehler: Schnittstelle");
// every other failure carries a German reason and is skipped by the read.
struct PortResult
{
    enum class Status { Success, PortNotAccessible, OtherFailure };

    Status status = Status::Success;
    QString reason; // German, empty on success

    [[nodiscard]] bool ok() const { return status == Status::Success; }
    [[nodiscard]] bool portNotAccessible() const { return status == Status::PortNotAccessible; }

    [[nodiscard]] static PortResult success() { return {}; }
    [[nodiscard]] static PortResult notAccessible(const QString &reason)
    {
        return {Status::PortNotAccessible, reason};
    }
    [[nodiscard]] static PortResult failure(const QString &reason) { return {Status::OtherFailure, reason}; }
};

struct PortInput
{
    PortResult result;
    QByteArray bytes; // what was taken; empty on failure
};

// Line settings as in "9600,N,8,1".
struct LineSettings
{
    qint32 baudRate = 9600;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;

    // nullopt when the text is not "baud,parity,data,stop" with parity one of
    // N, E, O, M, S, data 5..8 and stop 1, 1.5 or 2.
    [[nodiscard]] static std::optional<LineSettings> parse(const QString &text);
    friend bool operator==(const LineSettings &, const LineSettings &) = default;
};

// The serial port the reading windows carry: the operations of the old serial
// control over QSerialPort. Port n is the device the port map gives "Com<n>".
// Blocking use only: nothing listens to readyRead, input() polls.
class SerialPortLayer
{
public:
    // Resolves port numbers through the program's port map (settings file pins,
    // then the system's devices, as PortMap::current()) at every setCommPort().
    SerialPortLayer();
    // Resolves port numbers through a fixed map (tests, tools).
    explicit SerialPortLayer(const PortMap &map);
    ~SerialPortLayer(); // closes the port
    SerialPortLayer(const SerialPortLayer &) = delete;
    SerialPortLayer &operator=(const SerialPortLayer &) = delete;

    // 1..16; others name no port. Not while the port is open.
    [[nodiscard]] PortResult setCommPort(int portNumber);
    // "9600,N,8,1"; applied at once when the port is open.
    [[nodiscard]] PortResult setSettings(const QString &settings);
    // 0 takes every buffered byte; n > 0 at most n.
    [[nodiscard]] PortResult setInputLen(int length);
    // Kept for the record only: nothing here sends notifications.
    [[nodiscard]] PortResult setSThreshold(int threshold);
    [[nodiscard]] PortResult setRThreshold(int threshold);
    // Opening applies the line settings, no flow control, and drops any
    // input that waited in the device, so every read starts afresh.
    [[nodiscard]] PortResult setPortOpen(bool open);
    // Writes and waits up to 100 ms for the bytes to leave.
    [[nodiscard]] PortResult output(const QByteArray &data);
    // Returns and removes the buffered input (at most inputLen() bytes).
    [[nodiscard]] PortInput input();

    [[nodiscard]] int commPort() const { return m_commPort; }
    [[nodiscard]] QString settings() const { return m_settingsText; }
    [[nodiscard]] int inputLen() const { return m_inputLen; }
    [[nodiscard]] int sThreshold() const { return m_sThreshold; }
    [[nodiscard]] int rThreshold() const { return m_rThreshold; }
    [[nodiscard]] bool isPortOpen() const { return m_port.isOpen(); }
    // The device port commPort() stands for; empty when the map has none.
    [[nodiscard]] QString devicePath() const { return m_devicePath; }

    // German reason for a QSerialPort error; deviceAccessible tells a lock
    // held by another program from missing rights on the device file. A path
    // that is there but no character device (a folder, a plain file) is no
    // serial line, whatever error Qt makes of it.
    [[nodiscard]] static QString reasonFor(QSerialPort::SerialPortError error, bool deviceAccessible,
                                           bool characterDevice = true);

private:
    [[nodiscard]] PortResult applySettings();
    [[nodiscard]] PortResult failureFromPort(QSerialPort::SerialPortError error);

    std::optional<PortMap> m_map; // nullopt: PortMap::current()
    QSerialPort m_port;
    int m_commPort = 1;
    QString m_devicePath;
    QString m_settingsText = QStringLiteral("9600,N,8,1");
    LineSettings m_settings;
    int m_inputLen = 0;
    int m_sThreshold = 0;
    int m_rThreshold = 0;
};
