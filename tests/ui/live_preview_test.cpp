// The window's picture after option commands and a paint, read back from the
// screen, equals the core's preview pass over the sample bitmap's own pixels.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "app/live_preview.h"
#include "effects/gray_level.h"
#include "effects/preview_filter.h"
#include "resource_ids.h"
#include "ui/ui_fixture.h"

namespace korvane::testing {
namespace {

constexpr int kSide = 220;
using Pixels = std::vector<std::uint8_t>;  // bottom row first, B, G, R, no filler

BITMAPINFO Format24(int side) {
  BITMAPINFO f{};
  f.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  f.bmiHeader.biWidth = side;
  f.bmiHeader.biHeight = side;
  f.bmiHeader.biPlanes = 1;
  f.bmiHeader.biBitCount = 24;
  f.bmiHeader.biCompression = BI_RGB;
  return f;
}

// Bitmap 145 as the resources hold it.
Pixels SamplePixels() {
  HBITMAP bitmap = static_cast<HBITMAP>(
      LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_SAMPLE), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  Pixels bits(kSide * kSide * 3);
  BITMAPINFO f = Format24(kSide);
  HDC screen = GetDC(nullptr);
  EXPECT_EQ(GetDIBits(screen, bitmap, 0, kSide, bits.data(), &f, DIB_RGB_COLORS), kSide);
  ReleaseDC(nullptr, screen);
  DeleteObject(bitmap);
  return bits;
}

// The picture the preview must show for `s`, by the core alone.
Pixels Expected(const OutputSettings& s) {
  static OutlineShadowWorkspace workspace;
  const Pixels sample = SamplePixels();
  Pixels out(sample.size());
  if (s.colorMode != kColorGrayscale) {
    FilterPreviewBits(kSide, sample.data(), out.data(), kSide, s, workspace);
    return out;
  }
  Pixels gray(kSide * kSide), grayOut(kSide * kSide);
  for (std::size_t i = 0; i < gray.size(); ++i) gray[i] = GrayLevel(sample[3 * i + 2], sample[3 * i + 1], sample[3 * i]);
  FilterPreviewBits(kSide, gray.data(), grayOut.data(), kSide, s, workspace);
  for (std::size_t i = 0; i < gray.size(); ++i) out[3 * i] = out[3 * i + 1] = out[3 * i + 2] = grayOut[i];
  return out;
}

// Each pixel of `p` (side x side) as a 2 x 2 block.
Pixels Doubled(const Pixels& p, int side) {
  Pixels out;
  for (int y = 0; y < 2 * side; ++y)
    for (int x = 0; x < 2 * side; ++x)
      for (int c = 0; c < 3; ++c) out.push_back(p[(static_cast<std::size_t>(y / 2) * side + x / 2) * 3 + c]);
  return out;
}

class LivePreviewTest : public MainWindowTest {
 protected:
  void TearDown() override {
    SetPreviewAllocationsFail(false);
    MainWindowTest::TearDown();
  }
  void Paint() { RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW); }
  // The top-left side x side pixels of the client area, as on the screen.
  Pixels Screen(int side) const {
    SetWindowPos(window_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    UpdateWindow(window_);
    HDC dc = GetDC(window_);
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, side, side);
    const HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, side, side, dc, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    Pixels bits(static_cast<std::size_t>(side) * side * 3);
    BITMAPINFO f = Format24(side);
    GetDIBits(memory, bitmap, 0, side, bits.data(), &f, DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(window_, dc);
    return bits;
  }
};

TEST_F(LivePreviewTest, OptionCommandsShowTheConvertersPicture) {
  ASSERT_NE(Open(), nullptr);
  Command(IDM_VIEW_COMPACT);
  const std::initializer_list<UINT> cases[] = {
      {},  // the initial options: the sample as it is
      {IDM_COLOR_VIVID2, IDM_CONTRAST_AUTO, IDM_BLUR_SOFT_FOCUS, IDM_VIGNETTE_BLACK, IDM_SHAPE_OUTER, IDM_ROTATE_CW},
      {IDM_COLOR_GRAYSCALE, IDM_CONTRAST_LEVEL3, IDM_BLUR_STRONG, IDM_EFFECT_OUTLINE_SHADOW, IDM_VIGNETTE_WHITE,
       IDM_THICKNESS_THICK, IDM_FLIP_HORIZONTAL},
      {IDM_COLOR_SEPIA2, IDM_EFFECT_OUTLINE_SHADOW, IDM_BLUR_MEDIUM, IDM_SHAPE_INNER, IDM_VIGNETTE_WHITE,
       IDM_ROTATE_180},
      {IDM_COLOR_NEGATIVE, IDM_CONTRAST_LEVEL6, IDM_ROTATE_CCW},
      {IDM_COLOR_FADE3, IDM_FLIP_VERTICAL},
  };
  int n = 0;
  for (const auto& commands : cases) {
    Command(IDM_RESET_OPTIONS);
    for (UINT id : commands) Command(id);
    Paint();
    EXPECT_TRUE(Screen(kSide) == Expected(appState.currentSettings)) << "case " << n;
    ++n;
  }
  SaveScreenshot("preview-fade3-flipped");
}

TEST_F(LivePreviewTest, ScaleQualityViewAndRepaintsNeverRenderAgain) {
  ASSERT_NE(Open(), nullptr);
  Command(IDM_VIEW_COMPACT);
  Command(IDM_COLOR_SEPIA1);
  Command(IDM_EFFECT_OUTLINE_SHADOW);
  Command(IDM_ROTATE_CW);
  Paint();
  const int renders = PreviewRenderCount();
  const Pixels picture = Screen(kSide);
  ASSERT_TRUE(picture == Expected(appState.currentSettings));
  for (UINT id : {IDM_SCALE_8, IDM_SCALE_1, IDM_QUALITY_10, IDM_QUALITY_60}) {
    Command(id);
    Paint();
    EXPECT_TRUE(Screen(kSide) == picture) << id;
  }
  EXPECT_EQ(PreviewRenderCount(), renders);
  Command(IDM_VIEW_LARGE);
  Paint();
  EXPECT_TRUE(Screen(2 * kSide) == Doubled(picture, kSide));
  Command(IDM_VIEW_COMPACT);
  Paint();
  EXPECT_TRUE(Screen(kSide) == picture);
  EXPECT_EQ(PreviewRenderCount(), renders);
  // An option that the picture may show (here only through the random
  // colours drawn anew) renders again, though its mode is not chosen.
  appState.currentSettings.monoColor ^= 0x0000FF;
  Paint();
  EXPECT_EQ(PreviewRenderCount(), renders + 1);
}

TEST_F(LivePreviewTest, ARenderingLeftOutForWantOfMemoryRunsAtTheNextPaint) {
  SetPreviewAllocationsFail(true);
  ASSERT_NE(Open(), nullptr);
  Command(IDM_VIEW_COMPACT);
  Command(IDM_COLOR_NEGATIVE);
  const int renders = PreviewRenderCount();
  Paint();
  EXPECT_EQ(PreviewRenderCount(), renders);
  EXPECT_TRUE(Screen(kSide) == SamplePixels());  // drawn unprocessed
  SetPreviewAllocationsFail(false);
  Paint();  // no option changed since
  EXPECT_EQ(PreviewRenderCount(), renders + 1);
  EXPECT_TRUE(Screen(kSide) == Expected(appState.currentSettings));
}

}  // namespace
}  // namespace korvane::testing
