#pragma once

#include <QObject>

// Alt with a letter is a command key, never text. Where no access key takes
// it, a text field would type the letter ("W1" became "nvls"); the guard
// drops such a key before any field sees it. AltGr characters (@, €, µ) still
// type: on X11 and Wayland AltGr is no Alt, on Windows it comes as Ctrl+Alt.
class AltKeyGuard : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};
