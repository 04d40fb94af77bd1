#pragma once

#include "app/ChildWindow.h"

// The raw frame inspector.
class Debuggen : public ChildWindow
{
    Q_OBJECT
public:
    explicit Debuggen(QWidget *parent = nullptr);
};
