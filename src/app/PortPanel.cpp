#include "app/PortPanel.h"

#include "config/PortMap.h"
#include "link/PortNumber.h"

#include <QLabel>

PortPanel::PortPanel(QLabel *label) : QObject(label), m_label(label) {}

void PortPanel::useLoadedPins(const QMap<int, QString> &pins)
{
    m_loadedPins = pins;
    m_stale = true;
}

void PortPanel::lookAgain()
{
    m_stale = true;
}

void PortPanel::showPort(const QString &portName)
{
    if (!m_stale && portName == m_portName)
        return;
    const int port = portNumberFromName(portName);
    // The loaded pins serve one look only; later the settings file may have changed.
    const QString device =
        m_loadedPins ? PortMap::devicePathFor(port, *m_loadedPins) : PortMap::currentDevicePath(port);
    showFound(portName, device);
}

void PortPanel::showFound(const QString &portName, const QString &devicePath)
{
    m_loadedPins.reset();
    m_stale = false;
    m_portName = portName;
    QString text =
        portName + QStringLiteral(": ") + (devicePath.isEmpty() ? QStringLiteral("kein Gerät") : devicePath);
    // A pinned adapter that is unplugged keeps its pin; say that it is not there.
    if (!devicePath.isEmpty() && !PortMap::deviceExists(devicePath))
        text += QStringLiteral(" (fehlt)");
    m_label->setText(text);
}
