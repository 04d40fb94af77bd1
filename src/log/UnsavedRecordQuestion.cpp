#include "log/UnsavedRecordQuestion.h"

#include <QMessageBox>
#include <QPointer>
#include <QPushButton>

bool UnsavedRecordQuestion::operatorDropsRecord(QWidget *parent)
{
    // The box may go with its parent while it waits (the session ends).
    const QPointer<QMessageBox> box =
        new QMessageBox(QMessageBox::Question, QStringLiteral("Messung nicht gespeichert"),
                        QStringLiteral("Die angezeigte Messung ist noch nicht gespeichert. Verwerfen?"),
                        QMessageBox::NoButton, parent);
    QPushButton *drop = box->addButton(QStringLiteral("Verwerfen"), QMessageBox::DestructiveRole);
    QPushButton *keep = box->addButton(QStringLiteral("Abbrechen"), QMessageBox::RejectRole);
    box->setDefaultButton(keep);
    box->setEscapeButton(keep);
    box->exec();
    const bool dropped = box && box->clickedButton() == drop;
    delete box;
    return dropped;
}
