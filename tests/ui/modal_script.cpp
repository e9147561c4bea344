#include "ui/modal_script.h"

#include <colordlg.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "app/app_state.h"
#include "resource_ids.h"

namespace korvane::testing {
namespace {

// The colour dialog and this program's option dialogs; not the processing
// dialog, which closes by itself, nor message boxes.
bool IsScriptable(HWND d) {
  return IsColorDialog(d) || GetDlgItem(d, IDC_OPT_SCALE) != nullptr || GetDlgItem(d, IDC_ABOUT_NOTICE) != nullptr ||
         GetDlgItem(d, IDC_OS_OUTLINE_LEVEL) != nullptr;
}

BOOL CALLBACK Collect(HWND w, LPARAM found) {
  wchar_t name[16] = {};
  GetClassNameW(w, name, 16);
  if (std::wstring(name) == L"#32770" && IsWindowVisible(w) && IsWindowEnabled(w))
    reinterpret_cast<std::vector<HWND>*>(found)->push_back(w);
  return TRUE;
}

LRESULT CALLBACK CancelUnscripted(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE && ModalScript::active == nullptr) {
    HWND d = reinterpret_cast<HWND>(wParam);
    if (IsScriptable(d)) PostMessageW(d, WM_COMMAND, IDCANCEL, 0);
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

class UnscriptedDialogs : public ::testing::Environment {
 public:
  void SetUp() override { hook_ = SetWindowsHookExW(WH_CBT, CancelUnscripted, nullptr, GetCurrentThreadId()); }
  void TearDown() override { UnhookWindowsHookEx(hook_); }

 private:
  HHOOK hook_ = nullptr;
};
::testing::Environment* const unscriptedDialogs = ::testing::AddGlobalTestEnvironment(new UnscriptedDialogs);

POINT CentreOf(HWND control) {
  RECT r{};
  GetWindowRect(control, &r);
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

}  // namespace

ModalScript::ModalScript(std::vector<Step> steps) : steps_(steps.begin(), steps.end()) {
  active = this;
  timer_ = SetTimer(nullptr, 0, 20, Tick);
}

ModalScript::~ModalScript() {
  KillTimer(nullptr, timer_);
  active = nullptr;
  EXPECT_TRUE(steps_.empty()) << steps_.size() << " scripted dialog(s) never opened";
}

// Runs re-entrantly when a step opens a nested dialog: the owner is disabled
// then, so only the new dialog is found.
void CALLBACK ModalScript::Tick(HWND, UINT, UINT_PTR, DWORD) {
  ModalScript* s = active;
  if (s == nullptr) return;
  s->seen_.erase(std::remove_if(s->seen_.begin(), s->seen_.end(), [](HWND w) { return !IsWindow(w); }),
                 s->seen_.end());
  std::vector<HWND> open;
  EnumThreadWindows(GetCurrentThreadId(), Collect, reinterpret_cast<LPARAM>(&open));
  for (HWND d : open) {
    if (!IsScriptable(d) || std::find(s->seen_.begin(), s->seen_.end(), d) != s->seen_.end()) continue;
    s->seen_.push_back(d);
    if (s->steps_.empty()) {
      ADD_FAILURE() << "a dialog opened that the test did not expect";
      PostMessageW(d, WM_COMMAND, IDCANCEL, 0);
      return;
    }
    Step step = std::move(s->steps_.front());
    s->steps_.pop_front();
    step(d);
    return;
  }
}

bool IsColorDialog(HWND d) { return GetDlgItem(d, COLOR_RED) != nullptr; }

void Press(HWND d, int id) {
  SendMessageW(d, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(d, id)));
}

void Click(HWND d, int id) { SendDlgItemMessageW(d, id, BM_CLICK, 0, 0); }

bool IsChecked(HWND d, int id) { return IsDlgButtonChecked(d, id) == BST_CHECKED; }

void Choose(HWND d, int list, int index) {
  SendDlgItemMessageW(d, list, CB_SETCURSEL, index, 0);
  SendMessageW(d, WM_COMMAND, MAKEWPARAM(list, CBN_SELCHANGE), reinterpret_cast<LPARAM>(GetDlgItem(d, list)));
}

int Selected(HWND d, int list) { return static_cast<int>(SendDlgItemMessageW(d, list, CB_GETCURSEL, 0, 0)); }

std::wstring ItemText(HWND d, int list, int index) {
  wchar_t text[64] = {};
  SendDlgItemMessageW(d, list, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text));
  return text;
}

std::wstring ControlText(HWND d, int id) {
  wchar_t text[64] = {};
  GetDlgItemTextW(d, id, text, 64);
  return text;
}

void ClickAt(HWND d, int control) {
  POINT p = CentreOf(GetDlgItem(d, control));
  ScreenToClient(d, &p);
  SendMessageW(d, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
  SendMessageW(d, WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
}

COLORREF ColourShownAt(HWND d, int control) {
  UpdateWindow(d);
  POINT p = CentreOf(GetDlgItem(d, control));
  ScreenToClient(d, &p);
  HDC dc = GetDC(d);
  const COLORREF c = GetPixel(dc, p.x, p.y);
  ReleaseDC(d, dc);
  return c;
}

bool MainWindowWaitsForRepaint() {
  RECT r{};
  return GetUpdateRect(appState.mainWindow, &r, FALSE) != FALSE;
}

COLORREF ShownColour(HWND d) {
  Press(d, COLOR_MIX);  // the full dialog, with the boxes
  return RGB(GetDlgItemInt(d, COLOR_RED, nullptr, FALSE), GetDlgItemInt(d, COLOR_GREEN, nullptr, FALSE),
             GetDlgItemInt(d, COLOR_BLUE, nullptr, FALSE));
}

Step CancelColour(COLORREF* startedFrom) {
  return [startedFrom](HWND d) {
    EXPECT_TRUE(IsColorDialog(d));
    if (startedFrom != nullptr) *startedFrom = ShownColour(d);
    Press(d, IDCANCEL);
  };
}

Step PickColour(COLORREF c, bool addToCustom, COLORREF* startedFrom) {
  return [=](HWND d) {
    EXPECT_TRUE(IsColorDialog(d));
    const COLORREF start = ShownColour(d);
    if (startedFrom != nullptr) *startedFrom = start;
    SetDlgItemInt(d, COLOR_RED, GetRValue(c), FALSE);
    SetDlgItemInt(d, COLOR_GREEN, GetGValue(c), FALSE);
    SetDlgItemInt(d, COLOR_BLUE, GetBValue(c), FALSE);
    if (addToCustom) Press(d, COLOR_ADD);
    Press(d, IDOK);
  };
}

bool Holds(const CustomColors& list, COLORREF c) { return std::find(list.begin(), list.end(), c) != list.end(); }

}  // namespace korvane::testing
