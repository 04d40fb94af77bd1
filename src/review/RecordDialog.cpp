#include "review/RecordDialog.h"

#include "diag/InspectorRows.h"
#include "review/ReviewValueText.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

RecordDialog::RecordDialog(const ReviewRecord &record, QWidget *parent) : QDialog(parent)
{
    const ReviewRow &row = record.row;
    const QLocale locale;
    setObjectName(QStringLiteral("dlgMesswert"));
    setWindowTitle(QStringLiteral("Messwert %1 %2").arg(row.type, row.number));
    auto *layout = new QVBoxLayout(this);
    auto *form = new QFormLayout;
    layout->addLayout(form);
    const auto add = [&](const QString &caption, const QString &text) {
        auto *value = new QLabel(text.isEmpty() ? QStringLiteral("–") : text, this);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        value->setAccessibleName(caption);
        form->addRow(caption + u':', value);
    };
    add(QStringLiteral("Zeit"), QStringLiteral("%1 %2").arg(record.dateText, record.timeText));
    add(QStringLiteral("Typ"), row.type);
    add(QStringLiteral("Nummer"), row.number);
    add(QStringLiteral("Visum"), row.mark);
    add(QStringLiteral("Polzahl"), reviewCountText(row.poleCount));
    add(QStringLiteral("Drehzahl"), reviewValueText(ReviewQuantity::Speed, row.speed, locale));
    add(QStringLiteral("Spannungskonstante"),
        reviewValueText(ReviewQuantity::VoltageConstant, row.voltageConstant, locale));
    add(QStringLiteral("Spannung"), reviewValueText(ReviewQuantity::Voltage, row.voltage, locale));
    add(QStringLiteral("el. Winkel"),
        reviewValueText(ReviewQuantity::ElectricalAngle, row.electricalAngle, locale));
    add(QStringLiteral("mech. Winkel"),
        reviewValueText(ReviewQuantity::MechanicalAngle, row.mechanicalAngle, locale));
    add(QStringLiteral("Geberzähne"), reviewCountText(row.teeth));
    add(QStringLiteral("Offset Phase U/V/W"),
        QStringLiteral("%1 / %2 / %3")
            .arg(reviewCountText(row.offsetU), reviewCountText(row.offsetV), reviewCountText(row.offsetW)));
    QString verdict = reviewVerdictText(row.verdict);
    if (!row.outside.isEmpty())
        verdict += QStringLiteral(" (") + row.outside.join(QStringLiteral(", ")) + u')';
    if (record.judgedOnImport)
        verdict += QStringLiteral(", beim Import bewertet");
    add(QStringLiteral("Bewertung"), verdict);
    add(QStringLiteral("Quelle"),
        row.bench.isEmpty() ? row.source : row.source + QStringLiteral(", ") + row.bench);
    add(QStringLiteral("Datendatei"), record.dataFile);

    if (record.frame.isEmpty()) {
        add(QStringLiteral("Rahmen"), QStringLiteral("–"));
    } else {
        const InspectorView view = inspectReception(record.frame, locale);
        add(QStringLiteral("Hex"), view.hexList);
        add(QStringLiteral("Dez"), view.decimalList);
        auto *fields = new QTreeWidget(this);
        fields->setObjectName(QStringLiteral("lstRahmen"));
        fields->setAccessibleName(QStringLiteral("Datenfelder des Rahmens"));
        fields->setRootIsDecorated(false);
        fields->setHeaderLabels({QStringLiteral("Datenfeld"), QStringLiteral("Bytes"), QStringLiteral("Hex"),
                                 QStringLiteral("Dez"), QStringLiteral("Beschreibung")});
        for (const InspectorRow &field : view.rows)
            fields->addTopLevelItem(new QTreeWidgetItem(
                QStringList{field.datenfeld, field.bytes, field.hex, field.dez, field.beschreibung}));
        fields->header()->resizeSections(QHeaderView::ResizeToContents);
        fields->setMinimumSize(560, 260);
        layout->addWidget(fields);
    }
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("&Schließen"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}
