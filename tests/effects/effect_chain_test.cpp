#include "effects/effect_chain.h"

#include <gtest/gtest.h>

#include <climits>

#include "effects/blur.h"
#include "effects/color_mode.h"
#include "effects/contrast.h"
#include "effects/outline_shadow.h"
#include "effects/vignette.h"
#include "tests/effects/picture.h"

namespace korvane {
namespace {

using testing::Picture;

TEST(EffectChain, RunsTheEffectsInTheirOrder) {
  OutputSettings s;
  s.colorMode = kColorSepia2;
  s.contrast = kContrastLevel3;
  s.blur = kBlurMedium;
  s.specialEffect = kEffectOutlineShadow;
  s.outlineShadow.background = kFillCustom;
  s.outlineShadow.backgroundRgb = 0x80FF40;
  s.outlineShadow.outlineBeforeBlur = 0;
  s.vignetteOn = 1;
  s.vignetteShape = kShapeInnerEllipse;
  for (int ch : {1, 3}) {
    Picture p(41, 23, ch);
    p.FillPhotoLike(9);
    Picture want = p;
    const auto w = std::uint32_t(p.width), h = std::uint32_t(p.height);
    const bool single = ch == 1;
    if (!single) ApplyColorMode(want.Rows(), w, h, s.colorMode, s.monoColor);
    ApplyContrast(want.Rows(), w, h, single, s.contrast);
    OutlineShadowWorkspace ws;
    PrepareOutlineShadow(want.Rows(), w, h, single, true, s.outlineShadow, ws);
    ApplyBlur(want.Rows(), w, h, single, s.blur);
    ApplyOutlineShadow(want.Rows(), w, h, single, true, s.outlineShadow, ws);
    ApplyVignette(want.Rows(), w, h, single, s.vignetteRgb, s.vignetteShape, s.vignetteThickness);

    OutputSettings copy = s;
    OutlineShadowWorkspace chainSpace;
    ApplyEffectChain(p.Rows(), p.width, p.height, single, copy, chainSpace);
    EXPECT_TRUE(p == want) << ch;
  }
  // Initial options leave the picture as decoded; a grey picture ignores the
  // colour mode.
  Picture q(17, 9, 1);
  q.FillPhotoLike(2);
  const Picture before = q;
  OutputSettings neutral;
  neutral.colorMode = kColorNegative;
  OutlineShadowWorkspace ws;
  ApplyEffectChain(q.Rows(), q.width, q.height, true, neutral, ws);
  EXPECT_TRUE(q == before);
}

// Values no valid settings hold: nothing may be read or written outside the
// picture (the sanitizers watch), and nothing may crash.
TEST(EffectChain, OutOfRangeOptionsStayInsideThePicture) {
  const int odd[] = {INT_MIN, -1, 6, 17, 99, INT_MAX};
  for (int v : odd)
    for (int ch : {1, 3}) {
      OutputSettings s;
      s.colorMode = v;
      s.contrast = v;
      s.blur = v;
      s.vignetteOn = 1;
      s.vignetteShape = v == 6 ? kShapeOuterEllipse : v;
      s.vignetteThickness = v;
      s.specialEffect = kEffectOutlineShadow;
      s.outlineShadow.background = v;
      s.outlineShadow.outline = v;
      s.outlineShadow.shadow = v;
      s.outlineShadow.outlineLevel = v;
      s.outlineShadow.shadowLevel = v;
      s.outlineShadow.outlineGrouping = 0xFF;
      s.outlineShadow.shadowSmoothing = 0x80;
      Picture p(19, 13, ch);
      p.FillPhotoLike(3);
      OutlineShadowWorkspace ws;
      ApplyEffectChain(p.Rows(), p.width, p.height, ch == 1, s, ws);
      EXPECT_EQ(p.data.size(), 13u);
    }
}

}  // namespace
}  // namespace korvane
