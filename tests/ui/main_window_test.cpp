#include <windows.h>

#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "app/menu_marks.h"
#include "app/option_menu.h"
#include "history/history_file.h"
#include "resource_ids.h"
#include "ui/ui_fixture.h"

namespace korvane::testing {
namespace {

const std::wregex kClock(L"\\d{4}/\\d{2}/\\d{2} \\d{2}:\\d{2}:\\d{2}");

TEST_F(MainWindowTest, ClientAreaIsExactlySquareInBothViews) {
  ASSERT_NE(Open(), nullptr);
  EXPECT_EQ(ClientSize().cx, 440);  // a first start opens in the large view
  EXPECT_EQ(ClientSize().cy, 440);
  struct Step { WPARAM key; int side; };
  const Step steps[] = {{VK_LEFT, 220}, {VK_UP, 440}, {'C', 220}, {'L', 440}, {VK_SUBTRACT, 220},
                        {VK_ADD, 440},  {VK_DOWN, 220}, {VK_RIGHT, 440}, {VK_OEM_MINUS, 220}, {VK_OEM_PLUS, 440}};
  for (const Step& s : steps) {
    Key(s.key);
    EXPECT_EQ(ClientSize().cx, s.side) << s.key;
    EXPECT_EQ(ClientSize().cy, s.side) << s.key;
    EXPECT_EQ(appState.currentSettings.compactView != 0, s.side == 220);
    EXPECT_EQ(MenuState(IDM_VIEW_COMPACT) & MF_CHECKED, s.side == 220 ? MF_CHECKED : 0u);
    EXPECT_EQ(MenuState(IDM_VIEW_LARGE) & MF_CHECKED, s.side == 440 ? MF_CHECKED : 0u);
  }
}

TEST_F(MainWindowTest, TitleShowsTheClockAfterTheNameInTheLargeView) {
  ASSERT_NE(Open(), nullptr);
  std::wstring title = Title();
  ASSERT_GT(title.size(), appState.appTitle.size() + 1);
  EXPECT_EQ(title.substr(0, appState.appTitle.size() + 1), appState.appTitle + L" ");
  EXPECT_TRUE(std::regex_match(title.substr(appState.appTitle.size() + 1), kClock));
  Command(IDM_VIEW_COMPACT);
  EXPECT_TRUE(std::regex_match(Title(), kClock)) << Title().size();
}

TEST_F(MainWindowTest, ViewModeComesBackFromTheHistoryFile) {
  ASSERT_NE(Open(), nullptr);
  Key(VK_LEFT);
  Close();
  ReadViewMode(folder(), appState.currentSettings);
  ASSERT_TRUE(appState.currentSettings.compactView);
  ASSERT_NE(Open(), nullptr);
  EXPECT_EQ(ClientSize().cx, 220);
  EXPECT_EQ(ClientSize().cy, 220);
}

TEST_F(MainWindowTest, DraggingTheFrameNeverChangesTheSize) {
  ASSERT_NE(Open(), nullptr);
  RECT before{};
  GetWindowRect(window_, &before);
  RECT proposed = {before.left, before.top, before.right + 57, before.bottom + 31};
  SendMessageW(window_, WM_SIZING, WMSZ_BOTTOMRIGHT, reinterpret_cast<LPARAM>(&proposed));
  EXPECT_TRUE(EqualRect(&proposed, &before));
}

// Exactly the item of `value` is checked in `group`.
void ExpectMarked(HWND window, const MenuGroup& group, int value, const char* what) {
  HMENU menu = GetMenu(window);
  for (int v = 0; v < group.count; ++v)
    EXPECT_EQ(GetMenuState(menu, group.items[v], MF_BYCOMMAND) & MF_CHECKED, v == value ? MF_CHECKED : 0u)
        << what << " item " << v << " for value " << value;
}

void ExpectAllMarks(HWND window) {
  const OutputSettings& s = appState.currentSettings;
  ExpectMarked(window, kScaleGroup, s.scale, "scale");
  ExpectMarked(window, kQualityGroup, s.quality, "quality");
  ExpectMarked(window, kContrastGroup, s.contrast, "contrast");
  ExpectMarked(window, kBlurGroup, s.blur, "blur");
  ExpectMarked(window, kColorGroup, s.colorMode, "color");
  ExpectMarked(window, kRotationGroup, s.rotation, "rotation");
  ExpectMarked(window, kEffectGroup, s.specialEffect, "effect");
  ExpectMarked(window, Group(kVignetteColorItems, 0), VignetteChoice(s), "vignette colour");
  ExpectMarked(window, kShapeGroup, s.vignetteShape, "shape");
  ExpectMarked(window, kThicknessGroup, s.vignetteThickness, "thickness");
  HMENU menu = GetMenu(window);
  for (UINT id : kShapeItems)
    EXPECT_EQ(GetMenuState(menu, id, MF_BYCOMMAND) & MF_GRAYED, s.vignetteOn ? 0u : MF_GRAYED) << id;
  for (UINT id : kThicknessItems)
    EXPECT_EQ(GetMenuState(menu, id, MF_BYCOMMAND) & MF_GRAYED, s.vignetteOn ? 0u : MF_GRAYED) << id;
}

TEST_F(MainWindowTest, EveryOptionCommandSetsItsFieldAndTheMarksFollow) {
  ASSERT_NE(Open(), nullptr);
  ExpectAllMarks(window_);
  const MenuGroup groups[] = {kScaleGroup, kQualityGroup, kContrastGroup, kBlurGroup,
                              kColorGroup, kRotationGroup, kShapeGroup,   kThicknessGroup};
  for (const MenuGroup& g : groups)
    for (int v = g.count - 1; v >= 0; --v) {
      Command(g.items[v]);
      ExpectAllMarks(window_);
    }
  const OutputSettings& s = appState.currentSettings;
  EXPECT_EQ(s.scale, 0);
  EXPECT_EQ(s.quality, 0);
  EXPECT_EQ(s.colorMode, 0);
  EXPECT_EQ(s.vignetteShape, 0);

  // Vignette colours: none keeps the colour, white and black set it.
  struct Step { UINT id; bool on; ColorRef rgb; };
  const Step steps[] = {{IDM_VIGNETTE_BLACK, true, 0x000000}, {IDM_VIGNETTE_NONE, false, 0x000000},
                        {IDM_VIGNETTE_WHITE, true, 0xFFFFFF}, {IDM_VIGNETTE_CUSTOM, true, 0xFFFFFF}};
  for (const Step& st : steps) {
    Command(st.id);
    EXPECT_EQ(s.vignetteOn != 0, st.on) << st.id;
    EXPECT_EQ(s.vignetteRgb, st.rgb) << st.id;
    ExpectAllMarks(window_);  // a "custom" white shows as white
  }
  Command(IDM_EFFECT_OUTLINE_SHADOW);
  EXPECT_EQ(s.specialEffect, 1);
  ExpectAllMarks(window_);
  Command(IDM_COLOR_MONO);
  EXPECT_EQ(s.colorMode, kColorMono);
  ExpectAllMarks(window_);

  // Reset keeps the view; the keys reach the same commands.
  Key(VK_LEFT);
  Key('8');
  EXPECT_EQ(s.scale, 3);
  Key('R');
  EXPECT_EQ(s.scale, 1);
  EXPECT_EQ(s.colorMode, 0);
  EXPECT_FALSE(s.vignetteOn);
  EXPECT_TRUE(s.compactView);
  ExpectAllMarks(window_);
  EXPECT_EQ(MenuState(IDM_VIEW_COMPACT) & MF_CHECKED, static_cast<UINT>(MF_CHECKED));
  struct KeyCase { WPARAM key; int scale; };
  for (const KeyCase& k : {KeyCase{'1', 0}, KeyCase{VK_NUMPAD2, 1}, KeyCase{'4', 2}, KeyCase{VK_NUMPAD8, 3},
                           KeyCase{VK_NUMPAD1, 0}, KeyCase{'2', 1}, KeyCase{VK_NUMPAD4, 2}, KeyCase{'0', 1}}) {
    Key(k.key);
    EXPECT_EQ(s.scale, k.scale) << k.key;
  }
}

TEST_F(MainWindowTest, SaveOptionsKeyAddsAnEntryLikeTheMenu) {
  ASSERT_NE(Open(), nullptr);
  Command(IDM_SCALE_4);
  Key('A');
  const std::vector<std::uint8_t> bytes = ReadBytes(HistoryFilePath(folder()));
  EXPECT_NE(ReadUtf16File(HistoryFilePath(folder())).find(u"設定保存"), std::u16string::npos);
  Command(IDM_SAVE_OPTIONS);
  const std::vector<std::uint8_t> after = ReadBytes(HistoryFilePath(folder()));
  EXPECT_GT(after.size(), bytes.size());
}

TEST_F(MainWindowTest, EscAndXAndExitDestroyTheWindow) {
  for (UINT how : {0u, 1u, 2u}) {
    ASSERT_NE(Open(), nullptr);
    if (how == 0) Key(VK_ESCAPE);
    if (how == 1) Key('X');
    if (how == 2) Command(IDM_EXIT);
    EXPECT_FALSE(IsWindow(window_)) << how;
    Close();
  }
}

}  // namespace
}  // namespace korvane::testing

