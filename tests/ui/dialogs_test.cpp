// The colour picker, the Output Options dialog and the About box, driven
// through their real controls by scripted steps (ui/modal_script.h).
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/option_menu.h"
#include "dialogs/color_picker.h"
#include "resource_ids.h"
#include "ui/modal_script.h"
#include "ui/ui_fixture.h"

namespace korvane::testing {
namespace {

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
  HWND options = nullptr;
  OpenWith(IDM_OPTIONS_DIALOG, {[&](HWND d) {
    options = d;
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
        {IDC_OPT_SPECIAL_EFFECT, 0, true, [&] { return s.specialEffect == 0; }},  // opens nothing
        {IDC_OPT_SPECIAL_EFFECT, 1, true, [&] { return s.specialEffect == 1; }},  // the next step
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
  },
  [&](HWND nested) {  // "輪郭と影" opened the Outline & Shadow dialog over the options
    EXPECT_EQ(GetWindow(nested, GW_OWNER), options);
    Click(nested, IDC_OS_OUTLINE_WHITE);
    Press(nested, IDOK);
  }});
  // OK kept everything, and the menus show it.
  EXPECT_EQ(s.outlineShadow.outline, kFillWhite);
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
  s.outlineShadow.background = kFillCustom;
  s.outlineShadow.backgroundRgb = 0x00D0E0F0;
  s.outlineShadow.shadow = kFillRandomVivid;
  s.outlineShadow.outlineLevel = 123;
  RedrawPreview();
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
  OpenWith(IDM_EFFECT_OUTLINE_SHADOW, {shoot("dialog-outline-shadow", IDOK)});
  OpenWith(IDM_ABOUT, {shoot("dialog-about", IDOK)});
  OpenWith(IDM_VIGNETTE_CUSTOM, {shoot("dialog-colour", IDCANCEL)});
}

}  // namespace
}  // namespace korvane::testing
