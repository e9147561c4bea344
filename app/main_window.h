#pragma once

#include <windows.h>

#include <string>

namespace korvane {

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Repaints the main window's whole client area, clearing it first.
void RedrawPreview();
// The title: the date and time, after appTitle in the large view.
void UpdateTitleClock();
// The program folder, asked for anew each time.
std::wstring AppFolder();

}  // namespace korvane
