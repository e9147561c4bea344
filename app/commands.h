// What the main window's menu commands and single keys do.
#pragma once

#include <windows.h>

namespace korvane {

// Handles a menu command; false for an id the menus do not have.
bool HandleMenuCommand(HWND window, UINT id);
// The command of a key, or 0 when the key has none.
UINT CommandOfKey(WPARAM virtualKey);

}  // namespace korvane
