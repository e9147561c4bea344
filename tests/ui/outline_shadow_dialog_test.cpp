// The Outline & Shadow dialog, opened from the main menu and from the Output
// Options dialog and driven through its real controls by scripted steps.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "app/live_preview.h"
#include "effects/outline_shadow.h"
#include "resource_ids.h"
#include "ui/modal_script.h"

namespace korvane::testing {
namespace {

using Params = OutlineShadowSettings;

const int kRadios[3][kFillChoiceCount] = {
    {IDC_OS_BACKGROUND_ORIGINAL, IDC_OS_BACKGROUND_WHITE, IDC_OS_BACKGROUND_BLACK, IDC_OS_BACKGROUND_CUSTOM,
     IDC_OS_BACKGROUND_RANDOM_VIVID, IDC_OS_BACKGROUND_RANDOM_PALE},
    {IDC_OS_OUTLINE_NONE, IDC_OS_OUTLINE_WHITE, IDC_OS_OUTLINE_BLACK, IDC_OS_OUTLINE_CUSTOM,
     IDC_OS_OUTLINE_RANDOM_VIVID, IDC_OS_OUTLINE_RANDOM_PALE},
    {IDC_OS_SHADOW_NONE, IDC_OS_SHADOW_WHITE, IDC_OS_SHADOW_BLACK, IDC_OS_SHADOW_CUSTOM, IDC_OS_SHADOW_RANDOM_VIVID,
     IDC_OS_SHADOW_RANDOM_PALE},
};
std::int32_t Params::*const kChoices[3] = {&Params::background, &Params::outline, &Params::shadow};

struct Box {
  int id;
  std::uint8_t Params::*flag;
};
const Box kBoxes[] = {
    {IDC_OS_OUTLINE_UNDER_SHADOW, &Params::outlineUnderShadow},
    {IDC_OS_SHADOW_TAKES_OUTLINE_COLOR, &Params::shadowTakesOutlineColor},
    {IDC_OS_OUTLINE_GROUPING, &Params::outlineGrouping},
    {IDC_OS_OUTLINE_SMOOTHING, &Params::outlineSmoothing},
    {IDC_OS_OUTLINE_BEFORE_BLUR, &Params::outlineBeforeBlur},
    {IDC_OS_SHADOW_GROUPING, &Params::shadowGrouping},
    {IDC_OS_SHADOW_SMOOTHING, &Params::shadowSmoothing},
    {IDC_OS_SHADOW_BEFORE_BLUR, &Params::shadowBeforeBlur},
};

// Never drawn by PickRandomColors: every colour it draws has a channel at 255.
constexpr ColorRef kStale[3] = {0x00010203, 0x00040506, 0x00070809};

void MarkRandomColoursStale(Params& p) {
  p.backgroundRandomRgb = kStale[0];
  p.outlineRandomRgb = kStale[1];
  p.shadowRandomRgb = kStale[2];
}

bool IsDrawnColour(ColorRef c, std::int32_t choice) {
  const std::uint32_t saturation = choice == kFillRandomVivid ? 255 : 128;
  for (std::uint32_t hue = 0; hue < 256; ++hue)
    if (HueColor(hue, saturation) == c) return true;
  return false;
}

// All three random colours newly drawn for the group's current choice.
::testing::AssertionResult RandomColoursDrawn(const Params& p) {
  const ColorRef colours[3] = {p.backgroundRandomRgb, p.outlineRandomRgb, p.shadowRandomRgb};
  for (int g = 0; g < 3; ++g)
    if (!IsDrawnColour(colours[g], p.*kChoices[g]))
      return ::testing::AssertionFailure() << "group " << g << " holds " << std::hex << colours[g];
  return ::testing::AssertionSuccess();
}

bool RandomColoursStale(const Params& p) {
  return p.backgroundRandomRgb == kStale[0] && p.outlineRandomRgb == kStale[1] && p.shadowRandomRgb == kStale[2];
}

// Moves the slider as a drag ending at `position` would.
void Slide(HWND d, int slider, int position) {
  HWND control = GetDlgItem(d, slider);
  SendMessageW(control, TBM_SETPOS, TRUE, position);
  SendMessageW(d, WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, position), reinterpret_cast<LPARAM>(control));
  SendMessageW(d, WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0), reinterpret_cast<LPARAM>(control));
}

int SliderAt(HWND d, int slider) { return static_cast<int>(SendDlgItemMessageW(d, slider, TBM_GETPOS, 0, 0)); }

