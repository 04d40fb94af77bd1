#include "diag/Debuggen.h"

Debuggen::Debuggen(QWidget *parent)
    : ChildWindow(QStringLiteral("Debuggen"), QStringLiteral("Debuggen"), parent)
{}
