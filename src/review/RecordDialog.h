#pragma once

#include "store/ReviewData.h"

#include <QDialog>

// One record as the store keeps it: its values, verdict and origin, and its
// frame bytes as the inspector lists them ("–" for an imported line, which
// has no frame).
class RecordDialog : public QDialog
{
    Q_OBJECT
public:
    explicit RecordDialog(const ReviewRecord &record, QWidget *parent = nullptr);
};
