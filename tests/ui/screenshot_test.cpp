// Screenshots for a person to look at (not compared): the main window in both
// views, each menu of the bar opened and the preview of a few option sets,
// written to the build tree as PNG.
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

// The preview of a few option sets, in the large view and then the compact.
TEST_F(ScreenshotTest, OptionSetsInBothViews) {
  ASSERT_NE(Open(), nullptr);
  SetWindowPos(window_, HWND_TOP, 40, 40, 0, 0, SWP_NOSIZE);
  struct Set { const char* name; std::vector<UINT> commands; };
  const Set sets[] = {
      {"sepia-vignette", {IDM_COLOR_SEPIA2, IDM_VIGNETTE_BLACK, IDM_SHAPE_OUTER, IDM_THICKNESS_THICK}},
      {"outline-shadow", {IDM_CONTRAST_AUTO, IDM_EFFECT_OUTLINE_SHADOW}},  // its dialog is cancelled
      {"blur-rotation", {IDM_BLUR_STRONG, IDM_ROTATE_CW, IDM_COLOR_VIVID3}},
      {"grey-soft-focus-frame", {IDM_COLOR_GRAYSCALE, IDM_BLUR_SUPER_SOFT_FOCUS, IDM_VIGNETTE_WHITE}},
  };
  for (const Set& set : sets) {
    Command(IDM_RESET_OPTIONS);
    for (UINT id : set.commands) Command(id);
    for (bool compact : {false, true}) {
      Command(compact ? IDM_VIEW_COMPACT : IDM_VIEW_LARGE);
      Settle();
      EXPECT_TRUE(SaveScreenshot(std::string("options-") + set.name + (compact ? "-compact" : "-large")));
    }
  }
}

}  // namespace
}  // namespace korvane::testing
