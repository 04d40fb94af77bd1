#pragma once

#include "store/ReviewData.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLineEdit;
class QTimer;

// The filters above the table: type, number (contains), date from / to,
// verdict, and the quantity the chart shows. Typing in the number waits for
// a pause before it filters.
class ReviewFilterBar : public QWidget
{
    Q_OBJECT
public:
    explicit ReviewFilterBar(QWidget *parent = nullptr);

    // The store's types; the chosen one stays when it is still there.
    void setTypes(const QStringList &types);
    void chooseType(const QString &type);
    // The benches' names; the chosen one stays when it is still there.
    void setBenches(const QStringList &benches);
    [[nodiscard]] ReviewFilter filter() const;
    [[nodiscard]] ReviewQuantity quantity() const;
    // The filter in words, for the report.
    [[nodiscard]] QString describe() const;

signals:
    void filterChanged();
    void quantityChanged();

private:
    QComboBox *m_type;
    QLineEdit *m_number;
    QCheckBox *m_fromOn;
    QDateEdit *m_from;
    QCheckBox *m_toOn;
    QDateEdit *m_to;
    QComboBox *m_verdict;
    QComboBox *m_bench;
    QComboBox *m_quantity;
    QTimer *m_typing;
};
