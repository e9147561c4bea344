// The effects' baseline loops (used on processors without the wide
// instruction set) give the same bytes as the wide ones.
#include <gtest/gtest.h>

#include "effects/blur.h"
#include "effects/color_mode.h"
#include "effects/contrast.h"
#include "effects/outline_shadow.h"
#include "effects/vignette.h"
#include "effects/wide_path.h"
#include "tests/effects/picture.h"

namespace korvane {
namespace {

using testing::Picture;

Picture RunAll(Picture p, int variant) {
  const auto w = std::uint32_t(p.width), h = std::uint32_t(p.height);
  const bool single = p.channels == 1;
  if (!single) ApplyColorMode(p.Rows(), w, h, 1 + variant % 15, 0x4080C0);
  ApplyContrast(p.Rows(), w, h, single, variant % 8);
  ApplyBlur(p.Rows(), w, h, single, variant % 6);
  OutlineShadowSettings s;
  s.background = variant % 3;
  s.outlineGrouping = variant % 2;
  s.shadowSmoothing = (variant / 2) % 2;
  s.shadowLevel = 120;
  OutlineShadowWorkspace ws;
  PrepareOutlineShadow(p.Rows(), w, h, single, false, s, ws);
  ApplyOutlineShadow(p.Rows(), w, h, single, false, s, ws);
  ApplyVignette(p.Rows(), w, h, single, 0x305070, variant % 3, variant % 3);
  return p;
}

TEST(WidePath, BaselineLoopsGiveTheSameBytes) {
  for (int variant = 0; variant < 30; ++variant)
    for (int ch : {1, 3}) {
      Picture p(37 + variant, 29 + 2 * variant, ch);
      p.FillPhotoLike(std::uint32_t(variant));
      WidePathAllowed() = true;
      const Picture wide = RunAll(p, variant);
      WidePathAllowed() = false;
      const Picture plain = RunAll(p, variant);
      WidePathAllowed() = true;
      ASSERT_TRUE(wide == plain) << "variant " << variant << " ch " << ch;
    }
}

}  // namespace
}  // namespace korvane
