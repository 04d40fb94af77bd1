#pragma once

#include "ui/ChildWindow.h"

#include <memory>

class QComboBox;
class QFileDialog;
class QLineEdit;
class QPushButton;

// Port, data file, limits file and separator. The chosen data and limits
// files take effect at once; port and separator only when saved.
class Einstellungen : public ChildWindow
{
    Q_OBJECT
public:
    explicit Einstellungen(QWidget *parent = nullptr);

    // The clicks of cmdFile, cmdLimitsFile, cmdLimitsClear and cmdSave.
    void chooseFile();
    void chooseLimitsFile();
    void clearLimitsFile();
    void save();

signals:
    // The save command stores every setting of the program; who owns them
    // carries it out, before this window closes.
    void saveSettingsRequested();

private:
    void createControls();
    static void selectEntry(QComboBox *list, const QString &text);
    void showLimitsFile(const QString &path);

    QComboBox *m_cmbPort = nullptr;
    QLineEdit *m_fileName = nullptr;
    QPushButton *m_cmdFile = nullptr;
    QLineEdit *m_limitsFileName = nullptr;
    QPushButton *m_cmdLimitsFile = nullptr;
    QPushButton *m_cmdLimitsClear = nullptr;
    QComboBox *m_cmbTrenner = nullptr;
    QPushButton *m_cmdSave = nullptr;
    QPushButton *m_cmdExit = nullptr;
};

// The file chooser for the data file, set up but not shown: title, the three
// filters, starting at currentPath, or in the home folder with no name when
// currentPath's folder is gone; the chosen folder must exist, the file need not.
[[nodiscard]] std::unique_ptr<QFileDialog> createDataFileChooser(const QString &currentPath,
                                                                 QWidget *parent = nullptr);
// Shows the chooser modally; the chosen path, or currentPath when cancelled.
[[nodiscard]] QString DateiWahl(const QString &currentPath, QWidget *parent = nullptr);

// The file chooser for the limits table, set up but not shown: title, the
// filters *.csv, *.txt and *.*, starting at currentPath (or in the home
// folder); only an existing file can be chosen.
[[nodiscard]] std::unique_ptr<QFileDialog> createLimitsFileChooser(const QString &currentPath,
                                                                   QWidget *parent = nullptr);
// Shows it modally; the chosen path, or currentPath when cancelled.
[[nodiscard]] QString GrenzwertdateiWahl(const QString &currentPath, QWidget *parent = nullptr);
