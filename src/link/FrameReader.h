#pragma once

#include "core/UserMessage.h"
#include "link/Frame.h"

#include <QString>

class PortMap;
class SerialPortLayer;

enum class ReadOutcome {
    Received,          // bytes (or the demo frame) are in the buffer
    PortNotAccessible, // the port number names no existing port ("Fehler: Schnittstelle")
    NoData,            // nothing received ("Fehler: keine Daten empfangen")
};

struct ReadResult
{
    ReadOutcome outcome = ReadOutcome::NoData;
    ReceptionBuffer buffer; // positions 1..100, zero where nothing came
    UserMessage message;    // what to show the operator; empty when Received
    QString reason;         // German reason from the port layer, e.g. "Gerät belegt"; may be empty
    QString portLabel;      // e.g. "Com3 (/dev/ttyUSB0)"
    QString devicePath;     // the device the port stood for at this read; empty when none

    // The read found the port's device there (it may still have failed later).
    [[nodiscard]] bool deviceFound() const
    {
        return !devicePath.isEmpty() && outcome != ReadOutcome::PortNotAccessible;
    }
};

// One read: configure, open, send " ", wait 100 ms, take all input, close; in
// demo mode the reception is then replaced by the demo frame. Each step under
// the skip rule; a port that does not exist ends the read. Shows nothing:
// the caller shows result.message through showErrorBox().
[[nodiscard]] ReadResult readFrame(int portNumber, bool demo, const PortMap &map);
[[nodiscard]] ReadResult readFrame(int portNumber, bool demo); // with PortMap::current()

// The same read on a port the caller keeps (a window's own port); it is
// closed again when the read returns.
[[nodiscard]] ReadResult readFrame(SerialPortLayer &port, int portNumber, bool demo);

// The operator's messages of a read. A read that ends for a missing port, or
// without data for a cause the port layer knows, carries its message
// withCause() the reason.
[[nodiscard]] UserMessage portNotAccessibleMessage(); // "Fehler: Schnittstelle"
[[nodiscard]] UserMessage noDataMessage();            // "Fehler: keine Daten empfangen"
// The message with one more paragraph, "Ursache: " and the reason, after an
// empty line; unchanged when the reason is empty. Title and text stay as they are.
[[nodiscard]] UserMessage withCause(const UserMessage &message, const QString &reason);
// "Com3 (/dev/ttyUSB0)", or "Com3 (kein Gerät)" without a device path.
[[nodiscard]] QString portLabel(int portNumber, const QString &devicePath);
