#pragma once

#include "review/ReviewLimits.h"
#include "ui/ChildWindow.h"

#include <memory>

class CapabilityPanel;
class QComboBox;
class QLabel;
class QProgressBar;
class QModelIndex;
class QPushButton;
class QTableView;
class ReviewFilterBar;
class ReviewSource;
class ReviewSourceSwitch;
class ReviewTableModel;
class TrendChart;
struct ReviewSettings;

// The review of the saved records: filters, the records as a table, the
// trend of one quantity of one type with its limits, the capability figures,
// and the chart as PNG or a one-page PDF report.
class Auswertung : public ChildWindow
{
    Q_OBJECT
public:
    // On the results store the settings name, with the program's limits file.
    explicit Auswertung(QWidget *parent = nullptr);
    // On any source; limitsFile empty: the limits stored with the records.
    Auswertung(std::unique_ptr<ReviewSource> source, const QString &limitsFile, QWidget *parent = nullptr);
    ~Auswertung() override;

    // Offers "Alle Prüfstände" beside "Dieser Prüfstand": the central
    // database of this prepared connection string, asked on a thread of its
    // own while a busy indicator runs.
    void offerCentral(const QByteArray &conninfo);
    // Switches between this bench's store and the central database.
    void useCentral(bool central);

    // Reads the types and everything shown again (new saves, another store state).
    void refresh();
    // Table, count, chart and figures for the filters as they stand.
    void applyFilter();
    // Chart and figures alone, for another quantity.
    void updateTrend();
    // Empty or the cause.
    [[nodiscard]] QString exportPng(const QString &path);
    [[nodiscard]] QString exportPdf(const QString &path);
    // The record of a table row in a window of its own (double click, Enter).
    void showRecord(const QModelIndex &index);

    [[nodiscard]] ReviewFilterBar *filterBar() const { return m_filters; }
    [[nodiscard]] QTableView *table() const { return m_table; }
    [[nodiscard]] ReviewTableModel *model() const { return m_model; }
    [[nodiscard]] TrendChart *chart() const { return m_chart; }
    [[nodiscard]] CapabilityPanel *figures() const { return m_figures; }
    [[nodiscard]] QComboBox *sourceChoice() const { return m_sourceChoice; }
    [[nodiscard]] QProgressBar *busyIndicator() const { return m_busy; }

private:
    Auswertung(const ReviewSettings &settings, QWidget *parent);
    void createControls();
    void askAndExport(bool pdf);
    void showStatus(const QString &cause);
    [[nodiscard]] QString suggestedName(const QString &suffix) const;
    void showBusy(bool busy);

    std::unique_ptr<ReviewSourceSwitch> m_source;
    ReviewLimits m_limits;
    bool m_limitsOfProgram = false; // follows the settings' choice
    ReviewFilterBar *m_filters = nullptr;
    QTableView *m_table = nullptr;
    ReviewTableModel *m_model = nullptr;
    TrendChart *m_chart = nullptr;
    CapabilityPanel *m_figures = nullptr;
    QLabel *m_status = nullptr;
    QComboBox *m_sourceChoice = nullptr;
    QLabel *m_sourceCaption = nullptr;
    QProgressBar *m_busy = nullptr;
    int m_busyCalls = 0;
    QPushButton *m_cmdPng = nullptr;
    QPushButton *m_cmdPdf = nullptr;
    QPushButton *m_cmdRefresh = nullptr;
    QPushButton *m_cmdExit = nullptr;
    qint64 m_count = 0;
    quint64 m_filterRequest = 0; // counts applyFilter's runs
};
