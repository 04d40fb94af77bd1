#pragma once

#include "log/MeasurementLog.h"
#include "ui/ChildWindow.h"

#include <array>

class QLineEdit;
class QPushButton;

// The operator's working window: read a measurement, complete it, save it.
// The rules live in MeasurementLog; this class only wires the controls.
class MesswerteProtokoll : public ChildWindow
{
    Q_OBJECT
public:
    explicit MesswerteProtokoll(QWidget *parent = nullptr);

    // lblDaten0 .. lblDaten11, in record column order.
    [[nodiscard]] QLineEdit *field(int index) const;
    [[nodiscard]] bool isSaved() const { return m_saved; }

    // The commands behind cmdRead and cmdSave.
    void readMeasurement();
    void saveRecord();

    // A complete record that waits unsaved (the save is available) is not
    // dropped unasked: asks once; true when nothing waits or the operator
    // chose "Verwerfen".
    [[nodiscard]] bool mayDropRecord();
    // The next close drops a waiting record without asking: the main window
    // has asked already, or the session ends.
    void closeWithoutQuestion() { m_closeWithoutQuestion = true; }

signals:
    // A read of the configured port found this device for it (empty: none),
    // so whoever shows the port can follow an adapter unplugged or back.
    void configuredPortRead(const QString &portName, const QString &devicePath);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void createControls();
    void setTabOrder();
    void checkOperatorFields();
    [[nodiscard]] QStringList fieldTexts() const;

    std::array<QLineEdit *, MeasurementLog::FieldCount> m_fields{};
    QPushButton *m_cmdRead = nullptr;
    QPushButton *m_cmdSave = nullptr;
    QPushButton *m_cmdExit = nullptr;
    // True while no valid record waits to be saved.
    bool m_saved = true;
    bool m_closeWithoutQuestion = false;
};
