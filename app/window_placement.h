#pragma once

#include <windows.h>

namespace korvane {

// Registers the main window class (name appState.appClassName, menu 110,
// icon 157). False when the platform refuses.
bool RegisterMainWindowClass();

// Creates the main window at the mouse position, clamped to the screen, and
// shows it with `showMode`. Null on failure.
HWND CreateMainWindow(int showMode);

// Sizes the window so that its client area is exactly 220 x 220 (compact
// view) or 440 x 440 (large view), keeping its top-left corner.
void FitClientArea(HWND window);

// The client side of the picture for the current view.
int PictureSide();

}  // namespace korvane
