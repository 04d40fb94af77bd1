#include "link/FrameReader.h"

#include "config/PortMap.h"
#include "link/SerialPortLayer.h"

#include <QThread>

namespace {

// Closes the port however the read ends.
class CloseGuard
{
public:
    explicit CloseGuard(SerialPortLayer &port) : m_port(port) {}
    ~CloseGuard() { static_cast<void>(m_port.setPortOpen(false)); }
    CloseGuard(const CloseGuard &) = delete;
    CloseGuard &operator=(const CloseGuard &) = delete;

private:
    SerialPortLayer &m_port;
};

} // namespace

UserMessage portNotAccessibleMessage()
{
    return {QStringLiteral("Fehler: Schnittstelle"),
            QStringLiteral("Die gewählte Schnittstelle kann nicht angesprochen werden!!!")};
}

UserMessage noDataMessage()
{
    // The two paragraphs were once split by two carriage returns, which a Qt
    // message box does not show as line breaks.
    return {QStringLiteral("Fehler: keine Daten empfangen"),
            QStringLiteral(
                "Keine Daten an der gewählten Schnittstelle empfangen, Wahl der Schnittstelle und Kabel "
                "prüfen.\n\nACHTUNG: Es können nur Daten empfangen werden, wenn das Messgerät im "
                "'Daten-Halten-Modus' ist!!!")};
}

UserMessage withCause(const UserMessage &message, const QString &reason)
{
    if (reason.isEmpty())
        return message;
    return {message.title, message.text + QStringLiteral("\n\nUrsache: ") + reason};
}

QString portLabel(int portNumber, const QString &devicePath)
{
    return QStringLiteral("Com%1 (%2)")
        .arg(portNumber)
        .arg(devicePath.isEmpty() ? QStringLiteral("kein Gerät") : devicePath);
}

ReadResult readFrame(SerialPortLayer &port, int portNumber, bool demo)
{
    ReadResult result;
    const CloseGuard closeGuard(port);
    QByteArray reception;

    // Every step runs under the same rule: a port that does not exist ends the
    // read, any other failure skips just that step.
    const auto step = [&](const PortResult &outcome) {
        if (outcome.ok())
            return true;
        if (result.reason.isEmpty())
            result.reason = outcome.reason;
        if (outcome.portNotAccessible()) {
            result.reason = outcome.reason;
            result.outcome = ReadOutcome::PortNotAccessible;
            // The status bar knows why; the box says it too.
            result.message = withCause(portNotAccessibleMessage(), result.reason);
        }
        return false;
    };
    const auto ended = [&] { return result.outcome == ReadOutcome::PortNotAccessible; };
    const auto finish = [&] {
        result.devicePath = port.commPort() == portNumber ? port.devicePath() : QString();
        result.portLabel = portLabel(portNumber, result.devicePath);
        return result;
    };

    step(port.setCommPort(portNumber));
    if (ended())
        return finish();
    step(port.setSettings(QStringLiteral("9600,N,8,1")));
    if (ended())
        return finish();
    // Input length, send and receive threshold are one step: the first
    // failure skips the rest of it.
    if (step(port.setInputLen(0)) && step(port.setSThreshold(0)))
        step(port.setRThreshold(1));
    if (ended())
        return finish();
    step(port.setPortOpen(true));
    if (ended())
        return finish();
    step(port.output(QByteArrayLiteral(" ")));
    if (ended())
        return finish();
    // The instrument answers within this time; the wait counts from the send.
    QThread::msleep(100);
    if (PortInput input = port.input(); step(input.result))
        reception = std::move(input.bytes);
    if (ended())
        return finish();
    step(port.setPortOpen(false));
    if (ended())
        return finish();

    // Demo mode still talks to the port, so a wrong port shows up, but
    // whatever came back gives way to the demo frame.
    if (demo)
        reception = demoFrame();
    if (reception.isEmpty()) {
        result.outcome = ReadOutcome::NoData;
        // Busy, no rights, removed, not a serial line: the operator learns
        // why, not only what to check.
        result.message = withCause(noDataMessage(), result.reason);
        return finish();
    }
    result.buffer.fill(reception); // bytes past 100 are dropped
    result.outcome = ReadOutcome::Received;
    return finish();
}

ReadResult readFrame(int portNumber, bool demo, const PortMap &map)
{
    SerialPortLayer port(map);
    return readFrame(port, portNumber, demo);
}

ReadResult readFrame(int portNumber, bool demo)
{
    SerialPortLayer port;
    return readFrame(port, portNumber, demo);
}
