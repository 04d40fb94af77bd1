#include "config/Einstellungen.h"

#include "config/PortList.h"
#include "core/AppState.h"
#include "ui/ErrorBox.h"
#include "ui/Fonts.h"
#include "ui/LayoutFit.h"
#include "ui/WaitCursor.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

namespace {

// The chooser opens in its open form but must accept a file that does not
// exist yet; only its folder has to be there.
class DataFileChooser : public QFileDialog
{
public:
    using QFileDialog::QFileDialog;

protected:
    void accept() override
    {
        const QStringList files = selectedFiles();
        if (!files.isEmpty()) {
            const QFileInfo chosen(files.constFirst());
            if (!chosen.isDir() && !chosen.absoluteDir().exists()) {
                showErrorBox({QStringLiteral("Fehler: Pfad"),
                              QStringLiteral("%1\nDer Pfad existiert nicht. Bitte den Pfad prüfen.")
                                  .arg(QDir::toNativeSeparators(chosen.absolutePath()))},
                             this);
                return;
            }
        }
        QFileDialog::accept();
    }
};

} // namespace

std::unique_ptr<QFileDialog> createDataFileChooser(const QString &currentPath, QWidget *parent)
{
    auto chooser = std::make_unique<DataFileChooser>(parent, QStringLiteral("Datei zum speichern wählen..."));
    chooser->setObjectName(QStringLiteral("CommonDialog1"));
    // The desktop's own chooser cannot take a new file in its open form.
    chooser->setOption(QFileDialog::DontUseNativeDialog);
    chooser->setAcceptMode(QFileDialog::AcceptOpen);
    chooser->setFileMode(QFileDialog::AnyFile);
    // Each choice shows as its own pattern; "*.*" means every file, as on
    // Windows, where Qt would take it literally and hide names without a dot.
    chooser->setOption(QFileDialog::HideNameFilterDetails);
    chooser->setNameFilters(
        {QStringLiteral("*.txt (*.txt)"), QStringLiteral("*.dat (*.dat)"), QStringLiteral("*.* (*)")});
    chooser->selectNameFilter(QStringLiteral("*.txt (*.txt)"));
    chooser->setDefaultSuffix(QString());
    if (!currentPath.isEmpty()) {
        const QFileInfo current(currentPath);
        if (current.absoluteDir().exists()) {
            chooser->setDirectory(current.absolutePath());
            chooser->selectFile(current.fileName());
        } else {
            // Not the working folder with the old name, where "Öffnen" would
            // quietly take a file of that name.
            chooser->setDirectory(QDir::homePath());
        }
    }
    return chooser;
}

QString DateiWahl(const QString &currentPath, QWidget *parent)
{
    const std::unique_ptr<QFileDialog> chooser = createDataFileChooser(currentPath, parent);
    if (chooser->exec() != QDialog::Accepted)
        return currentPath;
    const QStringList files = chooser->selectedFiles();
    return files.isEmpty() ? currentPath : files.constFirst();
}

std::unique_ptr<QFileDialog> createLimitsFileChooser(const QString &currentPath, QWidget *parent)
{
    auto chooser = std::make_unique<QFileDialog>(parent, QStringLiteral("Grenzwertdatei wählen..."));
    chooser->setObjectName(QStringLiteral("CommonDialog2"));
    chooser->setOption(QFileDialog::DontUseNativeDialog);
    chooser->setAcceptMode(QFileDialog::AcceptOpen);
    // The table is only ever read: a name that does not exist is refused.
    chooser->setFileMode(QFileDialog::ExistingFile);
    chooser->setOption(QFileDialog::HideNameFilterDetails);
    chooser->setNameFilters(
        {QStringLiteral("*.csv (*.csv)"), QStringLiteral("*.txt (*.txt)"), QStringLiteral("*.* (*)")});
    chooser->selectNameFilter(QStringLiteral("*.csv (*.csv)"));
    const QFileInfo current(currentPath);
    if (!currentPath.isEmpty() && current.absoluteDir().exists()) {
        chooser->setDirectory(current.absolutePath());
        chooser->selectFile(current.fileName());
    } else {
        chooser->setDirectory(QDir::homePath());
    }
    return chooser;
}

