#include "settings/output_settings.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

TEST(OutputSettings, FreshRecordHoldsTheInitialValues) {
  const OutputSettings s;
  EXPECT_EQ(s.scale, 1);  // 1/2, not 1/1
  EXPECT_EQ(ScaleDenominator(s.scale), 2);
  EXPECT_EQ(QualityValue(s.quality), 100);
  EXPECT_EQ(s.monoColor, 0xFF0000u);
  EXPECT_EQ(s.vignetteRgb, 0xFFFFFFu);
  EXPECT_EQ(s.vignetteThickness, kThicknessMedium);
  EXPECT_FALSE(s.vignetteOn);
  EXPECT_FALSE(s.compactView);
  EXPECT_EQ(s.outlineShadow.outline, kFillBlack);
  EXPECT_EQ(s.outlineShadow.outlineLevel, 4);
  EXPECT_EQ(s.outlineShadow.shadowLevel, 50);
  EXPECT_TRUE(s.outlineShadow.outlineSmoothing);
  EXPECT_TRUE(s.outlineShadow.shadowBeforeBlur);
  EXPECT_EQ(s.outlineShadow.backgroundRandomRgb, 0u);
}

TEST(OutputSettings, ResetKeepsColoursOutlineShadowAndView) {
  OutputSettings s;
  s.scale = 3;
  s.contrast = kContrastLevel4;
  s.colorMode = kColorMono;
  s.monoColor = 0x123456;
  s.rotation = kRotate180;
  s.blur = kBlurStrong;
  s.vignetteOn = 1;
  s.vignetteRgb = 0x00AA00;
  s.vignetteShape = kShapeInnerEllipse;
  s.vignetteThickness = kThicknessThick;
  s.quality = 9;
  s.specialEffect = kEffectOutlineShadow;
  s.outlineShadow.shadowLevel = 200;
  s.compactView = 1;
  s.Reset();
  EXPECT_EQ(s.scale, 1);
  EXPECT_EQ(s.contrast, 0);
  EXPECT_EQ(s.colorMode, 0);
  EXPECT_EQ(s.rotation, 0);
  EXPECT_EQ(s.blur, 0);
  EXPECT_FALSE(s.vignetteOn);
  EXPECT_EQ(s.vignetteShape, 0);
  EXPECT_EQ(s.vignetteThickness, 1);
  EXPECT_EQ(s.quality, 0);
  EXPECT_EQ(s.specialEffect, 0);
  EXPECT_EQ(s.monoColor, 0x123456u);
  EXPECT_EQ(s.vignetteRgb, 0x00AA00u);
  EXPECT_EQ(s.outlineShadow.shadowLevel, 200);
  EXPECT_TRUE(s.compactView);
}

TEST(OutputSettings, CopyOptionsTakesEverythingButTheView) {
  OutputSettings from;
  from.scale = 0;
  from.colorMode = kColorNegative;
  from.quality = 7;
  from.outlineShadow.outlineRandomRgb = 0x010203;
  from.compactView = 1;
  OutputSettings to;
  to.CopyOptions(from);
  EXPECT_EQ(to.scale, 0);
  EXPECT_EQ(to.colorMode, kColorNegative);
  EXPECT_EQ(to.quality, 7);
  EXPECT_EQ(to.outlineShadow.outlineRandomRgb, 0x010203u);
  EXPECT_FALSE(to.compactView);
}

TEST(OutlineShadowSettings, ResetLeavesRandomColoursAndDiffersSeesThem) {
  OutlineShadowSettings s;
  s.background = kFillCustom;
  s.outlineLevel = 99;
  s.shadowGrouping = 1;
  s.outlineUnderShadow = 1;
  s.backgroundRandomRgb = 0x111111;
  s.outlineRandomRgb = 0x222222;
  s.shadowRandomRgb = 0x333333;
  s.Reset();
  OutlineShadowSettings expected;
  expected.backgroundRandomRgb = 0x111111;
  expected.outlineRandomRgb = 0x222222;
  expected.shadowRandomRgb = 0x333333;
  EXPECT_FALSE(s.Differs(expected));

  // Two records that differ only in one random colour count as different.
  OutlineShadowSettings other = expected;
  other.shadowRandomRgb = 0x333334;
  EXPECT_TRUE(expected.Differs(other));
  other = expected;
  other.shadowTakesOutlineColor = 1;
  EXPECT_TRUE(expected.Differs(other));
}

TEST(OutputSettings, VignetteChoiceFollowsFlagAndColour) {
  struct Case { bool on; ColorRef rgb; VignetteColor expected; };
  const Case cases[] = {
      {false, 0xFFFFFF, kVignetteNone}, {false, 0x123456, kVignetteNone},
      {true, 0xFFFFFF, kVignetteWhite}, {true, 0x000000, kVignetteBlack},
      {true, 0x123456, kVignetteCustom}, {true, 0xFFFFFE, kVignetteCustom},
  };
  for (const Case& c : cases) {
    OutputSettings s;
    s.vignetteOn = c.on;
    s.vignetteRgb = c.rgb;
    EXPECT_EQ(VignetteChoice(s), c.expected) << c.on << " " << std::hex << c.rgb;
  }
}

TEST(OptionLabels, StretchesHoldTheExactTexts) {
  struct Case { const char16_t* got; const char16_t* want; };
  const Case cases[] = {
      {ContrastLabel(0), u"オリジナル"},      {ContrastLabel(1), u"自動調整"},
      {ContrastLabel(2), u"レベル\uFF11"},     {ContrastLabel(7), u"レベル\uFF16"},
      {ColorModeLabel(0), u"オリジナル"},     {ColorModeLabel(1), u"あざやかx1"},
      {ColorModeLabel(8), u"色あせx4"},       {ColorModeLabel(9), u"ナチュラルセピア"},
      {ColorModeLabel(14), u"モノカラー"},    {ColorModeLabel(16), u"グレースケール"},
      {BlurLabel(0), u"なし"},                {BlurLabel(2), u"スーパーソフトフォーカス"},
      {BlurLabel(5), u"ぼけぼけ"},            {VignetteColorLabel(3), u"カスタム"},
      {VignetteShapeLabel(1), u"まる\uFF08外側\uFF09"}, {VignetteShapeLabel(2), u"まる（内側）"},
      {VignetteThicknessLabel(0), u"薄め"},   {VignetteThicknessLabel(2), u"厚め"},
      {RotationLabel(3), u"180\u00B0回転"},  {RotationLabel(5), u"上下反転"},
      {SpecialEffectLabel(1), u"輪郭と影"},
      // Outside a stretch: an empty text, never the neighbour's label.
      {ColorModeLabel(17), u""},              {RotationLabel(-1), u""},
  };
  for (const Case& c : cases) EXPECT_EQ(std::u16string(c.got), std::u16string(c.want));
  EXPECT_EQ(std::u16string(optionLabels[48]), u"輪郭と影");
  EXPECT_EQ(std::u16string(optionLabels[kColorModeLabelBase + 15]), u"ネガ");
}

TEST(ValueTables, ScaleAndQuality) {
  EXPECT_EQ(ScaleDenominator(0), 1);
  EXPECT_EQ(ScaleDenominator(3), 8);
  EXPECT_EQ(QualityValue(0), 100);
  EXPECT_EQ(QualityValue(9), 10);
  EXPECT_EQ(QualityValue(4), 60);
  // Stray indexes stay inside the tables.
  EXPECT_EQ(ScaleDenominator(-5), 1);
  EXPECT_EQ(ScaleDenominator(99), 8);
  EXPECT_EQ(QualityValue(10), 10);
}

}  // namespace
}  // namespace korvane
