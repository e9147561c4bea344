// Benchmark mode of the UI suite, not part of the test run (bench/preview_paint.sh
// runs it): the time of one whole DrawPreview in the large view when the paint
// has to render the most expensive effect chain, against one 60 Hz frame.
// Only the figures are printed; nothing is asserted about them.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/live_preview.h"
#include "resource_ids.h"
#include "ui/ui_fixture.h"

namespace korvane::testing {
namespace {

constexpr int kRuns = 60;

double Milliseconds(LONGLONG ticks) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(ticks) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

class PreviewPaintBench : public MainWindowTest {
 protected:
  // The time of each of kRuns DrawPreview calls; `change` runs before each.
  std::vector<double> Time(void (*change)(OutputSettings&)) {
    HDC dc = GetDC(window_);
    std::vector<double> ms;
    for (int i = 0; i < kRuns + 3; ++i) {  // the first three warm up
      change(appState.currentSettings);
      LARGE_INTEGER start, end;
      QueryPerformanceCounter(&start);
      DrawPreview(dc);
      GdiFlush();
      QueryPerformanceCounter(&end);
      if (i >= 3) ms.push_back(Milliseconds(end.QuadPart - start.QuadPart));
    }
    ReleaseDC(window_, dc);
    return ms;
  }
};

void Report(const char* what, const std::vector<double>& ms) {
  std::printf("%-44s median %6.2f ms  min %6.2f  max %6.2f  (%d paints; one 60 Hz frame: 16.67 ms)\n", what,
              Median(ms), *std::min_element(ms.begin(), ms.end()), *std::max_element(ms.begin(), ms.end()), kRuns);
}

TEST_F(PreviewPaintBench, DISABLED_PaintThatRendersTheHeaviestChain) {
  ASSERT_NE(Open(), nullptr);
  Command(IDM_VIEW_LARGE);
  OutputSettings& s = appState.currentSettings;
  s.blur = kBlurSuperSoftFocus;
  s.specialEffect = kEffectOutlineShadow;
  OutlineShadowSettings& p = s.outlineShadow;
  p.outlineSmoothing = p.outlineGrouping = p.shadowSmoothing = p.shadowGrouping = 1;
  p.outlineBeforeBlur = p.shadowBeforeBlur = 0;  // both planes after the blur as well
  s.vignetteOn = 1;
  s.vignetteRgb = 0x00204060;
  s.vignetteShape = kShapeOuterEllipse;
  s.vignetteThickness = kThicknessThick;
  Pump();

  const int renders = PreviewRenderCount();
  // The mono colour is compared but not shown in this mode: each paint
  // renders the same chain again.
  const std::vector<double> rendering = Time([](OutputSettings& o) { o.monoColor ^= 1; });
  EXPECT_EQ(PreviewRenderCount(), renders + kRuns + 3);  // every paint timed rendered
  Report("paint with a rendering (heaviest chain)", rendering);

  const std::vector<double> copying = Time([](OutputSettings&) {});
  Report("paint without a change (copy only)", copying);
}

}  // namespace
}  // namespace korvane::testing
