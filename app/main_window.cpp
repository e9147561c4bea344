#include "app/main_window.h"

#include <shellapi.h>

#include <cwchar>

#include "app/app_state.h"
#include "app/commands.h"
#include "app/live_preview.h"
#include "app/menu_marks.h"
#include "app/window_placement.h"
#include "batch/drop_list.h"
#include "batch/win32/processing_dialog.h"
#include "history/history_file.h"
#include "platform/platform.h"
#include "resource_ids.h"

namespace korvane {
namespace {

void OnCreate(HWND window) {
  appState.mainWindow = window;
  FitClientArea(window);
  SetTimer(window, IDT_CLOCK, 1000, nullptr);
  SendMessageW(window, WM_TIMER, IDT_CLOCK, 0);
  LoadPreviewBitmap();
  DragAcceptFiles(window, TRUE);
  const std::u16string folder = U16(AppFolder());
  LoadSavedOptions(folder, appState.currentSettings);
  RefreshSwatches();
  RefreshAllMenuMarks();
  WriteViewLetter(folder, appState.currentSettings.compactView != 0);
  // Quoted paths on the command line: their batch runs before the window
  // creation returns, with the saved options already in force.
  if (!appState.commandArgs.empty())
    RunBatchWithProgress(window, DropList::FromArgumentText(U16(appState.commandArgs)));
}

void OnDestroy() {
  DeletePreviewBitmap();
  FreePreviewBuffers();
  appState.monoSwatch.reset();
  appState.vignetteSwatch.reset();
  PostQuitMessage(0);
}

void OnPaint(HWND window) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  DrawPreview(dc);
  EndPaint(window, &ps);
}

void OnDrop(HWND window, HDROP drop) {
  DropList list = DropList::FromShellDrop(platform::ShellDrop(reinterpret_cast<std::intptr_t>(drop)));
  SetForegroundWindow(window);
  RunBatchWithProgress(window, std::move(list));
}

}  // namespace

std::wstring AppFolder() { return Wide(QueryAppFolder(U16(appState.commandArgs))); }

void RedrawPreview() { InvalidateRect(appState.mainWindow, nullptr, TRUE); }

void UpdateTitleClock() {
  const platform::LocalTime t = platform::QueryLocalTime();
  wchar_t title[160];
  if (appState.currentSettings.compactView)
    std::swprintf(title, 160, L"%04d/%02d/%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
  else
    std::swprintf(title, 160, L"%ls %04d/%02d/%02d %02d:%02d:%02d", appState.appTitle.c_str(), t.year, t.month,
                  t.day, t.hour, t.minute, t.second);
  SetWindowTextW(appState.mainWindow, title);
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      OnCreate(window);
      return 0;
    case WM_DESTROY:
      OnDestroy();
      return 0;
    case WM_PAINT:
      OnPaint(window);
      return 0;
    case WM_CLOSE:
      KillTimer(window, IDT_CLOCK);
      DestroyWindow(window);
      return 0;
    case WM_KEYDOWN:
      if (const UINT command = CommandOfKey(wParam)) SendMessageW(window, WM_COMMAND, command, 0);
      return DefWindowProcW(window, message, wParam, lParam);
    case WM_COMMAND:
      if (HandleMenuCommand(window, LOWORD(wParam))) return 0;
      break;
    case WM_TIMER:
      UpdateTitleClock();
      return 0;
    case WM_LBUTTONDOWN:
      SendMessageW(window, WM_COMMAND, IDM_OPTIONS_DIALOG, 0);
      return 0;
    case WM_SIZING:
      // The frame cannot be dragged: only the View commands change the size.
      GetWindowRect(window, reinterpret_cast<RECT*>(lParam));
      return 0;
    case WM_DROPFILES:
      OnDrop(window, reinterpret_cast<HDROP>(wParam));
      return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace korvane
