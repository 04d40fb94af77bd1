#include "ui/ErrorBox.h"

#include <QApplication>
#include <QMessageBox>

void showErrorBox(const UserMessage &message, QWidget *parent)
{
    QMessageBox box(QMessageBox::Critical, message.title, message.text, QMessageBox::Ok,
                    parent ? parent : QApplication::activeWindow());
    box.setObjectName(QStringLiteral("errorBox"));
    // A pending wait cursor must not hide that the program waits for the operator.
    const bool waitCursor = QApplication::overrideCursor() != nullptr;
    if (waitCursor)
        QApplication::setOverrideCursor(Qt::ArrowCursor);
    box.exec();
    if (waitCursor)
        QApplication::restoreOverrideCursor();
}
