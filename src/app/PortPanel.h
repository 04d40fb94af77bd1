#pragma once

#include <QMap>
#include <QObject>
#include <QString>
#include <optional>

class QLabel;

// The status bar's port panel: the configured port and the device it stands
// for. Looking the device up may cost a look at the system's devices, so it
// runs only when the port changed, the pins were read afresh or the caller
// says the devices may have changed, not for every other change of the state.
class PortPanel : public QObject
{
    Q_OBJECT
public:
    // Writes into label and lives as long as it.
    explicit PortPanel(QLabel *label);

    // The port pins the settings load read, for the next showing, so that it
    // need not read the settings file again.
    void useLoadedPins(const QMap<int, QString> &pins);
    // Looks up the port's device afresh at the next showing: an adapter may
    // have come or gone meanwhile.
    void lookAgain();
    void showPort(const QString &portName);
    // What a read of portNumber found: an adapter plugged back shows at once,
    // not only at the next activation of the main window.
    void showRead(int portNumber, const QString &devicePath, bool present);

private:
    void show(const QString &text);

    QLabel *m_label;
    bool m_stale = true;
    QString m_portName;
    std::optional<QMap<int, QString>> m_loadedPins;
};