QString GrenzwertdateiWahl(const QString &currentPath, QWidget *parent)
{
    const std::unique_ptr<QFileDialog> chooser = createLimitsFileChooser(currentPath, parent);
    if (chooser->exec() != QDialog::Accepted)
        return currentPath;
    const QStringList files = chooser->selectedFiles();
    return files.isEmpty() ? currentPath : files.constFirst();
}

Einstellungen::Einstellungen(QWidget *parent)
    : ChildWindow(QStringLiteral("Einstellungen"), QStringLiteral("Einstellungen"), parent)
{
    const WaitCursor wait;
    sizeFromExitButton(5760, 3360, 855, 735);
    createControls();

    const AppState &state = AppState::instance();
    FillPortList(m_cmbPort, 0, true);
    selectEntry(m_cmbPort, state.schnittstelle());
    m_fileName->setText(state.dataFile());
    m_fileName->setToolTip(state.dataFile());
    showLimitsFile(state.limitsFile());
    m_cmbTrenner->addItems(
        {QStringLiteral("Semikolon [;]"), QStringLiteral("Komma [,]"), QStringLiteral("Tabulator")});
    selectEntry(m_cmbTrenner, state.dataTrenner());
    fitToEntries(m_cmbPort);
    fitToEntries(m_cmbTrenner);
    fitCaptions(client());
}

void Einstellungen::createControls()
{
    addLabel(QStringLiteral("Label2"), QStringLiteral("Einstellungen"), {120, 120, 2895, 495})
        ->setFont(arialFont(20.25, true));

    QLabel *label3 =
        addLabel(QStringLiteral("Label3"), QStringLiteral("&Wahl der Schnittstelle:"), {120, 840, 1695, 255});
    m_cmbPort = addInput<QComboBox>(QStringLiteral("cmbPort"), label3, {1800, 840, 855, 315});
    m_cmbPort->setToolTip(QStringLiteral("Schnittstelle des Messgeräts"));

    QLabel *label1 =
        addLabel(QStringLiteral("Label1"), QStringLiteral("Date&i zum speichern:"), {120, 1680, 1695, 255});
    m_fileName = addInput<QLineEdit>(QStringLiteral("FileName"), label1, {1800, 1680, 4095, 285});
    // Only the chooser sets the file; typing here would be ignored, so it must not look editable.
    m_fileName->setReadOnly(true);
    QPalette fileNamePalette = m_fileName->palette();
    fileNamePalette.setColor(QPalette::Base, fileNamePalette.color(QPalette::Window));
    m_fileName->setPalette(fileNamePalette);

    m_cmdFile = pictureButton(QStringLiteral("cmdFile"), QStringLiteral(":/images/folder.png"),
                              QStringLiteral("Datei wählen"), Qt::Key_L);
    place(m_cmdFile, 6000, 1680, 615, 375);
    m_cmdFile->setIconSize(QSize(16, 16));
    connect(m_cmdFile, &QPushButton::clicked, this, &Einstellungen::chooseFile);

    // The limits table, in the free row under the data file.
    QLabel *label5 =
        addLabel(QStringLiteral("Label5"), QStringLiteral("&Grenzwertdatei:"), {120, 2100, 1695, 255});
    m_limitsFileName = addInput<QLineEdit>(QStringLiteral("LimitsFileName"), label5, {1800, 2100, 3495, 285});
    m_limitsFileName->setReadOnly(true);
    m_limitsFileName->setPalette(fileNamePalette);
    m_cmdLimitsFile = pictureButton(QStringLiteral("cmdLimitsFile"), QStringLiteral(":/images/folder.png"),
                                    QStringLiteral("Grenzwertdatei wählen"));
    m_cmdLimitsFile->setToolTip(QStringLiteral("Grenzwertdatei wählen (Alt+G)"));
    place(m_cmdLimitsFile, 6000, 2100, 615, 375);
    m_cmdLimitsFile->setIconSize(QSize(16, 16));
    // The caption's key opens the chooser: the field beside it takes no typing.
    label5->setBuddy(m_cmdLimitsFile);
    connect(m_cmdLimitsFile, &QPushButton::clicked, this, &Einstellungen::chooseLimitsFile);
    m_cmdLimitsClear = pictureButton(QStringLiteral("cmdLimitsClear"), QString(),
                                     QStringLiteral("Keine Grenzwertdatei verwenden"), Qt::Key_K);
    m_cmdLimitsClear->setIcon(style()->standardIcon(QStyle::SP_LineEditClearButton));
    m_cmdLimitsClear->setIconSize(QSize(16, 16));
    place(m_cmdLimitsClear, 5340, 2100, 615, 375);
    connect(m_cmdLimitsClear, &QPushButton::clicked, this, &Einstellungen::clearLimitsFile);

    QLabel *label4 =
        addLabel(QStringLiteral("Label4"), QStringLiteral("&Trennzeichen:"), {120, 2520, 1695, 255});
    m_cmbTrenner = addInput<QComboBox>(QStringLiteral("cmbTrenner"), label4, {1800, 2520, 1575, 315});
    m_cmbTrenner->setToolTip(QStringLiteral("Trennzeichen zwischen den Spalten der Datendatei"));

    m_cmdSave = pictureButton(QStringLiteral("cmdSave"), QStringLiteral(":/images/save.png"),
                              QStringLiteral("Einstellungen speichern"), Qt::Key_S);
    place(m_cmdSave, 120, 3360, 855, 735);
    connect(m_cmdSave, &QPushButton::clicked, this, &Einstellungen::save);

    m_cmdExit = pictureButton(QStringLiteral("cmdExit"), QStringLiteral(":/images/close.png"),
                              QStringLiteral("Exit"), Qt::Key_E);
    place(m_cmdExit, 5760, 3360, 855, 735);
    connect(m_cmdExit, &QPushButton::clicked, this, &QWidget::close);
}

