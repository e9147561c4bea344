#pragma once

#include <windows.h>

namespace korvane {

// Stores the instance and argument text, refuses a second copy, creates the
// main window at the mouse and runs the message loop. Returns the exit code.
int RunApplication(HINSTANCE instance, const wchar_t* args, int showMode);

}  // namespace korvane
