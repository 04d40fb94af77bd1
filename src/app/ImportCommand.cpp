#include "app/ImportCommand.h"

#include "core/AppState.h"
#include "store/ImportSummary.h"
#include "store/ResultSaver.h"
#include "store/ResultStore.h"
#include "store/StoreJudge.h"
#include "tolerance/LimitsTable.h"
#include "ui/ErrorBox.h"
#include "ui/WaitCursor.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace ImportCommand {
namespace {

const QString Title = QStringLiteral("Datendatei importieren");
// A message box lists this many rejected lines of a file; the count says the rest.
constexpr int ListedRejects = 20;

} // namespace

void run(QWidget *parent)
{
    QFileDialog chooser(parent, Title);
    chooser.setObjectName(QStringLiteral("importChooser"));
    chooser.setOption(QFileDialog::DontUseNativeDialog);
    chooser.setAcceptMode(QFileDialog::AcceptOpen);
    chooser.setFileMode(QFileDialog::ExistingFiles);
    chooser.setOption(QFileDialog::HideNameFilterDetails);
    chooser.setNameFilters({QStringLiteral("*.txt (*.txt)"), QStringLiteral("*.csv (*.csv)"),
                            QStringLiteral("*.dat (*.dat)"), QStringLiteral("*.* (*)")});
    const QFileInfo dataFile(AppState::instance().dataFile());
    chooser.setDirectory(dataFile.absoluteDir().exists() ? dataFile.absolutePath() : QDir::homePath());
    if (chooser.exec() == QDialog::Accepted)
        importFiles(chooser.selectedFiles(), parent);
}

void importFiles(const QStringList &files, QWidget *parent)
{
    const AppState &state = AppState::instance();
    if (state.resultsFile().isEmpty()) {
        showErrorBox({QStringLiteral("Fehler: ") + Title,
                      ResultSaver::note(QStringLiteral("ausgeschaltet ([Ergebnisse] Speichern=False)"))},
                     parent);
        return;
    }
    // Lines without a verdict of their own against today's limits; none without a limits file.
    const ImportJudge judge = state.limitsFile().isEmpty()
                                  ? ImportJudge()
                                  : StoreJudge::forImport(LimitsTable::read(state.limitsFile()));
    QStringList reports;
    bool failed = false;
    {
        // 10^5 lines take a second or two.
        const WaitCursor waitCursor;
        ResultStore store(state.resultsFile());
        for (const QString &file : files) {
            const ImportReport report = store.importDataFile(file, state.regionalFormat(), judge);
            reports.append(ImportSummary::text(QDir::toNativeSeparators(file), report, ListedRejects));
            failed = failed || !report.error.isEmpty();
            if (report.storeFailed)
                break;
        }
    }
    const QString text = reports.join(QLatin1Char('\n')).trimmed();
    if (failed) {
        showErrorBox({QStringLiteral("Fehler: ") + Title, text}, parent);
        return;
    }
    QMessageBox box(QMessageBox::Information, Title, text, QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("importReport"));
    box.exec();
}

} // namespace ImportCommand
