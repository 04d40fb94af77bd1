#include "review/Auswertung.h"

#include "central/CentralReview.h"
#include "central/ThreadedReviewSource.h"
#include "config/SettingsPath.h"
#include "core/AppState.h"
#include "review/CapabilityPanel.h"
#include "review/RecordDialog.h"
#include "review/ReviewFilterBar.h"
#include "review/ReviewReport.h"
#include "review/ReviewSettings.h"
#include "review/ReviewSourceSwitch.h"
#include "review/ReviewTableModel.h"
#include "review/TrendChart.h"
#include "store/Capability.h"
#include "store/StoreReview.h"
#include "ui/ErrorBox.h"
#include "ui/WaitCursor.h"

#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QShortcut>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStandardPaths>
#include <QTableView>
#include <QVBoxLayout>

namespace {

// Rows the report lists at most; the page holds about this many.
constexpr int ReportRows = 40;

} // namespace

Auswertung::Auswertung(QWidget *parent) : Auswertung(ReviewSettings::read(settingsFilePath()), parent) {}

Auswertung::Auswertung(const ReviewSettings &settings, QWidget *parent)
    : Auswertung(std::make_unique<StoreReview>(settings.storeFile), AppState::instance().limitsFile(), parent)
{
    m_limitsOfProgram = true;
    if (!settings.centralConninfo.isEmpty())
        offerCentral(settings.centralConninfo);
}

Auswertung::Auswertung(std::unique_ptr<ReviewSource> source, const QString &limitsFile, QWidget *parent)
    : ChildWindow(QStringLiteral("Auswertung"), QStringLiteral("Auswertung"), parent),
      m_source(std::make_unique<ReviewSourceSwitch>(std::move(source), nullptr)), m_limits(limitsFile)
{
    createControls();
    // Larger than the area at a high display scaling: the area scrolls then,
    // and a maximised window keeps every control in reach.
    setMinimumSize(880, 600);
    resize(1040, 720);
    refresh();
}

Auswertung::~Auswertung() = default;

void Auswertung::offerCentral(const QByteArray &conninfo)
{
    if (m_source->hasCentral())
        return;
    auto cancel = std::make_shared<std::atomic<bool>>(false);
    m_source->setCentral(std::make_unique<ThreadedReviewSource>(
        std::make_unique<CentralReview>(conninfo, cancel), cancel, [this](bool busy) { showBusy(busy); }));
    m_sourceCaption->show();
    m_sourceChoice->show();
}

void Auswertung::useCentral(bool central)
{
    if (m_source->usesCentral() == central)
        return;
    m_source->useCentral(central);
    {
        const QSignalBlocker quiet(m_sourceChoice);
        m_sourceChoice->setCurrentIndex(m_source->usesCentral() ? 1 : 0);
    }
    m_count = 0;
    refresh();
}

void Auswertung::showBusy(bool busy)
{
    m_busyCalls += busy ? 1 : -1;
    m_busy->setVisible(m_busyCalls > 0);
}

