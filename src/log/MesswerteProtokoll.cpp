#include "log/MesswerteProtokoll.h"

MesswerteProtokoll::MesswerteProtokoll(QWidget *parent)
    : ChildWindow(QStringLiteral("MesswerteProtokoll"), QStringLiteral("Messwerte protokollieren"), parent)
{}
