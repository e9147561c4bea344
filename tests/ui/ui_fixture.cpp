#include "ui/ui_fixture.h"

#include <commctrl.h>

#include <cstdint>
#include <filesystem>
#include <vector>

#include "app/window_placement.h"
#include "batch/win32/processing_dialog.h"
#include "resource_ids.h"
#include "ui/png_file.h"

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
  static const bool registered = [] {
    const INITCOMMONCONTROLSEX controls = {sizeof(INITCOMMONCONTROLSEX), ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);  // the Outline & Shadow dialog's trackbars
    return RegisterMainWindowClass();
  }();
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

bool SaveScreenshot(const std::string& name) {
  std::filesystem::create_directories(KORVANE_SHOTS_DIR);
  HDC screen = GetDC(nullptr);
  const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, w, h, screen, 0, 0, SRCCOPY);
  SelectObject(memory, old);
  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = w;
  info.biHeight = -h;  // top row first, as PNG wants it
  info.biPlanes = 1;
  info.biBitCount = 24;
  const int stride = (w * 3 + 3) & ~3;
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(stride) * h);
  GetDIBits(memory, bitmap, 0, h, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);

  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(w) * h * 3);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      for (int c = 0; c < 3; ++c)
        rgb[(static_cast<std::size_t>(y) * w + x) * 3 + c] = pixels[static_cast<std::size_t>(y) * stride + x * 3 + 2 - c];
  return WritePng(std::string(KORVANE_SHOTS_DIR) + "/" + name + ".png", w, h, rgb);
}

}  // namespace korvane::testing
