#pragma once

#include <QStringList>

class Splash;

// The program: the start window first; its first activation initialises.
int runQuoran(int argc, char *argv[]);

// Settings load, demo test, main window shown; run once by the start window.
void initialiseProgram(Splash *splash);

// Demo mode when the arguments after the program name, joined by blanks and
// upper-cased, contain "DEMO" anywhere.
[[nodiscard]] bool commandLineSelectsDemo(const QStringList &arguments);
