#pragma once

#include <QObject>

class QMdiArea;
class QWidget;

// Where a work window is larger than the frame (high display scaling), the
// frame scrolls to the control that takes the keyboard focus, so an
// operator working by keyboard sees the field being typed into.
class FocusInView : public QObject
{
    Q_OBJECT
public:
    // Serves area and lives as long as it.
    explicit FocusInView(QMdiArea *area);

private:
    void show(QWidget *focused);

    QMdiArea *m_area;
};