// The dialog shows `p`: one radio per group, sliders, value texts, boxes.
void ExpectControlsShow(HWND d, const Params& p) {
  for (int g = 0; g < 3; ++g) {
    const int choice = p.*kChoices[g];
    const int shown = choice >= 1 && choice < kFillChoiceCount ? choice : 0;
    for (int i = 0; i < kFillChoiceCount; ++i) EXPECT_EQ(IsChecked(d, kRadios[g][i]), i == shown) << kRadios[g][i];
  }
  EXPECT_EQ(SliderAt(d, IDC_OS_OUTLINE_LEVEL), p.outlineLevel);
  EXPECT_EQ(SliderAt(d, IDC_OS_SHADOW_LEVEL), p.shadowLevel);
  EXPECT_EQ(ControlText(d, IDC_OS_OUTLINE_LEVEL_TEXT), std::to_wstring(p.outlineLevel));
  EXPECT_EQ(ControlText(d, IDC_OS_SHADOW_LEVEL_TEXT), std::to_wstring(p.shadowLevel));
  for (const Box& box : kBoxes) EXPECT_EQ(IsChecked(d, box.id), p.*box.flag != 0) << box.id;
}

// Parameters far from the initial ones, to see them shown and restored.
Params Unusual() {
  Params p;
  p.background = kFillRandomPale;
  p.backgroundRgb = 0x00112233;
  p.outline = kFillCustom;
  p.outlineRgb = 0x00445566;
  p.outlineLevel = 77;
  p.outlineGrouping = 1;
  p.outlineSmoothing = 0;
  p.shadow = 7;  // outside the choices: shown as "なし"
  p.shadowRgb = 0x00778899;
  p.shadowLevel = 200;
  p.shadowBeforeBlur = 0;
  p.outlineUnderShadow = 1;
  MarkRandomColoursStale(p);
  return p;
}

class OutlineShadowDialogTest : public DialogsTest {
 protected:
  OutputSettings& s = appState.currentSettings;
  Params& p = appState.currentSettings.outlineShadow;
};

TEST_F(OutlineShadowDialogTest, MenuOpensItOnTheOptionsAndCancelAtOnceChangesNothing) {
  ASSERT_NE(Open(), nullptr);
  p = Unusual();
  const Params opening = p;
  bool redrawnByCancel = true;
  OpenWith(IDM_EFFECT_OUTLINE_SHADOW, {[&](HWND d) {
    EXPECT_EQ(GetWindow(d, GW_OWNER), window_);
    EXPECT_EQ(s.specialEffect, kEffectOutlineShadow);  // set before the dialog opened
    for (int slider : {IDC_OS_OUTLINE_LEVEL, IDC_OS_SHADOW_LEVEL}) {
      EXPECT_EQ(SendDlgItemMessageW(d, slider, TBM_GETRANGEMIN, 0, 0), 0);
      EXPECT_EQ(SendDlgItemMessageW(d, slider, TBM_GETRANGEMAX, 0, 0), 255);
      EXPECT_EQ(SendDlgItemMessageW(d, slider, TBM_GETPAGESIZE, 0, 0), 1);
    }
    ExpectControlsShow(d, opening);
    EXPECT_EQ(ColourShownAt(d, IDC_OS_BACKGROUND_SWATCH), 0x00112233u);
    EXPECT_EQ(ColourShownAt(d, IDC_OS_OUTLINE_SWATCH), 0x00445566u);
    EXPECT_EQ(ColourShownAt(d, IDC_OS_SHADOW_SWATCH), 0x00778899u);  // whatever the choice
    ValidateRect(appState.mainWindow, nullptr);
    Press(d, IDCANCEL);
    redrawnByCancel = MainWindowWaitsForRepaint();
  }});
  EXPECT_FALSE(p.Differs(opening));
  EXPECT_FALSE(redrawnByCancel);
  EXPECT_EQ(s.specialEffect, kEffectOutlineShadow);
  EXPECT_TRUE(Checked(IDM_EFFECT_OUTLINE_SHADOW));
}

