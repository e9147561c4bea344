// Creates the real main window in-process, as the entry does, with the
// working directory (the program folder of an argument-less start) moved to
// a scratch folder, and destroys it again afterwards.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "app/app_state.h"
#include "support/jpeg_fixtures.h"

namespace korvane::testing {

// Writes the whole screen (the Wine desktop) as KORVANE_SHOTS_DIR/NAME.png.
bool SaveScreenshot(const std::string& name);

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Creates the window for the given argument text (the first batch runs
  // during creation when it names quoted paths).
  HWND Open(const std::wstring& args = L"");
  void Close();

  void Command(UINT id) { SendMessageW(window_, WM_COMMAND, id, 0); }
  void Key(WPARAM key) { SendMessageW(window_, WM_KEYDOWN, key, 0); }
  SIZE ClientSize() const;
  std::wstring Title() const;
  UINT MenuState(UINT id) const { return GetMenuState(GetMenu(window_), id, MF_BYCOMMAND); }
  // Runs the thread's messages until none is left.
  static void Pump();

  std::u16string folder() const { return scratch_.path(); }

  ScratchFolder scratch_;
  HWND window_ = nullptr;

 private:
  std::wstring oldDirectory_;
};

}  // namespace korvane::testing
