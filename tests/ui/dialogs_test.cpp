// The colour picker, the Output Options dialog and the About box, driven
// through their real controls. A modal dialog blocks its opener, so each test
// scripts the dialogs it expects: a thread timer, dispatched by the dialogs'
// own message loops, hands every newly opened dialog to the next step.
#include <windows.h>

#include <colordlg.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "app/option_menu.h"
#include "dialogs/color_picker.h"
#include "resource_ids.h"
#include "ui/ui_fixture.h"

namespace korvane::testing {
namespace {

using Step = std::function<void(HWND dialog)>;

bool IsColorDialog(HWND d) { return GetDlgItem(d, COLOR_RED) != nullptr; }

// The colour dialog and this program's option dialogs; not the processing
// dialog, which closes by itself, nor message boxes.
bool IsScriptable(HWND d) {
  return IsColorDialog(d) || GetDlgItem(d, IDC_OPT_SCALE) != nullptr || GetDlgItem(d, IDC_ABOUT_NOTICE) != nullptr ||
         GetDlgItem(d, IDC_OS_OUTLINE_LEVEL) != nullptr;
}

class ModalScript {
 public:
  explicit ModalScript(std::vector<Step> steps) : steps_(steps.begin(), steps.end()) {
    active = this;
    timer_ = SetTimer(nullptr, 0, 20, Tick);
  }
  ~ModalScript() {
    KillTimer(nullptr, timer_);
    active = nullptr;
    EXPECT_TRUE(steps_.empty()) << steps_.size() << " scripted dialog(s) never opened";
  }
  ModalScript(const ModalScript&) = delete;
  ModalScript& operator=(const ModalScript&) = delete;

  static inline ModalScript* active = nullptr;

 private:
  static BOOL CALLBACK Collect(HWND w, LPARAM found) {
    wchar_t name[16] = {};
    GetClassNameW(w, name, 16);
    if (std::wstring(name) == L"#32770" && IsWindowVisible(w) && IsWindowEnabled(w))
      reinterpret_cast<std::vector<HWND>*>(found)->push_back(w);
    return TRUE;
  }

  // Runs re-entrantly when a step opens a nested dialog: the owner is
  // disabled then, so only the new dialog is found.
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
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

