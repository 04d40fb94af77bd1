#include "support/AppTestEnvironment.h"

#include "app/Main.h"
#include "app/Splash.h"
#include "app/Windows.h"
#include "config/SettingsPath.h"
#include "core/AppState.h"

#include <QCoreApplication>
#include <QFile>
#include <QLocale>

AppTestEnvironment::AppTestEnvironment()
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    destroyWindows();
    resetState();
    setSettingsFilePathForTesting(iniPath());
}

AppTestEnvironment::~AppTestEnvironment()
{
    destroyWindows();
    resetState();
    setSettingsFilePathForTesting(QString());
}

void AppTestEnvironment::writeIni(const QByteArray &bytes) const
{
    QFile file(iniPath());
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

QByteArray AppTestEnvironment::readIni() const
{
    QFile file(iniPath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void AppTestEnvironment::destroyWindows()
{
    (void)Windows::takeAboutHadFocus();
    delete Windows::existingSplash();
    delete Windows::existingMain();
    // Deferred deletions of closed windows must not reach the next test.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void AppTestEnvironment::resetState()
{
    AppState::instance().reset();
}
