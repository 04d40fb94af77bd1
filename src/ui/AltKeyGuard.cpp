#include "ui/AltKeyGuard.h"

#include <QKeyEvent>
#include <QWidget>

bool AltKeyGuard::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const auto *key = static_cast<const QKeyEvent *>(event);
    const Qt::KeyboardModifiers modifiers = key->modifiers();
    const auto *widget = qobject_cast<const QWidget *>(watched);
    // Every widget that takes typed text takes input-method text as well.
    const bool textField = widget && widget->testAttribute(Qt::WA_InputMethodEnabled);
    const bool altText = modifiers.testFlag(Qt::AltModifier) && !modifiers.testFlag(Qt::ControlModifier) &&
                         !key->text().isEmpty() && key->text().front().isPrint();
    return textField && altText;
}
