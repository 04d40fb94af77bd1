#include "app/CentralPanel.h"

#include "central/CentralConfig.h"
#include "central/CentralService.h"
#include "central/CentralStatus.h"
#include "config/SettingsStore.h"
#include "core/AppState.h"

#include <QLabel>

CentralPanel::CentralPanel(QLabel *label)
    : QObject(label), m_label(label), m_service(new CentralService(this))
{
    m_label->hide();
    connect(m_service, &CentralService::statusChanged, this, &CentralPanel::show);
    connect(&AppState::instance(), &AppState::recordSaved, m_service, &CentralService::recordSaved);
}

CentralPanel::~CentralPanel()
{
    stop();
}

void CentralPanel::start(const StoredSettings &stored, const QString &settingsPath)
{
    m_service->stop();
    const CentralConfig config = CentralConfig::fromSettings(stored, settingsPath);
    switch (config.mode) {
    case CentralConfig::Mode::Off:
        show({});
        return;
    case CentralConfig::Mode::Invalid:
        show({CentralStatus::State::Invalid, 0, false, config.error.reason(), config.error.text()});
        return;
    case CentralConfig::Mode::SavingOff:
        show({CentralStatus::State::SavingOff, 0, false, {}, {}});
        return;
    case CentralConfig::Mode::On:
        m_service->start(config.conninfo, config.storePath);
        return;
    }
}

void CentralPanel::stop()
{
    m_service->stop();
}

void CentralPanel::show(const CentralStatus &status)
{
    m_label->setText(status.text());
    m_label->setToolTip(status.toolTip());
    m_label->setVisible(status.state != CentralStatus::State::Off);
}
