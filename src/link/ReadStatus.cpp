#include "link/ReadStatus.h"

namespace {

QString checkText(FrameCheck check)
{
    switch (check) {
    case FrameCheck::Valid:
        return QStringLiteral("gültige Messung");
    case FrameCheck::WrongStartByte:
        return QStringLiteral("Startbyte falsch");
    case FrameCheck::WrongEndByte:
        return QStringLiteral("Endbyte falsch");
    case FrameCheck::WrongChecksum:
        return QStringLiteral("Prüfsumme falsch");
    }
    return {};
}

QString outcomeText(const ReadResult &result, std::optional<FrameCheck> check)
{
    switch (result.outcome) {
    case ReadOutcome::Received:
        if (check)
            return checkText(*check);
        return result.buffer.receivedCount() == 1
                   ? QStringLiteral("1 Byte empfangen")
                   : QStringLiteral("%1 Bytes empfangen").arg(result.buffer.receivedCount());
    case ReadOutcome::NoData:
        // A skipped step (busy, removed) says more than the bare outcome.
        if (!result.reason.isEmpty())
            return QStringLiteral("%1: %2").arg(result.portLabel, result.reason);
        return QStringLiteral("keine Daten empfangen (%1)").arg(result.portLabel);
    case ReadOutcome::PortNotAccessible:
        return QStringLiteral("%1: %2").arg(
            result.portLabel,
            result.reason.isEmpty() ? QStringLiteral("Schnittstelle nicht ansprechbar") : result.reason);
    }
    return {};
}

} // namespace

QString readStatusText(const ReadResult &result, std::optional<FrameCheck> check, const QTime &time)
{
    return time.toString(QStringLiteral("HH:mm:ss")) + QLatin1Char(' ') + outcomeText(result, check);
}

QString portFieldText(const QString &portName, const QString &devicePath, bool present)
{
    if (devicePath.isEmpty())
        return portName + QStringLiteral(": kein Gerät");
    return portName + QStringLiteral(": ") + devicePath + (present ? QString() : QStringLiteral(" (fehlt)"));
}

QString portFieldText(const QString &portName, const ReadResult &result)
{
    return portFieldText(portName, result.devicePath, result.deviceFound());
}
