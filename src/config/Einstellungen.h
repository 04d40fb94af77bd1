#pragma once

#include "app/ChildWindow.h"

// Port, data file and separator.
class Einstellungen : public ChildWindow
{
    Q_OBJECT
public:
    explicit Einstellungen(QWidget *parent = nullptr);
};
