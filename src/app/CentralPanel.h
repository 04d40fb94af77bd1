#pragma once

#include <QObject>
#include <QString>

class CentralService;
class QLabel;
struct CentralStatus;
struct StoredSettings;

// The status bar's field of the central database, and the upload behind it:
// started from the loaded settings when they name a central database,
// told of every save, stopped within 2 s when the program closes. Hidden
// without [Zentrale].
class CentralPanel : public QObject
{
    Q_OBJECT
public:
    // Writes into label and lives as long as it.
    explicit CentralPanel(QLabel *label);
    ~CentralPanel() override;

    void start(const StoredSettings &stored, const QString &settingsPath);
    void stop();

private:
    void show(const CentralStatus &status);

    QLabel *m_label;
    CentralService *m_service;
};