namespace korvane::testing {
namespace {

// The pixel at (x, y) of a bitmap, as 0x00BBGGRR.
COLORREF PixelOf(HBITMAP bitmap, int x, int y) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = 16;
  info.bmiHeader.biHeight = -16;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  unsigned char pixels[16 * 16 * 4] = {};
  HDC dc = GetDC(nullptr);
  GetDIBits(dc, bitmap, 0, 16, pixels, &info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, dc);
  const unsigned char* p = pixels + (y * 16 + x) * 4;  // B, G, R, 0
  return RGB(p[2], p[1], p[0]);
}

TEST_F(MainWindowTest, SwatchesShowTheColoursOnTheirItems) {
  ASSERT_NE(Open(), nullptr);
  appState.currentSettings.monoColor = 0x00336699;
  appState.currentSettings.vignetteRgb = 0x00CC8844;
  RefreshSwatches();
  struct Case { UINT item; COLORREF color; };
  for (const Case& c : {Case{IDM_COLOR_MONO, 0x00336699}, Case{IDM_VIGNETTE_CUSTOM, 0x00CC8844}}) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_CHECKMARKS;
    ASSERT_TRUE(GetMenuItemInfoW(GetMenu(window_), c.item, FALSE, &info));
    ASSERT_NE(info.hbmpChecked, nullptr);
    EXPECT_EQ(info.hbmpUnchecked, nullptr);
    EXPECT_EQ(PixelOf(info.hbmpChecked, 8, 8), c.color);        // the colour inside
    EXPECT_EQ(PixelOf(info.hbmpChecked, 0, 5), RGB(128, 128, 128));  // grey left edge
    EXPECT_EQ(PixelOf(info.hbmpChecked, 5, 0), RGB(128, 128, 128));  // grey top edge
  }
}

