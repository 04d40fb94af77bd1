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

    QTreeWidget *m_listView1 = nullptr;
    QLineEdit *m_text1 = nullptr;
    QLineEdit *m_text2 = nullptr;
    QPushButton *m_cmdRead = nullptr;
    QComboBox *m_cmbPort = nullptr;
    QLabel *m_label6 = nullptr;
    QPushButton *m_cmdExit = nullptr;
};
