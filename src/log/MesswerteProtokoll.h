#pragma once

#include "app/ChildWindow.h"

// The operator's working window: read a measurement, complete it, save it.
class MesswerteProtokoll : public ChildWindow
{
    Q_OBJECT
public:
    explicit MesswerteProtokoll(QWidget *parent = nullptr);
};
