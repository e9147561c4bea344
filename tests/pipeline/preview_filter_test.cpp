// The preview's pass over a bottom-up B,G,R buffer gives the converter's
// picture: the effect chain and the rotation applied to top-down R,G,B rows.
#include "effects/preview_filter.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "effects/effect_chain.h"
#include "pipeline/rotate.h"

namespace korvane {
namespace {

// Top-down rows, each its own allocation, as the converter holds them.
struct Rows {
  int width, height, channels;
  std::vector<std::vector<std::uint8_t>> data;
  std::vector<std::uint8_t*> ptrs;
  Rows(int w, int h, int c) : width(w), height(h), channels(c), data(h, std::vector<std::uint8_t>(std::size_t(w) * c)) {
    Bind();
  }
  Rows(const Rows& o) : width(o.width), height(o.height), channels(o.channels), data(o.data) { Bind(); }
  Rows& operator=(const Rows&) = delete;
  void Bind() {
    for (auto& r : data) ptrs.push_back(r.data());
  }
};

// Smooth gradients with noise and hard edges, so that every effect has work.
Rows PhotoLike(int w, int h, int channels, std::uint32_t seed) {
  Rows p(w, h, channels);
  std::mt19937 rng(seed);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      for (int c = 0; c < channels; ++c) {
        int v = x * 255 / (w - 1) / (c + 1) + y * 180 / h;
        if ((x / 6 + y / 4) % 3 == 0) v = 255 - v;
        v += static_cast<int>(rng() % 11) - 5;
        p.data[y][x * channels + c] = static_cast<std::uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
      }
  return p;
}

// The bitmap's layout of `p`: bottom row first, colour pixels as B, G, R.
std::vector<std::uint8_t> BottomUp(const Rows& p) {
  std::vector<std::uint8_t> out;
  for (int y = p.height - 1; y >= 0; --y)
    for (int x = 0; x < p.width; ++x)
      for (int c = p.channels - 1; c >= 0; --c) out.push_back(p.data[y][x * p.channels + c]);
  return out;
}

// What the converter makes of `p`; a quarter turn of a non-square picture
// is left out, as the preview does.
Rows Converted(Rows p, OutputSettings s) {
  OutlineShadowWorkspace fresh;
  ApplyEffectChain(p.ptrs.data(), p.width, p.height, p.channels == 1, s, fresh);
  const bool quarter = s.rotation == kRotateClockwise || s.rotation == kRotateCounterClockwise;
  if (s.rotation == kRotateNone || (quarter && p.width != p.height)) return p;
  Rows turned(quarter ? p.height : p.width, quarter ? p.width : p.height, p.channels);
  RotateRows(s.rotation, p.channels == 1, turned.ptrs.data(), p.ptrs.data(), p.width, p.height);
  return turned;
}

std::vector<OutputSettings> OptionSets() {
  std::vector<OutputSettings> sets;
  OutputSettings s;
  sets.push_back(s);  // the initial options
  s.colorMode = kColorVivid2;  // colour with every stage of the chain
  s.contrast = kContrastAuto;
  s.blur = kBlurSoftFocus;
  s.specialEffect = kEffectOutlineShadow;
  s.outlineShadow.background = kFillWhite;
  s.outlineShadow.outline = kFillCustom;
  s.outlineShadow.outlineRgb = 0x2040C0;
  s.outlineShadow.outlineBeforeBlur = 0;
  s.vignetteOn = 1;
  s.vignetteRgb = 0x3060FF;
  s.vignetteShape = kShapeOuterEllipse;
  sets.push_back(s);
  s = OutputSettings{};  // grey, every stage in one channel
  s.colorMode = kColorGrayscale;
  s.contrast = kContrastLevel3;
  s.blur = kBlurStrong;
  s.specialEffect = kEffectOutlineShadow;
  s.outlineShadow.shadowGrouping = 1;
  s.vignetteOn = 1;
  s.vignetteRgb = 0x000000;
  s.vignetteThickness = kThicknessThick;
  sets.push_back(s);
  s = OutputSettings{};
  s.colorMode = kColorMono;
  s.monoColor = 0x1080F0;
  s.blur = kBlurSuperSoftFocus;
  s.vignetteOn = 1;
  s.vignetteShape = kShapeInnerEllipse;
  sets.push_back(s);
  s = OutputSettings{};
  s.colorMode = kColorNegative;
  s.contrast = kContrastLevel6;
  sets.push_back(s);
  return sets;
}

TEST(FilterPreviewBits, GivesTheConvertersPictureForEveryRotation) {
  OutlineShadowWorkspace previewWorkspace;  // one for every call, as the preview keeps it
  struct Size { int width, height; };
  for (const Size size : {Size{61, 61}, Size{9, 5}}) {
    for (OutputSettings s : OptionSets()) {
      const int channels = s.colorMode == kColorGrayscale ? 1 : 3;
      const Rows picture = PhotoLike(size.width, size.height, channels, 7);
      const std::vector<std::uint8_t> source = BottomUp(picture);
      for (int rotation = kRotateNone; rotation < kRotationModeCount; ++rotation) {
        s.rotation = rotation;
        const std::string what = std::to_string(size.width) + "x" + std::to_string(size.height) + " colour mode " +
                                 std::to_string(s.colorMode) + " rotation " + std::to_string(rotation);
        std::vector<std::uint8_t> target(source.size(), 0xA5);
        FilterPreviewBits(size.height, source.data(), target.data(), size.width, s, previewWorkspace);
        EXPECT_TRUE(source == BottomUp(picture)) << what << ": the source changed";
        EXPECT_TRUE(target == BottomUp(Converted(picture, s))) << what;
      }
    }
  }
}

TEST(PreviewSettingsChanged, SeesEveryOptionThatChangesThePicture) {
  struct Case {
    const char* field;
    std::function<void(OutputSettings&)> change;
    bool changed;
  };
  const Case cases[] = {
      {"scale", [](OutputSettings& s) { s.scale = 3; }, false},
      {"quality", [](OutputSettings& s) { s.quality = 9; }, false},
      {"compactView", [](OutputSettings& s) { s.compactView = 1; }, false},
      {"contrast", [](OutputSettings& s) { s.contrast = kContrastAuto; }, true},
      {"colorMode", [](OutputSettings& s) { s.colorMode = kColorSepia1; }, true},
      {"monoColor", [](OutputSettings& s) { s.monoColor = 0x00FF00; }, true},  // mono mode not chosen
      {"rotation", [](OutputSettings& s) { s.rotation = kFlipVertical; }, true},
      {"blur", [](OutputSettings& s) { s.blur = kBlurLight; }, true},
      {"vignetteOn", [](OutputSettings& s) { s.vignetteOn = 1; }, true},
      {"vignetteRgb", [](OutputSettings& s) { s.vignetteRgb = 0x123456; }, true},  // vignette off
      {"vignetteShape", [](OutputSettings& s) { s.vignetteShape = kShapeInnerEllipse; }, true},
      {"vignetteThickness", [](OutputSettings& s) { s.vignetteThickness = kThicknessThin; }, true},
      {"specialEffect", [](OutputSettings& s) { s.specialEffect = kEffectOutlineShadow; }, true},
      {"outlineLevel", [](OutputSettings& s) { s.outlineShadow.outlineLevel = 9; }, true},
      {"shadowTakesOutlineColor", [](OutputSettings& s) { s.outlineShadow.shadowTakesOutlineColor = 1; }, true},
      {"backgroundRandomRgb", [](OutputSettings& s) { s.outlineShadow.backgroundRandomRgb = 0x0A0B0C; }, true},
  };
  OutputSettings last;
  last.outlineShadow.backgroundRandomRgb = 0x010203;
  EXPECT_FALSE(PreviewSettingsChanged(last, last));
  for (const Case& c : cases) {
    OutputSettings current = last;
    c.change(current);
    EXPECT_EQ(PreviewSettingsChanged(current, last), c.changed) << c.field;
    EXPECT_EQ(PreviewSettingsChanged(last, current), c.changed) << c.field;
  }
}

}  // namespace
}  // namespace korvane
