#pragma once

#include "core/UserMessage.h"

#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QTimer>

// For window tests: while it lives, every modal QMessageBox that opens (as
// showErrorBox() opens them) is recorded and closed with its default button,
// so the code under test goes on as if the operator had pressed OK.
//
//   MessageBoxCatcher boxes;
//   QTest::mouseClick(window.findChild<QPushButton *>("cmdRead"), Qt::LeftButton);
//   QCOMPARE(boxes.messages(), QList<UserMessage>{noDataMessage()});
//
// It polls QApplication::activeModalWidget() with a timer, which also fires
// inside the box's own exec() loop. Only message boxes are touched.
class MessageBoxCatcher : public QObject
{
public:
    struct Caught
    {
        UserMessage message; // windowTitle() and text()
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QStringList buttons;   // their texts, in the box's order
        QString defaultButton; // the one Enter presses, which has the focus
    };

    explicit MessageBoxCatcher(QObject *parent = nullptr);

    [[nodiscard]] QList<UserMessage> messages() const;
    [[nodiscard]] QList<Caught> caught() const { return m_caught; }
    [[nodiscard]] qsizetype count() const { return m_caught.size(); }
    // Processes events until count() reaches count; false on timeout. For
    // boxes that open later (from a timer or queued call).
    [[nodiscard]] bool waitForCount(qsizetype count, int timeoutMs = 5000);
    void clear() { m_caught.clear(); }
    // From now on a box is answered with the button of this text, where it
    // has one; empty: the default button, as before.
    void answerWith(const QString &buttonText) { m_answer = buttonText; }

private:
    void closeOpenBox();

    QTimer m_timer;
    QList<Caught> m_caught;
    QString m_answer;
};
