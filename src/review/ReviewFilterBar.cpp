#include "review/ReviewFilterBar.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QTimer>

namespace {

constexpr int TypingPauseMs = 300;

template <class Control> Control *named(Control *control, const QString &name, const QString &accessible)
{
    control->setObjectName(name);
    control->setAccessibleName(accessible);
    return control;
}

QLabel *caption(const QString &text, QWidget *buddy, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

// Everything after the first entry ("alle …") anew, keeping the choice when
// it is still there, without a change signal.
void replaceChoices(QComboBox *box, const QStringList &values)
{
    const QString chosen = box->currentData().toString();
    const QSignalBlocker quiet(box);
    while (box->count() > 1)
        box->removeItem(1);
    for (const QString &value : values)
        box->addItem(value, value);
    box->setCurrentIndex(std::max(0, box->findData(chosen)));
}

} // namespace

ReviewFilterBar::ReviewFilterBar(QWidget *parent)
    : QWidget(parent), m_type(named(new QComboBox(this), QStringLiteral("cmbTyp"), QStringLiteral("Typ"))),
      m_number(named(new QLineEdit(this), QStringLiteral("txtNummer"), QStringLiteral("Nummer enthält"))),
      m_fromOn(named(new QCheckBox(QStringLiteral("Datum &von:"), this), QStringLiteral("chkVon"),
                     QStringLiteral("Datum von"))),
      m_from(named(new QDateEdit(this), QStringLiteral("dtpVon"), QStringLiteral("Datum von"))),
      m_toOn(named(new QCheckBox(QStringLiteral("&bis:"), this), QStringLiteral("chkBis"),
                   QStringLiteral("Datum bis"))),
      m_to(named(new QDateEdit(this), QStringLiteral("dtpBis"), QStringLiteral("Datum bis"))),
      m_verdict(named(new QComboBox(this), QStringLiteral("cmbBewertung"), QStringLiteral("Bewertung"))),
      m_bench(named(new QComboBox(this), QStringLiteral("cmbPruefstand"), QStringLiteral("Prüfstand"))),
      m_quantity(
          named(new QComboBox(this), QStringLiteral("cmbGroesse"), QStringLiteral("Größe im Diagramm"))),
      m_typing(new QTimer(this))
{
    setObjectName(QStringLiteral("fraFilter"));
    m_type->setToolTip(QStringLiteral("Nur Messungen dieses Maschinentyps zeigen"));
    m_number->setToolTip(QStringLiteral("Nur Messungen zeigen, deren Nummer diesen Text enthält"));
    m_fromOn->setToolTip(QStringLiteral("Nur Messungen ab diesem Tag zeigen"));
    m_toOn->setToolTip(QStringLiteral("Nur Messungen bis zu diesem Tag zeigen"));
    m_from->setToolTip(m_fromOn->toolTip());
    m_to->setToolTip(m_toOn->toolTip());
    m_verdict->setToolTip(QStringLiteral("Nur Messungen mit dieser Bewertung zeigen"));
    m_quantity->setToolTip(QStringLiteral("Größe, die das Diagramm zeigt"));
    m_bench->setToolTip(QStringLiteral("Nur Messungen dieses Prüfstands zeigen (zentrale Datenbank)"));
    m_type->addItem(QStringLiteral("(alle Typen)"), QString());
    m_type->setMinimumContentsLength(12);
    m_type->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_bench->addItem(QStringLiteral("(alle Prüfstände)"), QString());
    m_bench->setMinimumContentsLength(12);
    m_bench->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_number->setClearButtonEnabled(true);
    for (QDateEdit *date : {m_from, m_to}) {
        date->setCalendarPopup(true);
        date->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
        date->setDate(QDate::currentDate());
        date->setEnabled(false);
    }
    m_from->setDate(QDate::currentDate().addMonths(-1));
    m_verdict->addItems({QStringLiteral("alle"), QStringLiteral("i.O."), QStringLiteral("n.i.O.")});
    for (const ReviewQuantity quantity : AllReviewQuantities)
        m_quantity->addItem(reviewQuantityName(quantity), int(quantity));

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(caption(QStringLiteral("&Typ:"), m_type, this), 0, 0);
    grid->addWidget(m_type, 0, 1);
    grid->addWidget(caption(QStringLiteral("&Nummer enthält:"), m_number, this), 0, 2);
    grid->addWidget(m_number, 0, 3);
    grid->addWidget(caption(QStringLiteral("Be&wertung:"), m_verdict, this), 0, 4);
    grid->addWidget(m_verdict, 0, 5);
    grid->addWidget(m_fromOn, 1, 0);
    grid->addWidget(m_from, 1, 1);
    grid->addWidget(m_toOn, 1, 2, Qt::AlignRight);
    grid->addWidget(m_to, 1, 3);
    grid->addWidget(caption(QStringLiteral("&Größe:"), m_quantity, this), 1, 4);
    grid->addWidget(m_quantity, 1, 5);
    grid->addWidget(caption(QStringLiteral("Prü&fstand:"), m_bench, this), 0, 6);
    grid->addWidget(m_bench, 0, 7);
    grid->setColumnStretch(3, 1);

    m_typing->setSingleShot(true);
    m_typing->setInterval(TypingPauseMs);
    connect(m_typing, &QTimer::timeout, this, &ReviewFilterBar::filterChanged);
    connect(m_number, &QLineEdit::textEdited, m_typing, qOverload<>(&QTimer::start));
    connect(m_number, &QLineEdit::returnPressed, this, [this] {
        m_typing->stop();
        emit filterChanged();
    });
    // The clear button changes the text without an edit.
    connect(m_number, &QLineEdit::textChanged, this, [this](const QString &text) {
        if (text.isEmpty())
            m_typing->start();
    });
    connect(m_type, &QComboBox::currentIndexChanged, this, &ReviewFilterBar::filterChanged);
    connect(m_verdict, &QComboBox::currentIndexChanged, this, &ReviewFilterBar::filterChanged);
    connect(m_bench, &QComboBox::currentIndexChanged, this, &ReviewFilterBar::filterChanged);
    connect(m_quantity, &QComboBox::currentIndexChanged, this, &ReviewFilterBar::quantityChanged);
    for (auto [on, date] : {std::pair{m_fromOn, m_from}, std::pair{m_toOn, m_to}}) {
        connect(on, &QCheckBox::toggled, date, &QWidget::setEnabled);
        connect(on, &QCheckBox::toggled, this, &ReviewFilterBar::filterChanged);
        connect(date, &QDateEdit::dateChanged, this, [this, on] {
            if (on->isChecked())
                emit filterChanged();
        });
    }
}

void ReviewFilterBar::setTypes(const QStringList &types)
{
    replaceChoices(m_type, types);
}

void ReviewFilterBar::setBenches(const QStringList &benches)
{
    replaceChoices(m_bench, benches);
}

void ReviewFilterBar::chooseType(const QString &type)
{
    m_type->setCurrentIndex(std::max(0, m_type->findData(type)));
}

ReviewFilter ReviewFilterBar::filter() const
{
    ReviewFilter filter;
    filter.type = m_type->currentData().toString();
    filter.number = m_number->text().trimmed();
    if (m_fromOn->isChecked())
        filter.from = m_from->date();
    if (m_toOn->isChecked())
        filter.to = m_to->date();
    filter.verdict = ReviewVerdict(std::max(0, m_verdict->currentIndex()));
    filter.bench = m_bench->currentData().toString();
    return filter;
}

ReviewQuantity ReviewFilterBar::quantity() const
{
    return ReviewQuantity(m_quantity->currentData().toInt());
}

QString ReviewFilterBar::describe() const
{
    const ReviewFilter chosen = filter();
    const QString open = QStringLiteral("–");
    const QString from = chosen.from ? chosen.from->toString(QStringLiteral("dd.MM.yyyy")) : open;
    const QString to = chosen.to ? chosen.to->toString(QStringLiteral("dd.MM.yyyy")) : open;
    return QStringLiteral("Typ: %1 · Nummer enthält: %2 · Datum: %3 bis %4 · Bewertung: %5 · Größe: %6 · "
                          "Prüfstand: %7")
        .arg(chosen.type.isEmpty() ? QStringLiteral("alle") : chosen.type,
             chosen.number.isEmpty() ? open : chosen.number, from, to, m_verdict->currentText(),
             m_quantity->currentText(), chosen.bench.isEmpty() ? QStringLiteral("alle") : chosen.bench);
}