  std::deque<Step> steps_;
  std::vector<HWND> seen_;
  UINT_PTR timer_ = 0;
};

// Outside a script (the other UI tests choose "モノカラー" too), a dialog of
// ours that opens is cancelled at once.
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

// --- driving controls ------------------------------------------------------------

void Press(HWND d, int id) {
  SendMessageW(d, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(d, id)));
}

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

POINT CentreOf(HWND control) {
  RECT r{};
  GetWindowRect(control, &r);
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// A left click at the control's centre, as the dialog receives it.
void ClickAt(HWND d, int control) {
  POINT p = CentreOf(GetDlgItem(d, control));
  ScreenToClient(d, &p);
  SendMessageW(d, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
  SendMessageW(d, WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
}

// The colour under the control's centre once the dialog has painted.
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

// --- colour dialog steps -----------------------------------------------------------

// The colour the dialog shows in its red, green and blue boxes.
COLORREF ShownColour(HWND d) {
  Press(d, COLOR_MIX);  // the full dialog, with the boxes
  return RGB(GetDlgItemInt(d, COLOR_RED, nullptr, FALSE), GetDlgItemInt(d, COLOR_GREEN, nullptr, FALSE),
             GetDlgItemInt(d, COLOR_BLUE, nullptr, FALSE));
}

Step CancelColour(COLORREF* startedFrom = nullptr) {
  return [startedFrom](HWND d) {
    EXPECT_TRUE(IsColorDialog(d));
    if (startedFrom != nullptr) *startedFrom = ShownColour(d);
    Press(d, IDCANCEL);
  };
}

// Types the colour into the boxes; optionally adds it to the custom colours.
Step PickColour(COLORREF c, bool addToCustom = false, COLORREF* startedFrom = nullptr) {
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

class DialogsTest : public MainWindowTest {
 protected:
  void OpenWith(UINT command, std::vector<Step> steps) {
    ModalScript script(std::move(steps));
    Command(command);
  }
  bool Checked(UINT item) const { return (MenuState(item) & MF_CHECKED) != 0; }
};

// --- colour picker -------------------------------------------------------------------

TEST_F(DialogsTest, PickerStartsFromTheColourAndCancelKeepsIt) {
  ASSERT_NE(Open(), nullptr);
  ColorRef colour = 0x00336699;
  COLORREF startedFrom = 0;
  {
    ModalScript script({CancelColour(&startedFrom)});
    PickColor(window_, colour, mainCustomColors);
  }
  EXPECT_EQ(colour, 0x00336699u);
  EXPECT_EQ(startedFrom, 0x00336699u);
  EXPECT_EQ(mainCustomColors[0], 0x00336699u);  // the first custom swatch shows the colour edited

  {
    ModalScript script({PickColour(0x00102030)});
    PickColor(window_, colour, mainCustomColors);
  }
  EXPECT_EQ(colour, 0x00102030u);
}

TEST_F(DialogsTest, CustomColoursStayWithTheirListForTheRun) {
  ASSERT_NE(Open(), nullptr);
  ColorRef colour = 0;
  {
    ModalScript script({PickColour(0x00A1B2C3, true)});
    PickColor(window_, colour, mainCustomColors);
  }
  EXPECT_TRUE(Holds(mainCustomColors, 0x00A1B2C3));
  EXPECT_FALSE(Holds(outlineCustomColors, 0x00A1B2C3));
  {
    ModalScript script({CancelColour()});
    PickColor(window_, colour, outlineCustomColors);
  }
  EXPECT_TRUE(Holds(mainCustomColors, 0x00A1B2C3));  // a later call on the list still offers it
  EXPECT_EQ(outlineCustomColors[0], 0x00A1B2C3u);    // slot 0 only: the colour edited
}

// The two colour commands of the main menu: the mode is chosen before the
// picker opens and stays chosen whatever the picker answers.
TEST_F(DialogsTest, MenuColourCommandsChooseTheModeAndPickTheColour) {
  ASSERT_NE(Open(), nullptr);
  OutputSettings& s = appState.currentSettings;
  struct Case {
    UINT command;
    bool pick;  // else cancel
    COLORREF answer;
    ColorRef expected;
    UINT checkedItem;
  };
  const Case cases[] = {
      {IDM_COLOR_MONO, false, 0, 0xFF0000, IDM_COLOR_MONO},
      {IDM_COLOR_MONO, true, 0x00204080, 0x00204080, IDM_COLOR_MONO},
      {IDM_VIGNETTE_CUSTOM, false, 0, 0xFFFFFF, IDM_VIGNETTE_WHITE},  // still white: "白" is marked
      {IDM_VIGNETTE_CUSTOM, true, 0x000000, 0x000000, IDM_VIGNETTE_BLACK},
      {IDM_VIGNETTE_CUSTOM, true, 0x004488CC, 0x004488CC, IDM_VIGNETTE_CUSTOM},
  };
  for (const Case& c : cases) {
    const ColorRef before = c.command == IDM_COLOR_MONO ? s.monoColor : s.vignetteRgb;
    COLORREF startedFrom = 0;
    OpenWith(c.command, {c.pick ? PickColour(c.answer, false, &startedFrom) : CancelColour(&startedFrom)});
    EXPECT_EQ(startedFrom, before) << c.command;
    if (c.command == IDM_COLOR_MONO) {
      EXPECT_EQ(s.colorMode, kColorMono);
      EXPECT_EQ(s.monoColor, c.expected);
    } else {
      EXPECT_TRUE(s.vignetteOn);
      EXPECT_EQ(s.vignetteRgb, c.expected);
    }
    EXPECT_TRUE(Checked(c.checkedItem)) << c.command << " " << c.answer;
  }
  // "なし" keeps the colour: the next "他の色" starts from it.
  Command(IDM_VIGNETTE_NONE);
  COLORREF startedFrom = 0;
  OpenWith(IDM_VIGNETTE_CUSTOM, {CancelColour(&startedFrom)});
  EXPECT_EQ(startedFrom, 0x004488CCu);
}

// --- Output Options dialog -----------------------------------------------------------

TEST_F(DialogsTest, OptionListsShowTheSettingsAndEditThemInPlace) {
  ASSERT_NE(Open(), nullptr);
  OutputSettings& s = appState.currentSettings;
  OpenWith(IDM_OPTIONS_DIALOG, {[&](HWND d) {
    EXPECT_EQ(GetWindow(d, GW_OWNER), window_);
    struct Filled { int list, count, selected; const wchar_t *first, *last; };
    const Filled filled[] = {
        {IDC_OPT_SCALE, 4, 1, L"1/1", L"1/8"},       {IDC_OPT_CONTRAST, 8, 0, nullptr, nullptr},
        {IDC_OPT_COLOR_MODE, 17, 0, nullptr, nullptr}, {IDC_OPT_ROTATION, 6, 0, nullptr, nullptr},
        {IDC_OPT_BLUR, 6, 0, nullptr, nullptr},      {IDC_OPT_VIGNETTE_COLOR, 4, 0, L"なし", L"カスタム"},
        {IDC_OPT_VIGNETTE_SHAPE, 3, 0, nullptr, nullptr}, {IDC_OPT_VIGNETTE_THICKNESS, 3, 1, nullptr, nullptr},
        {IDC_OPT_QUALITY, 10, 0, L"100", L"10"},     {IDC_OPT_SPECIAL_EFFECT, 2, 0, nullptr, nullptr},
    };
    for (const Filled& f : filled) {
      EXPECT_EQ(SendDlgItemMessageW(d, f.list, CB_GETCOUNT, 0, 0), f.count) << f.list;
      EXPECT_EQ(Selected(d, f.list), f.selected) << f.list;
      if (f.first != nullptr) {
        EXPECT_EQ(ItemText(d, f.list, 0), f.first);
        EXPECT_EQ(ItemText(d, f.list, f.count - 1), f.last);
      }
    }
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, IDC_OPT_VIGNETTE_SHAPE)));

    struct Change { int list, index; bool redraws; std::function<bool()> holds; };
    const Change changes[] = {
        {IDC_OPT_SCALE, 3, false, [&] { return s.scale == 3; }},
        {IDC_OPT_QUALITY, 9, false, [&] { return s.quality == 9; }},
        {IDC_OPT_CONTRAST, 1, true, [&] { return s.contrast == 1; }},
        {IDC_OPT_BLUR, 5, true, [&] { return s.blur == 5; }},
        {IDC_OPT_ROTATION, 4, true, [&] { return s.rotation == 4; }},
        {IDC_OPT_COLOR_MODE, 15, true, [&] { return s.colorMode == 15; }},
        {IDC_OPT_VIGNETTE_COLOR, 2, true, [&] { return s.vignetteOn && s.vignetteRgb == 0x000000; }},
        {IDC_OPT_VIGNETTE_SHAPE, 2, true, [&] { return s.vignetteShape == 2; }},
        {IDC_OPT_VIGNETTE_THICKNESS, 0, true, [&] { return s.vignetteThickness == 0; }},
        {IDC_OPT_VIGNETTE_COLOR, 1, true, [&] { return s.vignetteOn && s.vignetteRgb == 0xFFFFFF; }},
        {IDC_OPT_SPECIAL_EFFECT, 1, true, [&] { return s.specialEffect == 1; }},
    };
    for (const Change& c : changes) {
      ValidateRect(appState.mainWindow, nullptr);
      Choose(d, c.list, c.index);
      EXPECT_TRUE(c.holds()) << c.list;
      EXPECT_EQ(MainWindowWaitsForRepaint(), c.redraws) << c.list;
    }
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(d, IDC_OPT_VIGNETTE_SHAPE)));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(d, IDC_OPT_VIGNETTE_THICKNESS)));
    // "なし" disables shape and thickness, which keep their selections.
    Choose(d, IDC_OPT_VIGNETTE_COLOR, 0);
    EXPECT_FALSE(s.vignetteOn);
    EXPECT_EQ(s.vignetteRgb, 0xFFFFFFu);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, IDC_OPT_VIGNETTE_SHAPE)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, IDC_OPT_VIGNETTE_THICKNESS)));
    EXPECT_EQ(Selected(d, IDC_OPT_VIGNETTE_SHAPE), 2);
    EXPECT_EQ(Selected(d, IDC_OPT_VIGNETTE_THICKNESS), 0);
    Press(d, IDOK);
  }});
  // OK kept everything, and the menus show it.
  EXPECT_EQ(s.scale, 3);
  EXPECT_EQ(s.blur, 5);
  EXPECT_EQ(s.colorMode, 15);
  EXPECT_EQ(s.specialEffect, 1);
  EXPECT_FALSE(s.vignetteOn);
  EXPECT_TRUE(Checked(IDM_SCALE_8));
  EXPECT_TRUE(Checked(IDM_COLOR_NEGATIVE));
  EXPECT_TRUE(Checked(IDM_EFFECT_OUTLINE_SHADOW));
  EXPECT_TRUE(Checked(IDM_VIGNETTE_NONE));
  EXPECT_EQ(MenuState(IDM_SHAPE_INNER) & (MF_CHECKED | MF_GRAYED), static_cast<UINT>(MF_CHECKED | MF_GRAYED));
}

