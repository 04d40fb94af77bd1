#include "review/CapabilityPanel.h"

#include "review/ReviewValueText.h"

#include <QFormLayout>
#include <QLabel>
#include <QLocale>
#include <QVBoxLayout>

namespace {

constexpr int FewValues = 100;
const QString None = QStringLiteral("–");

enum Row { N, Mean, Deviation, Min, Max, Limits, Cp, Cpk, Pp, Ppk };

} // namespace

CapabilityPanel::CapabilityPanel(QWidget *parent)
    : QGroupBox(QStringLiteral("Kennzahlen"), parent), m_form(new QFormLayout), m_note(new QLabel(this))
{
    setObjectName(QStringLiteral("grpKennzahlen"));
    setAccessibleName(QStringLiteral("Kennzahlen"));
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(m_form);
    m_form->setLabelAlignment(Qt::AlignLeft);
    addRow(QStringLiteral("lblN"), QStringLiteral("n"));
    addRow(QStringLiteral("lblMittelwert"), QStringLiteral("Mittelwert"));
    addRow(QStringLiteral("lblStandardabweichung"), QStringLiteral("Standardabweichung"));
    addRow(QStringLiteral("lblMin"), QStringLiteral("Min"));
    addRow(QStringLiteral("lblMax"), QStringLiteral("Max"));
    addRow(QStringLiteral("lblGrenzen"), QStringLiteral("Grenzen"))->setWordWrap(true);
    addRow(QStringLiteral("lblCp"), QStringLiteral("Cp"));
    addRow(QStringLiteral("lblCpk"), QStringLiteral("Cpk"));
    addRow(QStringLiteral("lblPp"), QStringLiteral("Pp"));
    addRow(QStringLiteral("lblPpk"), QStringLiteral("Ppk"));
    m_cpkCaption = qobject_cast<QLabel *>(m_form->labelForField(m_values[Cpk]));
    m_ppkCaption = qobject_cast<QLabel *>(m_form->labelForField(m_values[Ppk]));
    m_note->setObjectName(QStringLiteral("lblHinweis"));
    m_note->setWordWrap(true);
    m_note->setAccessibleName(QStringLiteral("Hinweis"));
    layout->addWidget(m_note);
    layout->addStretch();
    clearFigures();
}

QLabel *CapabilityPanel::addRow(const QString &name, const QString &caption)
{
    auto *value = new QLabel(None, this);
    value->setObjectName(name);
    value->setAccessibleName(caption);
    value->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_form->addRow(caption + u':', value);
    m_values.append(value);
    return value;
}

void CapabilityPanel::clearFigures()
{
    for (QLabel *value : m_values)
        value->setText(None);
    m_cpkCaption->setText(QStringLiteral("Cpk:"));
    m_ppkCaption->setText(QStringLiteral("Ppk:"));
    m_note->clear();
}

void CapabilityPanel::showFigures(const CapabilityFigures &figures, const QString &limits,
                                  ReviewQuantity quantity)
{
    const auto text = [](std::optional<double> value, int decimals) {
        return value ? QLocale().toString(*value, 'f', decimals) : None;
    };
    const auto plain = [quantity](std::optional<double> value) { return reviewValueText(quantity, value); };
    m_values[N]->setText(QLocale().toString(figures.n));
    m_values[Mean]->setText(text(figures.mean, 3));
    m_values[Deviation]->setText(text(figures.standardDeviation, 3));
    m_values[Min]->setText(plain(figures.min));
    m_values[Max]->setText(plain(figures.max));
    m_values[Limits]->setText(limits);
    m_values[Cp]->setText(text(figures.cp, 2));
    m_values[Cpk]->setText(text(figures.cpk, 2));
    m_values[Pp]->setText(text(figures.pp, 2));
    m_values[Ppk]->setText(text(figures.ppk, 2));
    using Sides = CapabilityFigures::Sides;
    const bool upper = figures.sides == Sides::UpperOnly;
    const bool lower = figures.sides == Sides::LowerOnly;
    m_cpkCaption->setText(upper   ? QStringLiteral("Cpk (CPU):")
                          : lower ? QStringLiteral("Cpk (CPL):")
                                  : QStringLiteral("Cpk:"));
    m_ppkCaption->setText(upper   ? QStringLiteral("Ppk (PPU):")
                          : lower ? QStringLiteral("Ppk (PPL):")
                                  : QStringLiteral("Ppk:"));
    m_note->setText(figures.n < FewValues
                        ? QStringLiteral("Weniger als 100 Werte: Kennzahlen nur orientierend")
                        : QString());
}

QList<std::pair<QString, QString>> CapabilityPanel::lines() const
{
    QList<std::pair<QString, QString>> lines;
    for (QLabel *value : m_values) {
        const auto *caption = qobject_cast<QLabel *>(m_form->labelForField(value));
        QString name = caption ? caption->text() : QString();
        name.chop(1);
        lines.append({name, value->text()});
    }
    return lines;
}

QString CapabilityPanel::note() const
{
    return m_note->text();
}