void Einstellungen::selectEntry(QComboBox *list, const QString &text)
{
    // A list selects its first entry by itself; without a match nothing is chosen.
    list->setCurrentIndex(list->findText(text, Qt::MatchFixedString));
}

void Einstellungen::chooseFile()
{
    AppState &state = AppState::instance();
    const QString chosen = DateiWahl(state.dataFile(), this);
    m_fileName->setText(chosen);
    m_fileName->setToolTip(chosen);
    if (!chosen.isEmpty()) {
        state.setDataFile(chosen);
    }
}

void Einstellungen::showLimitsFile(const QString &path)
{
    m_limitsFileName->setText(path);
    m_limitsFileName->setToolTip(path);
    m_cmdLimitsClear->setEnabled(!path.isEmpty());
}

void Einstellungen::chooseLimitsFile()
{
    AppState &state = AppState::instance();
    const QString chosen = GrenzwertdateiWahl(state.limitsFile(), this);
    state.setLimitsFile(chosen);
    showLimitsFile(chosen);
}

void Einstellungen::clearLimitsFile()
{
    AppState::instance().setLimitsFile(QString());
    showLimitsFile(QString());
    m_cmdLimitsFile->setFocus(Qt::OtherFocusReason);
}

void Einstellungen::save()
{
    AppState &state = AppState::instance();
    // An empty list position keeps what was stored rather than storing nothing.
    if (m_cmbPort->currentIndex() >= 0)
        state.setSchnittstelle(m_cmbPort->currentText());
    if (m_cmbTrenner->currentIndex() >= 0)
        state.setDataTrenner(m_cmbTrenner->currentText());
    emit saveSettingsRequested();
    close();
}
