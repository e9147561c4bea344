#include "app/window_placement.h"

#include "app/app_state.h"
#include "app/main_window.h"
#include "resource_ids.h"

namespace korvane {
namespace {

constexpr DWORD kMainWindowStyle = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX;

// The first guess of the window size from the system metrics.
SIZE GuessWindowSize(int side) {
  const int frame = GetSystemMetrics(SM_CYFRAME);
  const int width = side + 2 * frame;
  return {width, width + GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYMENU)};
}

}  // namespace

int PictureSide() { return appState.currentSettings.compactView ? 220 : 440; }

bool RegisterMainWindowClass() {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = MainWindowProc;
  wc.hInstance = appState.hostInstance;
  wc.hIcon = LoadIconW(appState.hostInstance, MAKEINTRESOURCEW(IDI_APP_ICON));
  wc.hIconSm = wc.hIcon;
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszMenuName = MAKEINTRESOURCEW(IDM_MAIN_MENU);
  wc.lpszClassName = appState.appClassName.c_str();
  return RegisterClassExW(&wc) != 0;
}

HWND CreateMainWindow(int showMode) {
  POINT mouse{};
  GetCursorPos(&mouse);
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  const SIZE size = GuessWindowSize(PictureSide());
  // At the mouse, but never off the screen's left, top, right or bottom.
  int x = mouse.x < 0 ? 0 : mouse.x;
  int y = mouse.y < 0 ? 0 : mouse.y;
  if (x + size.cx >= screenWidth) x = screenWidth - size.cx;
  if (y + size.cy >= screenHeight) y = screenHeight - size.cy;

  HWND window = CreateWindowExW(0, appState.appClassName.c_str(), appState.appTitle.c_str(),
                                kMainWindowStyle, x, y, size.cx, size.cy, nullptr, nullptr,
                                appState.hostInstance, nullptr);
  if (window == nullptr) return nullptr;
  ShowWindow(window, showMode);
  UpdateWindow(window);
  return window;
}

void FitClientArea(HWND window) {
  const int side = PictureSide();
  RECT r{};
  GetWindowRect(window, &r);
  const int left = r.left, top = r.top;
  const SIZE guess = GuessWindowSize(side);
  SetWindowPos(window, HWND_TOP, left, top, guess.cx, guess.cy, SWP_SHOWWINDOW);

  // Measure what the frame and the menu bar really take (a menu bar that
  // wraps onto two lines, frame metrics the guess did not foresee).
  RECT client{};
  GetWindowRect(window, &r);
  GetClientRect(window, &client);
  const int extraWidth = (r.right - r.left) - (client.right - client.left);
  const int extraHeight = (r.bottom - r.top) - (client.bottom - client.top);
  SetWindowPos(window, HWND_TOP, left, top, side + extraWidth, side + extraHeight, SWP_SHOWWINDOW);
}

}  // namespace korvane
