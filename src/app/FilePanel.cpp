#include "app/FilePanel.h"

#include "ui/ErrorBox.h"

#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QUrl>

namespace {

void openInDesktop(const QString &path, QWidget *parent)
{
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        return;
    showErrorBox({QStringLiteral("Fehler: Öffnen"),
                  QStringLiteral("%1\nkonnte nicht geöffnet werden. Ist auf diesem Rechner ein Programm "
                                 "dafür eingerichtet?")
                      .arg(QDir::toNativeSeparators(path))},
                 parent);
}

} // namespace

FilePanel::FilePanel(QLabel *label, QAction *openFile, QAction *openFolder)
    : QObject(label), m_label(label), m_openFile(openFile), m_openFolder(openFolder)
{}

QString FilePanel::panelText(const QString &path, bool folderThere)
{
    QString text = QStringLiteral("Datei: ") + path;
    if (!folderThere)
        text += QStringLiteral(" (Ordner fehlt)");
    return text;
}

void FilePanel::showFile(const QString &path)
{
    m_path = path;
    const QFileInfo file(path);
    // An empty path names no folder, though QFileInfo would take the working one.
    const bool folderThere = !path.isEmpty() && file.absoluteDir().exists();
    m_label->setText(panelText(path, folderThere));
    m_label->setToolTip(m_label->text()); // the path a narrow status bar cuts off
    m_openFile->setEnabled(folderThere && file.isFile());
    m_openFolder->setEnabled(folderThere);
}

void FilePanel::openFile(QWidget *parent) const
{
    openInDesktop(QFileInfo(m_path).absoluteFilePath(), parent);
}

void FilePanel::openFolder(QWidget *parent) const
{
    openInDesktop(QFileInfo(m_path).absolutePath(), parent);
}
