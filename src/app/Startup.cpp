#include "app/Startup.h"

#include "app/Application.h"
#include "app/Main.h"
#include "app/Settings.h"
#include "app/Splash.h"
#include "app/Windows.h"
#include "core/AppState.h"
#include "ui/WaitCursor.h"

#include <QIcon>
#include <QLibraryInfo>
#include <QTranslator>

bool commandLineSelectsDemo(const QStringList &arguments)
{
    return arguments.mid(1).join(QLatin1Char(' ')).toUpper().contains(QLatin1String("DEMO"));
}

void initialiseProgram(Splash *splash)
{
    {
        WaitCursor wait;
        splash->repaint();
        LoadSettings();
        AppState &state = AppState::instance();
        state.setDemoModus(commandLineSelectsDemo(QCoreApplication::arguments()));
    }
    Windows::main()->show();
}

int runQuoran(int argc, char *argv[])
{
    Application app(argc, argv);
    Application::setApplicationName(QStringLiteral("Quoran"));
    // Wayland's app id: the shell ties the window to its launcher and icon by it.
    Application::setDesktopFileName(QStringLiteral("io.github.quoran.Quoran"));
    Application::setWindowIcon(QIcon(QStringLiteral(":/images/quoran.png")));
    // The program speaks German, so Qt's own dialogs (file chooser, message
    // box buttons) do too, whatever the desktop's language.
    QTranslator qtTexts;
    if (qtTexts.load(QStringLiteral("qtbase_de"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        Application::installTranslator(&qtTexts);
    return Application::guarded([&app] {
        Splash *splash = Windows::splash();
        splash->show();
        splash->activateWindow();
        return app.exec();
    });
}
