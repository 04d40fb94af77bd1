#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

// Start window at process start, About window later: which role it plays
// follows the application state's MainGestartet.
class Splash : public QWidget
{
    Q_OBJECT
public:
    Splash();
    ~Splash() override;

    [[nodiscard]] QPushButton *exitButton() const { return m_cmdExit; }

protected:
    void changeEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void activateStep();
    void belongToMainWindow();

    QPushButton *m_cmdExit;
    bool m_initialised = false;
};
