#include "app/Windows.h"

#include "app/Main.h"
#include "app/Splash.h"

#include <QPointer>

namespace {
QPointer<Main> g_main;
QPointer<Splash> g_splash;
bool g_aboutHadFocus = false;
} // namespace

Main *Windows::main()
{
    if (!g_main)
        g_main = new Main;
    return g_main;
}

Main *Windows::existingMain()
{
    return g_main;
}

Splash *Windows::splash()
{
    if (!g_splash)
        g_splash = new Splash;
    return g_splash;
}

Splash *Windows::existingSplash()
{
    return g_splash;
}

void Windows::forget(Main *window)
{
    if (g_main == window)
        g_main = nullptr;
}

void Windows::forget(Splash *window)
{
    if (g_splash == window)
        g_splash = nullptr;
}

void Windows::noteAboutHadFocus()
{
    g_aboutHadFocus = true;
}

bool Windows::takeAboutHadFocus()
{
    return std::exchange(g_aboutHadFocus, false);
}
