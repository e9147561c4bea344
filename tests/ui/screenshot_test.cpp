// Screenshots for a person to look at (not compared): the main window in both
// views and each menu of the bar opened, written to the build tree as BMP.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/text.h"
#include "resource_ids.h"
#include "ui/ui_fixture.h"

namespace korvane::testing {
namespace {

bool SaveScreen(const std::string& name) {
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
  info.biHeight = h;
  info.biPlanes = 1;
  info.biBitCount = 24;
  const int stride = (w * 3 + 3) & ~3;
  std::vector<unsigned char> pixels(static_cast<std::size_t>(stride) * h);
  GetDIBits(memory, bitmap, 0, h, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);

  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = static_cast<DWORD>(file.bfOffBits + pixels.size());
  FILE* f = std::fopen((std::string(KORVANE_SHOTS_DIR) + "/" + name + ".bmp").c_str(), "wb");
  if (f == nullptr) return false;
  std::fwrite(&file, sizeof file, 1, f);
  std::fwrite(&info, sizeof info, 1, f);
  std::fwrite(pixels.data(), 1, pixels.size(), f);
  std::fclose(f);
  return true;
}

std::string pendingShot;
bool shotTaken = false;
void CALLBACK ShootAndCloseMenu(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  shotTaken = SaveScreen(pendingShot);
  EndMenu();
}

class ScreenshotTest : public MainWindowTest {
 protected:
  void Settle() {
    for (int i = 0; i < 10; ++i) {
      Pump();
      Sleep(30);
    }
  }
};

TEST_F(ScreenshotTest, MainWindowAndMenus) {
  ASSERT_NE(Open(), nullptr);
  SetWindowPos(window_, HWND_TOP, 40, 40, 0, 0, SWP_NOSIZE);
  Settle();
  EXPECT_TRUE(SaveScreen("main-large"));
  struct Menu { wchar_t mnemonic; const char* name; };
  for (const Menu& m : {Menu{L'f', "menu-file"}, Menu{L'o', "menu-output"}, Menu{L'v', "menu-view"},
                        Menu{L'h', "menu-help"}}) {
    pendingShot = m.name;
    shotTaken = false;
    SetTimer(nullptr, 0, 400, ShootAndCloseMenu);
    SendMessageW(window_, WM_SYSCOMMAND, SC_KEYMENU, m.mnemonic);  // returns when the menu closes
    Settle();
    EXPECT_TRUE(shotTaken) << m.name;
  }
  Key(VK_LEFT);
  Settle();
  EXPECT_TRUE(SaveScreen("main-compact"));
}

}  // namespace
}  // namespace korvane::testing
