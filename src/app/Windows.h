#pragma once

class Main;
class Splash;

// The single instances of the top-level windows. A window is created (and its
// load step runs) on first use, and afresh after it was closed.
namespace Windows {
[[nodiscard]] Main *main(); // created hidden when it does not exist
[[nodiscard]] Main *existingMain();
[[nodiscard]] Splash *splash(); // created and loaded when it does not exist
[[nodiscard]] Splash *existingSplash();

// Called by the windows themselves when they close, so the next use creates them afresh.
void forget(Main *window);
void forget(Splash *window);

// Remembers that the About window had the focus, so the main window's
// activate step runs when the main window becomes active again.
void noteAboutHadFocus();
[[nodiscard]] bool takeAboutHadFocus();
} // namespace Windows