TEST_F(MainWindowTest, OpensAtTheMouseButNeverOffTheScreen) {
  const int screenW = GetSystemMetrics(SM_CXSCREEN), screenH = GetSystemMetrics(SM_CYSCREEN);
  struct Case { int x, y; };
  for (const Case& c : {Case{screenW - 1, screenH - 1}, Case{0, 0}, Case{100, 80}}) {
    // Under Wine the pointer can take a moment to follow (or miss the first
    // request while another client holds it): ask until it is there.
    POINT at{};
    for (int tries = 0; tries < 100 && !(at.x == c.x && at.y == c.y); ++tries) {
      SetCursorPos(c.x, c.y);
      Sleep(10);
      GetCursorPos(&at);
    }
    ASSERT_TRUE(at.x == c.x && at.y == c.y) << "the pointer stays at " << at.x << "," << at.y;
    ASSERT_NE(Open(), nullptr);
    RECT r{};
    GetWindowRect(window_, &r);
    EXPECT_GE(r.left, 0);
    EXPECT_GE(r.top, 0);
    EXPECT_LE(r.right, screenW);
    EXPECT_LE(r.bottom, screenH);
    if (c.x == 100) {
      EXPECT_EQ(r.left, 100);
      EXPECT_EQ(r.top, 80);
    }
    if (c.x == screenW - 1) {  // flush against the right and bottom edges
      EXPECT_GE(r.right, screenW - 8);
      EXPECT_GE(r.bottom, screenH - 40);
    }
    Close();
  }
}

}  // namespace
}  // namespace korvane::testing
