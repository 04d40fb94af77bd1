#pragma once

#include <QObject>
#include <QString>

class QAction;
class QLabel;
class QWidget;

// The status bar's file panel and the items of the menu "Datei" that open the
// data file and its folder: all follow whether the file and its folder are
// there, looked at afresh at every showing, so a folder that went away shows
// before the next save fails.
class FilePanel : public QObject
{
    Q_OBJECT
public:
    // Writes into label and enables the two items; lives as long as label.
    FilePanel(QLabel *label, QAction *openFile, QAction *openFolder);

    void showFile(const QString &path);
    // "Datei: <path>", with " (Ordner fehlt)" when the folder is not there.
    [[nodiscard]] static QString panelText(const QString &path, bool folderThere);

    // Open the file or its folder in the desktop's program for it; a failure
    // is shown with parent as the box's parent.
    void openFile(QWidget *parent) const;
    void openFolder(QWidget *parent) const;

private:
    QLabel *m_label;
    QAction *m_openFile;
    QAction *m_openFolder;
    QString m_path;
};
