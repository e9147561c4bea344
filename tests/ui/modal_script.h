// Driving modal dialogs from a test. A modal dialog blocks its opener, so a
// test scripts the dialogs it expects: a thread timer, dispatched by the
// dialogs' own message loops, hands every newly opened dialog to the next
// step. Outside a script, a dialog of this program that opens is cancelled
// at once (the other UI tests choose "モノカラー" and "輪郭と影" too).
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "dialogs/color_picker.h"
#include "ui/ui_fixture.h"

namespace korvane::testing {

using Step = std::function<void(HWND dialog)>;

class ModalScript {
 public:
  explicit ModalScript(std::vector<Step> steps);
  ~ModalScript();
  ModalScript(const ModalScript&) = delete;
  ModalScript& operator=(const ModalScript&) = delete;

  static inline ModalScript* active = nullptr;

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);

  std::deque<Step> steps_;
  std::vector<HWND> seen_;
  UINT_PTR timer_ = 0;
};

bool IsColorDialog(HWND d);

class DialogsTest : public MainWindowTest {
 protected:
  // Sends the command to the main window with the steps scripted.
  void OpenWith(UINT command, std::vector<Step> steps) {
    ModalScript script(std::move(steps));
    Command(command);
  }
  bool Checked(UINT item) const { return (MenuState(item) & MF_CHECKED) != 0; }
};

// --- driving controls ------------------------------------------------------------

// The button's notification, as a click sends it (the button itself is
// left as it is).
void Press(HWND d, int id);
// A real click: the button toggles itself, then notifies.
void Click(HWND d, int id);
bool IsChecked(HWND d, int id);
void Choose(HWND d, int list, int index);
int Selected(HWND d, int list);
std::wstring ItemText(HWND d, int list, int index);
std::wstring ControlText(HWND d, int id);
// A left click at the control's centre, as the dialog receives it.
void ClickAt(HWND d, int control);
// The colour under the control's centre once the dialog has painted.
COLORREF ColourShownAt(HWND d, int control);
bool MainWindowWaitsForRepaint();

// --- colour dialog steps -----------------------------------------------------------

// The colour the dialog shows in its red, green and blue boxes.
COLORREF ShownColour(HWND d);
Step CancelColour(COLORREF* startedFrom = nullptr);
// Types the colour into the boxes; optionally adds it to the custom colours.
Step PickColour(COLORREF c, bool addToCustom = false, COLORREF* startedFrom = nullptr);
bool Holds(const CustomColors& list, COLORREF c);

}  // namespace korvane::testing
