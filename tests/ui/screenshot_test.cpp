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

std::string pendingShot;
bool shotTaken = false;
void CALLBACK ShootAndCloseMenu(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  shotTaken = SaveScreenshot(pendingShot);
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
  EXPECT_TRUE(SaveScreenshot("main-large"));
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
  EXPECT_TRUE(SaveScreenshot("main-compact"));
}

}  // namespace
}  // namespace korvane::testing