// Each control edits its field; any change, and only a change, draws fresh
// random colours and brings the preview up to date.
TEST_F(OutlineShadowDialogTest, EveryControlEditsItsFieldAndDrawsFreshRandomColours) {
  ASSERT_NE(Open(), nullptr);
  Params last;
  OpenWith(IDM_EFFECT_OUTLINE_SHADOW, {[&](HWND d) {
    struct Action {
      const char* name;
      std::function<void()> act;
      std::function<bool()> holds;
    };
    std::vector<Action> actions = {
        {"background white", [&] { Click(d, IDC_OS_BACKGROUND_WHITE); }, [&] { return p.background == kFillWhite; }},
        {"background vivid", [&] { Click(d, IDC_OS_BACKGROUND_RANDOM_VIVID); },
         [&] { return p.background == kFillRandomVivid; }},
        {"outline none", [&] { Click(d, IDC_OS_OUTLINE_NONE); }, [&] { return p.outline == kFillOriginal; }},
        {"outline pale", [&] { Click(d, IDC_OS_OUTLINE_RANDOM_PALE); },
         [&] { return p.outline == kFillRandomPale; }},
        {"shadow custom", [&] { Click(d, IDC_OS_SHADOW_CUSTOM); }, [&] { return p.shadow == kFillCustom; }},
        {"shadow vivid", [&] { Click(d, IDC_OS_SHADOW_RANDOM_VIVID); },
         [&] { return p.shadow == kFillRandomVivid; }},
        {"outline slider", [&] { Slide(d, IDC_OS_OUTLINE_LEVEL, 255); }, [&] { return p.outlineLevel == 255; }},
        {"outline slider step", [&] { Slide(d, IDC_OS_OUTLINE_LEVEL, 254); }, [&] { return p.outlineLevel == 254; }},
        {"shadow slider", [&] { Slide(d, IDC_OS_SHADOW_LEVEL, 0); }, [&] { return p.shadowLevel == 0; }},
    };
    for (const Box& box : kBoxes) {
      const bool was = p.*box.flag != 0;
      actions.push_back({"box", [&d, id = box.id] { Click(d, id); },
                         [&p = p, flag = box.flag, was] { return (p.*flag != 0) != was; }});
    }
    for (const Action& a : actions) {
      MarkRandomColoursStale(p);
      ValidateRect(appState.mainWindow, nullptr);
      const int renders = PreviewRenderCount();
      a.act();
      EXPECT_TRUE(a.holds()) << a.name;
      ExpectControlsShow(d, p);
      EXPECT_TRUE(RandomColoursDrawn(p)) << a.name;
      EXPECT_TRUE(MainWindowWaitsForRepaint()) << a.name;
      UpdateWindow(appState.mainWindow);  // it paints while the dialog is open
      EXPECT_EQ(PreviewRenderCount(), renders + 1) << a.name;
    }
    // Messages that change nothing: the checked radio again, the slider
    // where it is, a click beside the swatches.
    MarkRandomColoursStale(p);
    ValidateRect(appState.mainWindow, nullptr);
    Click(d, IDC_OS_SHADOW_RANDOM_VIVID);
    Slide(d, IDC_OS_SHADOW_LEVEL, 0);
    SendMessageW(d, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    EXPECT_TRUE(RandomColoursStale(p));
    EXPECT_FALSE(MainWindowWaitsForRepaint());
    last = p;
    Press(d, IDOK);
  }});
  EXPECT_FALSE(p.Differs(last));  // OK keeps every change
}

// The custom colours go back to white, black and black too; the random
// colours are drawn anew, as after any change.
TEST_F(OutlineShadowDialogTest, ResetChoosesTheInitialParameters) {
  ASSERT_NE(Open(), nullptr);
  p = Unusual();
  OpenWith(IDM_EFFECT_OUTLINE_SHADOW, {[&](HWND d) {
    Press(d, IDC_OS_RESET);
    Params expected;  // "オリジナル", "黒", "黒", levels 4 and 50, smoothing and before-blur checked
    ExpectControlsShow(d, expected);
    EXPECT_EQ(ColourShownAt(d, IDC_OS_BACKGROUND_SWATCH), 0xFFFFFFu);
    EXPECT_EQ(ControlText(d, IDC_OS_OUTLINE_LEVEL_TEXT), L"4");
    EXPECT_EQ(ControlText(d, IDC_OS_SHADOW_LEVEL_TEXT), L"50");
    EXPECT_TRUE(RandomColoursDrawn(p));
    expected.backgroundRandomRgb = p.backgroundRandomRgb;
    expected.outlineRandomRgb = p.outlineRandomRgb;
    expected.shadowRandomRgb = p.shadowRandomRgb;
    EXPECT_FALSE(p.Differs(expected));
    Press(d, IDOK);
  }});
}

// Cancel puts back all 19 parameters, the random colours drawn meanwhile
// included, and redraws the preview; the special effect stays on.
TEST_F(OutlineShadowDialogTest, CancelPutsBackEveryParameterButNotTheSpecialEffect) {
  ASSERT_NE(Open(), nullptr);
  p = Unusual();
  const Params opening = p;
  bool redrawnByCancel = false;
  OpenWith(IDM_EFFECT_OUTLINE_SHADOW, {[&](HWND d) {
    Slide(d, IDC_OS_SHADOW_LEVEL, 12);
    Click(d, IDC_OS_BACKGROUND_BLACK);
    Click(d, IDC_OS_SHADOW_TAKES_OUTLINE_COLOR);
    Press(d, IDC_OS_RESET);
    EXPECT_TRUE(p.Differs(opening));
    ValidateRect(appState.mainWindow, nullptr);
    Press(d, IDCANCEL);
    redrawnByCancel = MainWindowWaitsForRepaint();
  }});
  EXPECT_FALSE(p.Differs(opening));
  EXPECT_TRUE(redrawnByCancel);
  EXPECT_EQ(s.specialEffect, kEffectOutlineShadow);
}

// A click on a swatch opens the picker on the group's colour with the
// outline list; afterwards "カスタム" is chosen, even when it was cancelled.
TEST_F(OutlineShadowDialogTest, SwatchClicksPickTheColourAndChooseCustom) {
  ASSERT_NE(Open(), nullptr);
  p.background = p.outline = p.shadow = kFillOriginal;
  struct Case {
    int swatch, group;
    ColorRef Params::*rgb;
    bool pick;
    ColorRef answer, expected;
  };
  const Case cases[] = {
      {IDC_OS_OUTLINE_SWATCH, 1, &Params::outlineRgb, false, 0, 0x000000},
      {IDC_OS_OUTLINE_SWATCH, 1, &Params::outlineRgb, true, 0x00305070, 0x00305070},
      {IDC_OS_BACKGROUND_SWATCH, 0, &Params::backgroundRgb, true, 0x00A0B0C0, 0x00A0B0C0},
      {IDC_OS_SHADOW_SWATCH, 2, &Params::shadowRgb, false, 0, 0x000000},
      {IDC_OS_SHADOW_SWATCH, 2, &Params::shadowRgb, true, 0x00010101, 0x00010101},
  };
  COLORREF startedFrom[std::size(cases)] = {};
  std::vector<Step> steps = {[&](HWND d) {
    for (std::size_t i = 0; i < std::size(cases); ++i) {
      const Case& c = cases[i];
      p.*kChoices[c.group] = kFillOriginal;
      MarkRandomColoursStale(p);
      const ColorRef before = p.*c.rgb;
      ClickAt(d, c.swatch);
      EXPECT_EQ(startedFrom[i], before) << i;
      EXPECT_EQ(outlineCustomColors[0], before) << i;  // the outline list, slot 0 the colour edited
      EXPECT_EQ(p.*c.rgb, c.expected) << i;
      EXPECT_EQ(p.*kChoices[c.group], kFillCustom) << i;
      EXPECT_TRUE(IsChecked(d, kRadios[c.group][kFillCustom])) << i;
      EXPECT_TRUE(RandomColoursDrawn(p)) << i;
      EXPECT_EQ(ColourShownAt(d, c.swatch), c.expected) << i;
    }
    Press(d, IDOK);
  }};
  for (std::size_t i = 0; i < std::size(cases); ++i)
    steps.push_back(cases[i].pick ? PickColour(cases[i].answer, false, &startedFrom[i])
                                  : CancelColour(&startedFrom[i]));
  OpenWith(IDM_EFFECT_OUTLINE_SHADOW, steps);
}

// Opened from the Output Options dialog by "輪郭と影": what either dialog
// keeps, the other's Cancel may still undo.
TEST_F(OutlineShadowDialogTest, NestedInTheOptionsWhoseCancelUndoesItsOk) {
  ASSERT_NE(Open(), nullptr);
  struct Case {
    int nestedButton, optionsButton;
    bool kept;
    std::int32_t effect;
  };
  const Case cases[] = {
      {IDOK, IDCANCEL, false, kEffectNone},
      {IDCANCEL, IDOK, false, kEffectOutlineShadow},
      {IDOK, IDOK, true, kEffectOutlineShadow},
  };
  for (const Case& c : cases) {
    s.specialEffect = kEffectNone;
    p = Unusual();
    const Params opening = p;
    HWND options = nullptr;
    OpenWith(IDM_OPTIONS_DIALOG, {[&](HWND d) {
                                    options = d;
                                    Choose(d, IDC_OPT_SPECIAL_EFFECT, kEffectOutlineShadow);
                                    Press(d, c.optionsButton);
                                  },
                                  [&](HWND nested) {
                                    EXPECT_EQ(GetWindow(nested, GW_OWNER), options);
                                    ExpectControlsShow(nested, opening);
                                    Slide(nested, IDC_OS_OUTLINE_LEVEL, 9);
                                    Click(nested, IDC_OS_OUTLINE_WHITE);
                                    Press(nested, c.nestedButton);
                                  }});
    EXPECT_EQ(p.Differs(opening), c.kept) << c.nestedButton << " " << c.optionsButton;
    if (c.kept) {
      EXPECT_EQ(p.outlineLevel, 9);
      EXPECT_EQ(p.outline, kFillWhite);
    }
    EXPECT_EQ(s.specialEffect, c.effect);
    EXPECT_EQ(Checked(IDM_EFFECT_OUTLINE_SHADOW), c.effect == kEffectOutlineShadow);
  }
}

}  // namespace
}  // namespace korvane::testing