TEST_F(DialogsTest, OptionColoursComeFromTheListsAndThePlaceholders) {
  ASSERT_NE(Open(), nullptr);
  OutputSettings& s = appState.currentSettings;
  COLORREF vignetteStart = 0;
  OpenWith(IDM_OPTIONS_DIALOG,
           {[&](HWND d) {
              // "モノカラー" in the list opens the picker; the swatch then shows the colour.
              Choose(d, IDC_OPT_COLOR_MODE, kColorMono);
              EXPECT_EQ(s.colorMode, kColorMono);
              EXPECT_EQ(s.monoColor, 0x00204080u);
              EXPECT_EQ(ColourShownAt(d, IDC_OPT_MONO_SWATCH), 0x00204080u);
              // "白", then "カスタム": the picker starts from white; pure black shows as "黒".
              Choose(d, IDC_OPT_VIGNETTE_COLOR, 1);
              Choose(d, IDC_OPT_VIGNETTE_COLOR, 3);
              EXPECT_EQ(s.vignetteRgb, 0x000000u);
              EXPECT_EQ(Selected(d, IDC_OPT_VIGNETTE_COLOR), 2);
              // A click on the empty mono placeholder while "オリジナル" is chosen.
              Choose(d, IDC_OPT_COLOR_MODE, 0);
              ClickAt(d, IDC_OPT_MONO_SWATCH);
              EXPECT_EQ(s.colorMode, kColorMono);
              EXPECT_EQ(Selected(d, IDC_OPT_COLOR_MODE), kColorMono);
              EXPECT_EQ(s.monoColor, 0x00204080u);
              // A click on the vignette placeholder while the vignette is off.
              Choose(d, IDC_OPT_VIGNETTE_COLOR, 0);
              ClickAt(d, IDC_OPT_VIGNETTE_SWATCH);
              EXPECT_TRUE(s.vignetteOn);
              EXPECT_EQ(s.vignetteRgb, 0x00123456u);
              EXPECT_EQ(Selected(d, IDC_OPT_VIGNETTE_COLOR), 3);
              EXPECT_TRUE(IsWindowEnabled(GetDlgItem(d, IDC_OPT_VIGNETTE_SHAPE)));
              EXPECT_EQ(ColourShownAt(d, IDC_OPT_VIGNETTE_SWATCH), 0x00123456u);
              // A click beside the placeholders picks nothing.
              SendMessageW(d, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
              Press(d, IDOK);
            },
            PickColour(0x00204080), PickColour(0x000000, false, &vignetteStart), CancelColour(),
            PickColour(0x00123456)});
  EXPECT_EQ(vignetteStart, 0xFFFFFFu);
  EXPECT_TRUE(Checked(IDM_VIGNETTE_CUSTOM));
  EXPECT_TRUE(Checked(IDM_COLOR_MONO));
}

TEST_F(DialogsTest, ResetThenCancelPutsBackTheOpeningOptions) {
  ASSERT_NE(Open(), nullptr);
  OutputSettings& s = appState.currentSettings;
  s.scale = 0;
  s.colorMode = kColorSepia2;
  s.monoColor = 0x00445566;
  s.vignetteOn = 1;
  s.vignetteRgb = 0x00778899;
  s.quality = 4;
  s.outlineShadow.outlineLevel = 77;
  const OutputSettings opening = s;
  OpenWith(IDM_OPTIONS_DIALOG, {[&](HWND d) {
    Choose(d, IDC_OPT_BLUR, 3);
    Press(d, IDC_OPT_RESET);
    EXPECT_EQ(s.scale, 1);
    EXPECT_EQ(s.colorMode, kColorOriginal);
    EXPECT_FALSE(s.vignetteOn);
    EXPECT_EQ(s.blur, kBlurNone);
    EXPECT_EQ(Selected(d, IDC_OPT_SCALE), 1);
    EXPECT_EQ(Selected(d, IDC_OPT_BLUR), 0);
    EXPECT_EQ(Selected(d, IDC_OPT_VIGNETTE_COLOR), 0);
    // Reset keeps the colours and the outline and shadow parameters.
    EXPECT_EQ(s.monoColor, 0x00445566u);
    EXPECT_EQ(s.vignetteRgb, 0x00778899u);
    EXPECT_EQ(s.outlineShadow.outlineLevel, 77);
    Choose(d, IDC_OPT_ROTATION, 3);
    s.outlineShadow.outlineLevel = 9;  // as the Outline & Shadow dialog would with OK
    s.compactView = 1;                 // never part of the options restored
    Press(d, IDCANCEL);
  }});
  EXPECT_EQ(s.compactView, 1);
  s.compactView = opening.compactView;
  EXPECT_EQ(s.scale, 0);
  EXPECT_EQ(s.colorMode, kColorSepia2);
  EXPECT_EQ(s.quality, 4);
  EXPECT_EQ(s.rotation, kRotateNone);
  EXPECT_TRUE(s.vignetteOn);
  EXPECT_FALSE(s.outlineShadow.Differs(opening.outlineShadow));
  EXPECT_TRUE(Checked(IDM_COLOR_SEPIA2));
  EXPECT_TRUE(Checked(IDM_SCALE_1));
  EXPECT_TRUE(Checked(IDM_VIGNETTE_CUSTOM));
  EXPECT_TRUE(MainWindowWaitsForRepaint());
}

TEST_F(DialogsTest, ClickInThePictureAndTheOKeyOpenTheOptions) {
  ASSERT_NE(Open(), nullptr);
  {
    ModalScript script({[](HWND d) { Press(d, IDCANCEL); }});
    SendMessageW(window_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 100));
  }
  {
    ModalScript script({[](HWND d) {
      Choose(d, IDC_OPT_CONTRAST, 2);
      Press(d, IDOK);
    }});
    Key('O');
  }
  EXPECT_EQ(appState.currentSettings.contrast, 2);
}

