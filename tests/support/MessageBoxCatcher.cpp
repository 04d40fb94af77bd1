#include "MessageBoxCatcher.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QPushButton>
#include <QTest>

MessageBoxCatcher::MessageBoxCatcher(QObject *parent) : QObject(parent)
{
    m_timer.setInterval(10);
    connect(&m_timer, &QTimer::timeout, this, &MessageBoxCatcher::closeOpenBox);
    m_timer.start();
}

QList<UserMessage> MessageBoxCatcher::messages() const
{
    QList<UserMessage> result;
    for (const Caught &caught : m_caught)
        result.append(caught.message);
    return result;
}

bool MessageBoxCatcher::waitForCount(qsizetype count, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (m_caught.size() < count && !deadline.hasExpired())
        QTest::qWait(10);
    return m_caught.size() >= count;
}

void MessageBoxCatcher::closeOpenBox()
{
    auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    if (!box || !box->isVisible())
        return;
    Caught caught{{box->windowTitle(), box->text()}, box->icon(), {}, {}};
    QAbstractButton *button = nullptr;
    for (QAbstractButton *each : box->buttons()) {
        caught.buttons.append(each->text());
        if (!m_answer.isEmpty() && each->text() == m_answer)
            button = each;
    }
    if (box->defaultButton())
        caught.defaultButton = box->defaultButton()->text();
    m_caught.append(caught);
    if (!button)
        button = box->defaultButton();
    if (!button)
        button = box->escapeButton();
    if (button)
        button->click();
    else
        box->accept();
}
