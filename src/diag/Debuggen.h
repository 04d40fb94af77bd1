#pragma once

#include "ui/ChildWindow.h"

class PortMap;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

// The raw frame inspector: reads one frame from a port chosen here and lists
// it byte by byte and field by field, without checking it.
class Debuggen : public ChildWindow
{
    Q_OBJECT
public:
    explicit Debuggen(QWidget *parent = nullptr);

    // The click of cmdRead.
    void readData();

private:
    void createControls();
    void portChoice();
    void showPortWarning(const PortMap &map);

    // The object names (ListView1, Text1, Text2, Label6) are what tests and
    // the operator's tools find the controls by; the members say what they hold.
    QTreeWidget *m_fieldList = nullptr; // one row per field of the reception
    QLineEdit *m_hexBytes = nullptr;
    QLineEdit *m_decimalBytes = nullptr;
    QPushButton *m_cmdRead = nullptr;
    QComboBox *m_cmbPort = nullptr;
    QLabel *m_portUnknownWarning = nullptr;
    QPushButton *m_cmdExit = nullptr;
};
