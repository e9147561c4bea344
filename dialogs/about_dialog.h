// The About box: the program's name, version and the JPEG library notice.
#pragma once

#include <windows.h>

namespace korvane {

// Shows the box modally over `owner` until OK, Enter, Esc or its close box.
void ShowAboutDialog(HWND owner);

}  // namespace korvane
