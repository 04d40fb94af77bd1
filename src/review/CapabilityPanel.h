#pragma once

#include "store/Capability.h"
#include "store/ReviewData.h"

#include <QGroupBox>

class QFormLayout;
class QLabel;

// The figures of the charted quantity beside the chart: n, mean, standard
// deviation, min, max, the limits and the capability indices; "–" where a
// figure does not exist, and a note when there are too few values to judge.
class CapabilityPanel : public QGroupBox
{
    Q_OBJECT
public:
    explicit CapabilityPanel(QWidget *parent = nullptr);

    // limits: the limits' text and where they come from.
    void showFigures(const CapabilityFigures &figures, const QString &limits, ReviewQuantity quantity);
    void clearFigures();

    // The figures as caption and text, in their order, for the report.
    [[nodiscard]] QList<std::pair<QString, QString>> lines() const;
    [[nodiscard]] QString note() const;

private:
    QLabel *addRow(const QString &name, const QString &caption);

    QFormLayout *m_form;
    QList<QLabel *> m_values;
    QLabel *m_cpkCaption = nullptr;
    QLabel *m_ppkCaption = nullptr;
    QLabel *m_note;
};
