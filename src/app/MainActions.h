#pragma once

#include "ui/ImageList.h"

#include <QString>
#include <functional>

class QAction;
class QMainWindow;
class QToolBar;

// The menus and the tool bar of the main window, built from tables. The
// window hands in what the items call, so nothing here knows the window's class.
class MainActions
{
public:
    struct Calls
    {
        std::function<void()> openDataFile;
        std::function<void()> openDataFolder;
        // The menu "Datei" is about to open: its items follow the data file.
        std::function<void()> fileMenuShown;
        std::function<void()> close;
        std::function<void()> importDataFiles;
        std::function<void()> showMesswerteProtokoll;
        std::function<void()> showAuswertung;
        std::function<void()> showEinstellungen;
        std::function<void()> showDebuggen;
        std::function<void()> showInfo;
        // A tool-bar button hands in its key.
        std::function<void(const QString &key)> toolbarClick;
        // Follows the check mark of mnuTaskliste.
        std::function<void(bool on)> showWindowListBar;
    };

    // Adds the menus and the tool bar to window; the items call calls.
    MainActions(QMainWindow *window, const Calls &calls);

    [[nodiscard]] QToolBar *toolBar() const { return m_toolBar; }
    // The check marks are the only record of whether the bars are shown.
    [[nodiscard]] QAction *symbolleiste() const { return m_mnuSymbolleiste; }
    [[nodiscard]] QAction *taskliste() const { return m_mnuTaskliste; }
    [[nodiscard]] QAction *openDataFile() const { return m_mnuDatendatei; }
    [[nodiscard]] QAction *openDataFolder() const { return m_mnuOrdner; }

private:
    void createMenus(QMainWindow *window, const Calls &calls);
    void createToolBar(QMainWindow *window, const Calls &calls);

    ImageList m_images;
    QToolBar *m_toolBar = nullptr;
    QAction *m_mnuSymbolleiste = nullptr;
    QAction *m_mnuTaskliste = nullptr;
    QAction *m_mnuDatendatei = nullptr;
    QAction *m_mnuOrdner = nullptr;
    QAction *m_mnuExit = nullptr;
};
