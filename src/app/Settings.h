#pragma once

// Moves the settings between the settings file and the application state and
// the main window's two bar switches. Neither reports a failure.
void LoadSettings(); // creates the main window hidden when it does not exist
void SaveSettings();
