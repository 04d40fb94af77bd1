#pragma once

#include "link/Frame.h"
#include "log/MeasurementLog.h"
#include "store/ResultSaver.h"
#include "tolerance/LimitsFile.h"
#include "tolerance/Verdict.h"
#include "ui/ChildWindow.h"

#include <QDateTime>
#include <array>
#include <optional>

class QLabel;
class QLineEdit;
struct VerdictView;
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
    // lblBewertung: the verdict on the reading shown; hidden while no limits
    // file is set.
    [[nodiscard]] QLabel *verdictField() const { return m_verdictField; }

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

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void createControls();
    void setTabOrder();
    void checkOperatorFields();
    [[nodiscard]] QStringList fieldTexts() const;
    // Judges the reading shown against the limits for the type field's text.
    void judge();
    void showVerdict(const VerdictView *view);
    // Records a failed store write left pending, written once the store works.
    void catchUpResults();
    // The store of the settings as they are now.
    [[nodiscard]] static StoreSetup storeSetup();

    std::array<QLineEdit *, MeasurementLog::FieldCount> m_fields{};
    QPushButton *m_cmdRead = nullptr;
    QPushButton *m_cmdSave = nullptr;
    QPushButton *m_cmdExit = nullptr;
    QLabel *m_verdictField = nullptr;
    // True while no valid record waits to be saved.
    bool m_saved = true;
    bool m_closeWithoutQuestion = false;
    std::optional<MeasurementRecord> m_record; // the valid reading shown
    std::optional<LimitsFile> m_limits;        // of the limits file set
    Verdict m_verdict;                         // on m_record
    // The frame and moment of the valid read on show, for the results store.
    ReceptionBuffer m_frame;
    QDateTime m_readTime;
    ResultSaver m_results;
};
