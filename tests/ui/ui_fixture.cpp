#include "ui/ui_fixture.h"

#include "app/window_placement.h"
#include "batch/win32/processing_dialog.h"
#include "resource_ids.h"

namespace korvane::testing {
namespace {

std::wstring LoadText(UINT id) {
  wchar_t buffer[100] = {};
  LoadStringW(GetModuleHandleW(nullptr), id, buffer, 100);
  return buffer;
}

}  // namespace

void MainWindowTest::SetUp() {
  wchar_t dir[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, dir);
  oldDirectory_ = dir;
  SetCurrentDirectoryW(Wide(scratch_.path()).c_str());
  appState.hostInstance = GetModuleHandleW(nullptr);
  appState.appTitle = LoadText(IDS_APP_TITLE);
  appState.appClassName = LoadText(IDS_APP_CLASS);
  appState.currentSettings = OutputSettings{};
  SetOpenOutputFolders(false);
  static const bool registered = RegisterMainWindowClass();
  (void)registered;
}

void MainWindowTest::TearDown() {
  Close();
  SetCurrentDirectoryW(oldDirectory_.c_str());
}

HWND MainWindowTest::Open(const std::wstring& args) {
  appState.commandArgs = args;
  window_ = CreateMainWindow(SW_SHOW);
  Pump();
  return window_;
}

void MainWindowTest::Close() {
  if (window_ != nullptr && IsWindow(window_)) DestroyWindow(window_);
  window_ = nullptr;
  WaitForRunningBatch();
  // Eat the quit message the destruction posted, and anything else left.
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
  }
  appState.mainWindow = nullptr;
}

SIZE MainWindowTest::ClientSize() const {
  RECT r{};
  GetClientRect(window_, &r);
  return {r.right - r.left, r.bottom - r.top};
}

std::wstring MainWindowTest::Title() const {
  wchar_t text[200] = {};
  GetWindowTextW(window_, text, 200);
  return text;
}

void MainWindowTest::Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

}  // namespace korvane::testing
