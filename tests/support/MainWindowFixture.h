#pragma once

#include "support/AppTestEnvironment.h"
#include "support/MessageBoxCatcher.h"

#include <QString>

class Main;

// What the window tests share: a clean program state, the operator's message
// boxes caught, and the main window shown as the start shows it. A test's
// own fixture sets up its settings file, then calls showMain().
struct MainWindowFixture
{
    // The settings load, then the main window on the screen; the window is
    // main as well.
    Main *showMain();
    // The status bar's read panel, after the refresh that follows a change.
    [[nodiscard]] QString statusText() const;

    AppTestEnvironment env;
    MessageBoxCatcher boxes;
    Main *main = nullptr;
};