// --- About box ---------------------------------------------------------------------

TEST_F(DialogsTest, AboutBoxClosesWithOkAndEscape) {
  ASSERT_NE(Open(), nullptr);
  for (int button : {IDOK, IDCANCEL}) {
    bool opened = false;
    OpenWith(IDM_ABOUT, {[&](HWND d) {
      opened = true;
      EXPECT_EQ(GetWindow(d, GW_OWNER), window_);
      wchar_t text[100] = {};
      GetDlgItemTextW(d, IDC_ABOUT_NAME, text, 100);
      EXPECT_EQ(std::wstring(text).rfind(L"Korvane Resize", 0), 0u);
      EXPECT_NE(SendDlgItemMessageW(d, IDC_ABOUT_ICON, STM_GETICON, 0, 0), 0);
      Press(d, button);
    }});
    EXPECT_TRUE(opened) << button;
    EXPECT_TRUE(IsWindowEnabled(window_));
  }
}

// --- screenshots for a person to look at ----------------------------------------------

TEST_F(DialogsTest, Screenshots) {
  ASSERT_NE(Open(), nullptr);
  SetWindowPos(window_, HWND_TOP, 40, 40, 0, 0, SWP_NOSIZE);
  OutputSettings& s = appState.currentSettings;
  s.colorMode = kColorMono;
  s.monoColor = 0x00C08040;
  s.vignetteOn = 1;
  s.vignetteRgb = 0x004080C0;
  auto shoot = [](const char* name, int closeWith) {
    return [=](HWND d) {
      SetWindowPos(d, HWND_TOP, 520, 60, 0, 0, SWP_NOSIZE);
      for (int i = 0; i < 10; ++i) {
        UpdateWindow(d);
        Pump();
        Sleep(30);
      }
      EXPECT_TRUE(SaveScreenshot(name));
      Press(d, closeWith);
    };
  };
  OpenWith(IDM_OPTIONS_DIALOG, {shoot("dialog-output-options", IDOK)});
  OpenWith(IDM_ABOUT, {shoot("dialog-about", IDOK)});
  OpenWith(IDM_VIGNETTE_CUSTOM, {shoot("dialog-colour", IDCANCEL)});
}

}  // namespace
}  // namespace korvane::testing
