#include "config/Einstellungen.h"

Einstellungen::Einstellungen(QWidget *parent)
    : ChildWindow(QStringLiteral("Einstellungen"), QStringLiteral("Einstellungen"), parent)
{}
