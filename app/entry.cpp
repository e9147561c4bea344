#include "app/entry.h"

#include <commctrl.h>

#include "app/app_state.h"
#include "app/window_placement.h"
#include "batch/drop_list.h"
#include "batch/win32/processing_dialog.h"
#include "history/history_file.h"
#include "resource_ids.h"

namespace korvane {
namespace {

constexpr wchar_t kInstanceMutexName[] = L"Zorvik loves his family.";

std::wstring LoadText(UINT id) {
  wchar_t buffer[100] = {};
  LoadStringW(appState.hostInstance, id, buffer, 100);
  return buffer;
}

// Brings the running copy's window forward, restoring it when minimised.
void BringFirstCopyForward() {
  HWND other = FindWindowW(appState.appClassName.c_str(), nullptr);
  if (other == nullptr) return;
  if (IsIconic(other)) ShowWindow(other, SW_RESTORE);
  SetForegroundWindow(other);
}

}  // namespace

int RunApplication(HINSTANCE instance, const wchar_t* args, int showMode) {
  appState.hostInstance = instance;
  // The Outline & Shadow dialog holds trackbars.
  const INITCOMMONCONTROLSEX controls = {sizeof(INITCOMMONCONTROLSEX), ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  appState.commandArgs = args != nullptr ? args : L"";
  appState.appTitle = LoadText(IDS_APP_TITLE);
  appState.appClassName = LoadText(IDS_APP_CLASS);
  RegisterMainWindowClass();

  UniqueKernelHandle mutex(CreateMutexW(nullptr, TRUE, kInstanceMutexName));
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    BringFirstCopyForward();
    return 0;
  }

  ReadViewMode(QueryAppFolder(U16(appState.commandArgs)), appState.currentSettings);
  if (CreateMainWindow(showMode) == nullptr) {
    ReleaseMutex(mutex.get());
    return 0;
  }

  MSG msg{};
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  // A cancelled batch may still be finishing its file and its history entry.
  WaitForRunningBatch();
  ReleaseMutex(mutex.get());
  return static_cast<int>(msg.wParam);
}

}  // namespace korvane
