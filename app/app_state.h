// The process-wide state of the Windows program and the batch hand-over.
#pragma once

#include <windows.h>

#include <string>

#include "app/gdi_handles.h"
#include "settings/output_settings.h"

namespace korvane {

struct AppState {
  HINSTANCE hostInstance = nullptr;
  std::wstring commandArgs;  // the command line without the program path
  std::wstring appTitle;     // string 104
  std::wstring appClassName; // string 110
  HWND mainWindow = nullptr;
  OutputSettings currentSettings;
  HWND progressDialog = nullptr;
  int titlePhase = 0;  // step of the processing dialog's animated title, 0..9
  UniqueBitmap monoSwatch;
  UniqueBitmap vignetteSwatch;
};

extern AppState appState;

// Wide and UTF-16 views of the same text (wchar_t is 16 bits on Windows).
inline std::u16string U16(const std::wstring& s) { return std::u16string(s.begin(), s.end()); }
inline std::wstring Wide(const std::u16string& s) { return std::wstring(s.begin(), s.end()); }

}  // namespace korvane