void Auswertung::createControls()
{
    QWidget *area = client();
    // The window's own font, not the twips layouts' small one.
    area->setFont(QFont());
    auto *layout = new QVBoxLayout(area);
    // The source: offered only with a central database.
    auto *sourceRow = new QHBoxLayout;
    layout->addLayout(sourceRow);
    m_sourceChoice = new QComboBox(area);
    m_sourceChoice->setObjectName(QStringLiteral("cmbQuelle"));
    m_sourceChoice->setAccessibleName(QStringLiteral("Quelle"));
    m_sourceChoice->setToolTip(
        QStringLiteral("Messungen dieses Prüfstands oder aller Prüfstände aus der zentralen Datenbank"));
    m_sourceChoice->addItems({QStringLiteral("Dieser Prüfstand"), QStringLiteral("Alle Prüfstände")});
    m_sourceCaption = new QLabel(QStringLiteral("&Quelle:"), area);
    m_sourceCaption->setBuddy(m_sourceChoice);
    sourceRow->addWidget(m_sourceCaption);
    sourceRow->addWidget(m_sourceChoice);
    sourceRow->addStretch(1);
    m_sourceCaption->hide();
    m_sourceChoice->hide();
    connect(m_sourceChoice, &QComboBox::currentIndexChanged, this,
            [this](int index) { useCentral(index == 1); });
    m_filters = new ReviewFilterBar(area);
    layout->addWidget(m_filters);

    auto *splitter = new QSplitter(Qt::Vertical, area);
    splitter->setObjectName(QStringLiteral("splAuswertung"));
    splitter->setChildrenCollapsible(false);
    layout->addWidget(splitter, 1);

    auto *tablePart = new QWidget(splitter);
    auto *tableLayout = new QVBoxLayout(tablePart);
    tableLayout->setContentsMargins(0, 0, 0, 0);
    m_table = new QTableView(tablePart);
    m_table->setObjectName(QStringLiteral("tblMesswerte"));
    m_table->setAccessibleName(QStringLiteral("Liste der Messwerte"));
    auto *tableCaption = new QLabel(
        QStringLiteral("&Liste der Messwerte (Doppelklick oder Eingabe: Einzelheiten):"), tablePart);
    tableCaption->setBuddy(m_table);
    tableLayout->addWidget(tableCaption);
    tableLayout->addWidget(m_table);
    m_model = new ReviewTableModel(*m_source, this);
    m_table->setModel(m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setAlternatingRowColors(true);
    m_table->setWordWrap(false);
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    m_table->horizontalHeader()->setSortIndicator(0, Qt::DescendingOrder);
    m_table->setSortingEnabled(true);
    connect(m_table, &QAbstractItemView::activated, this, &Auswertung::showRecord);

    auto *trendPart = new QWidget(splitter);
    auto *trendLayout = new QHBoxLayout(trendPart);
    trendLayout->setContentsMargins(0, 0, 0, 0);
    m_chart =
        new TrendChart([this](const QList<qint64> &ids) { return m_source->numbers(ids).value; }, trendPart);
    m_figures = new CapabilityPanel(trendPart);
    m_figures->setMinimumWidth(230);
    trendLayout->addWidget(m_chart, 1);
    trendLayout->addWidget(m_figures);
    splitter->setStretchFactor(0, 2);
    splitter->setStretchFactor(1, 3);

    auto *bottom = new QHBoxLayout;
    layout->addLayout(bottom);
    m_status = new QLabel(area);
    m_status->setObjectName(QStringLiteral("lblStatus"));
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_status->setAccessibleName(QStringLiteral("Zustand"));
    // A long cause must not widen the window; its tool tip has all of it.
    m_status->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    bottom->addWidget(m_status, 1);
    // Runs while the central database is asked; the window keeps painting.
    m_busy = new QProgressBar(area);
    m_busy->setObjectName(QStringLiteral("prgAbfrage"));
    m_busy->setAccessibleName(QStringLiteral("Abfrage läuft"));
    m_busy->setRange(0, 0);
    m_busy->setMaximumWidth(120);
    m_busy->setTextVisible(false);
    m_busy->hide();
    bottom->addWidget(m_busy);
    const auto button = [&](const QString &name, const QString &caption) {
        auto *made = new QPushButton(caption, area);
        made->setObjectName(name);
        made->setAutoDefault(true);
        bottom->addWidget(made);
        return made;
    };
    m_cmdRefresh = button(QStringLiteral("cmdAktualisieren"), QStringLiteral("A&ktualisieren"));
    m_cmdPng = button(QStringLiteral("cmdPng"), QStringLiteral("&PNG speichern…"));
    m_cmdPdf = button(QStringLiteral("cmdPdf"), QStringLiteral("PDF-Be&richt…"));
    m_cmdExit = button(QStringLiteral("cmdExit"), QStringLiteral("&Schließen"));
    m_cmdRefresh->setToolTip(QStringLiteral("Neu lesen (F5)"));
    m_cmdPng->setToolTip(QStringLiteral("Das Diagramm als PNG-Bild speichern"));
    m_cmdPdf->setToolTip(QStringLiteral("Tabelle und Diagramm als PDF-Bericht speichern"));
    m_cmdExit->setToolTip(QStringLiteral("Fenster schließen"));
    connect(m_cmdRefresh, &QPushButton::clicked, this, &Auswertung::refresh);
    connect(m_cmdPng, &QPushButton::clicked, this, [this] { askAndExport(false); });
    connect(m_cmdPdf, &QPushButton::clicked, this, [this] { askAndExport(true); });
    connect(m_cmdExit, &QPushButton::clicked, this, &QWidget::close);
    auto *refreshKey = new QShortcut(QKeySequence::Refresh, this);
    refreshKey->setContext(Qt::WidgetWithChildrenShortcut);
    connect(refreshKey, &QShortcut::activated, this, &Auswertung::refresh);

    connect(m_filters, &ReviewFilterBar::filterChanged, this, &Auswertung::applyFilter);
    connect(m_filters, &ReviewFilterBar::quantityChanged, this, &Auswertung::updateTrend);
    connect(m_model, &ReviewTableModel::fetchFailed, this, &Auswertung::showStatus);
}

void Auswertung::refresh()
{
    const WaitCursor wait;
    const Fetched<QStringList> types = m_source->types();
    {
        const QSignalBlocker quiet(m_filters);
        const bool first = m_filters->filter().type.isEmpty() && m_count == 0;
        m_filters->setTypes(types.value);
        m_filters->setBenches(m_source->benches().value);
        // The newest record's type at first: its trend is what one looks for.
        if (first && types.ok()) {
            const Fetched<QString> newest = m_source->newestType();
            if (newest.ok())
                m_filters->chooseType(newest.value);
        }
    }
    applyFilter();
    if (!types.ok())
        showStatus(types.cause);
}

void Auswertung::applyFilter()
{
    const WaitCursor wait;
    const ReviewFilter filter = m_filters->filter();
    const bool firstFill = m_model->rowCount() == 0;
    // While the central database answers, a newer filter may come in and
    // do all of this itself.
    const quint64 request = ++m_filterRequest;
    const QString cause = m_model->setFilter(filter);
    const Fetched<qint64> count = m_source->count(filter);
    if (request != m_filterRequest)
        return;
    m_count = count.value;
    if (firstFill && m_model->rowCount() > 0)
        m_table->resizeColumnsToContents();
    updateTrend();
    showStatus(!cause.isEmpty() ? cause : count.cause);
}

void Auswertung::updateTrend()
{
    const ReviewFilter filter = m_filters->filter();
    const ReviewQuantity quantity = m_filters->quantity();
    if (filter.type.isEmpty()) {
        m_chart->showMessage(QStringLiteral("Für Verlauf und Kennzahlen einen Typ wählen"));
        m_figures->clearFigures();
        return;
    }
    Fetched<ReviewSeries> series = m_source->series(filter, quantity);
    if (m_limitsOfProgram)
        m_limits.setFile(AppState::instance().limitsFile());
    const ReviewLimits::Found found = m_limits.limitFor(*m_source, filter.type, quantity);
    const std::optional<Limit> &limit = found.limit;
    const CapabilityFigures figures =
        capability(series.value.values, limit ? limit->min : std::nullopt, limit ? limit->max : std::nullopt);
    QString limits = found.origin;
    if (limit) {
        QString text = limit->text(limitValueOf(quantity), QLocale());
        text.remove(QStringLiteral("Grenze: "));
        limits = text + QStringLiteral(" (") + found.origin + u')';
    }
    m_chart->showTrend({filter.type, quantity, std::move(series.value), limit, figures.mean});
    m_figures->showFigures(figures, limits, quantity);
}

void Auswertung::showStatus(const QString &cause)
{
    // The central source names itself in its causes.
    const QString text =
        !cause.isEmpty()
            ? (m_source->usesCentral() ? cause : QStringLiteral("Ergebnisdatenbank: ") + cause)
            : QStringLiteral("%1 Datensätze · %2").arg(QLocale().toString(m_count), m_source->description());
    // libpq's words run over several lines: the first in the window, all in the tip.
    m_status->setText(text.section(u'\n', 0, 0));
    m_status->setToolTip(text);
}

void Auswertung::showRecord(const QModelIndex &index)
{
    if (!index.isValid())
        return;
    const Fetched<std::optional<ReviewRecord>> record = m_source->record(m_model->rowAt(index.row()).id);
    if (!record.ok() || !record.value) {
        showErrorBox({QStringLiteral("Fehler: Messwert"),
                      QStringLiteral("Der Messwert kann nicht gelesen werden: ") +
                          (record.ok() ? QStringLiteral("nicht mehr vorhanden") : record.cause)},
                     this);
        return;
    }
    RecordDialog dialog(*record.value, this);
    dialog.exec();
}

QString Auswertung::suggestedName(const QString &suffix) const
{
    const ReviewFilter filter = m_filters->filter();
    QString name = QStringLiteral("Auswertung");
    if (!filter.type.isEmpty())
        name += u'_' + filter.type + u'_' + reviewQuantityName(m_filters->quantity());
    name.replace(QRegularExpression(QStringLiteral("[^\\w.-]+")), QStringLiteral("_"));
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QDir(folder).filePath(name + suffix);
}

void Auswertung::askAndExport(bool pdf)
{
    const QString path = pdf ? QFileDialog::getSaveFileName(this, QStringLiteral("PDF-Bericht speichern"),
                                                            suggestedName(QStringLiteral(".pdf")),
                                                            QStringLiteral("PDF-Dokument (*.pdf)"))
                             : QFileDialog::getSaveFileName(
                                   this, QStringLiteral("Diagramm als PNG speichern"),
                                   suggestedName(QStringLiteral(".png")), QStringLiteral("PNG-Bild (*.png)"));
    if (path.isEmpty())
        return;
    const QString cause = pdf ? exportPdf(path) : exportPng(path);
    if (!cause.isEmpty())
        showErrorBox({pdf ? QStringLiteral("Fehler: PDF-Bericht") : QStringLiteral("Fehler: PNG-Bild"),
                      QStringLiteral("%1 kann nicht geschrieben werden: %2")
                          .arg(QDir::toNativeSeparators(path), cause)},
                     this);
}

QString Auswertung::exportPng(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    if (!m_chart->grab().save(&file, "PNG"))
        return QStringLiteral("Bild nicht geschrieben");
    return {};
}

QString Auswertung::exportPdf(const QString &path)
{
    const WaitCursor wait;
    const ReviewFilter filter = m_filters->filter();
    const ReviewQuantity quantity = m_filters->quantity();
    ReviewReport report;
    report.title = QStringLiteral("Auswertung der Messwerte");
    if (!filter.type.isEmpty())
        report.title +=
            QStringLiteral(": ") + filter.type + QStringLiteral(", ") + reviewQuantityName(quantity);
    report.created =
        QStringLiteral("Erstellt am %1 · %2 Datensätze · Ergebnisdatenbank: %3")
            .arg(QLocale().toString(QDateTime::currentDateTime(), QStringLiteral("dd.MM.yyyy HH:mm")),
                 QLocale().toString(m_count), m_source->description());
    report.filter = m_filters->describe();
    report.figures = m_figures->lines();
    report.note = m_figures->note();
    const QList<ReviewColumn> columns{ReviewColumn::Time,   ReviewColumn::Type,       ReviewColumn::Number,
                                      ReviewColumn::Mark,   reviewColumnOf(quantity), ReviewColumn::Verdict,
                                      ReviewColumn::Outside};
    for (const ReviewColumn column : columns)
        report.header << reviewColumnTitle(column);
    const Fetched<QList<ReviewRow>> newest = m_source->rows(filter, {}, 0, ReportRows);
    if (!newest.ok())
        return QStringLiteral("Ergebnisdatenbank: ") + newest.cause;
    for (const ReviewRow &row : newest.value) {
        QStringList cells;
        for (const ReviewColumn column : columns)
            cells << m_model->text(row, column);
        report.rows << cells;
    }
    return report.writePdf(path, *m_chart);
}
