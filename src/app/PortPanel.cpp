#include "app/PortPanel.h"

#include "config/PortMap.h"
#include "link/PortNumber.h"
#include "link/ReadStatus.h"

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
    m_loadedPins.reset();
    m_stale = false;
    m_portName = portName;
    QString text =
        portName + QStringLiteral(": ") + (device.isEmpty() ? QStringLiteral("kein Gerät") : device);
    // A pinned adapter that is unplugged keeps its pin; say that it is not there.
    if (!device.isEmpty() && !PortMap::deviceExists(device))
        text += QStringLiteral(" (fehlt)");
    show(text);
}

void PortPanel::showRead(int portNumber, const QString &devicePath, bool present)
{
    // The inspector reads other ports too; only the configured one is shown here.
    if (m_portName.isEmpty() || portNumberFromName(m_portName) != portNumber)
        return;
    show(portFieldText(m_portName, devicePath, present));
}

void PortPanel::show(const QString &text)
{
    m_label->setText(text);
    // Whatever a narrow status bar cuts off can still be read.
    m_label->setToolTip(text);
}
