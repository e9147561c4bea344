#include "settings/output_settings.h"

namespace korvane {

const char16_t* const optionLabels[kOptionLabelCount] = {
    // ContrastMode (the digits are full-width)
    u"オリジナル", u"自動調整", u"レベル１", u"レベル２", u"レベル３", u"レベル４",
    u"レベル５", u"レベル６",
    // ColorMode
    u"オリジナル", u"あざやかx1", u"あざやかx2", u"あざやかx3", u"あざやかx4",
    u"色あせx1", u"色あせx2", u"色あせx3", u"色あせx4", u"ナチュラルセピア",
    u"ブルーセピア", u"セピアx1", u"セピアx2", u"セピアx3", u"モノカラー", u"ネガ",
    u"グレースケール",
    // BlurMode
    u"なし", u"ソフトフォーカス", u"スーパーソフトフォーカス", u"ちょいぼけ",
    u"ややぼけ", u"ぼけぼけ",
    // VignetteColor
    u"なし", u"白", u"黒", u"カスタム",
    // VignetteShape (full-width parentheses)
    u"フレーム", u"まる（外側）", u"まる（内側）",
    // VignetteThickness
    u"薄め", u"標準", u"厚め",
    // RotationMode (U+00B0 degree sign)
    u"なし", u"右回り", u"左回り", u"180°回転", u"左右反転", u"上下反転",
    // SpecialEffect
    u"なし", u"輪郭と影",
};

const int scaleDenominators[4] = {1, 2, 4, 8};
const int qualityValues[10] = {100, 90, 80, 70, 60, 50, 40, 30, 20, 10};

void OutlineShadowSettings::Reset() {
  OutlineShadowSettings fresh;
  fresh.backgroundRandomRgb = backgroundRandomRgb;
  fresh.outlineRandomRgb = outlineRandomRgb;
  fresh.shadowRandomRgb = shadowRandomRgb;
  *this = fresh;
}

bool OutlineShadowSettings::Differs(const OutlineShadowSettings& o) const {
  return background != o.background || backgroundRgb != o.backgroundRgb ||
         backgroundRandomRgb != o.backgroundRandomRgb || outline != o.outline ||
         outlineRgb != o.outlineRgb || outlineRandomRgb != o.outlineRandomRgb ||
         outlineLevel != o.outlineLevel || outlineGrouping != o.outlineGrouping ||
         outlineSmoothing != o.outlineSmoothing ||
         outlineBeforeBlur != o.outlineBeforeBlur || shadow != o.shadow ||
         shadowRgb != o.shadowRgb || shadowRandomRgb != o.shadowRandomRgb ||
         shadowLevel != o.shadowLevel || shadowGrouping != o.shadowGrouping ||
         shadowSmoothing != o.shadowSmoothing ||
         shadowBeforeBlur != o.shadowBeforeBlur ||
         outlineUnderShadow != o.outlineUnderShadow ||
         shadowTakesOutlineColor != o.shadowTakesOutlineColor;
}

void OutputSettings::Reset() {
  scale = 1;
  contrast = kContrastOriginal;
  colorMode = kColorOriginal;
  rotation = kRotateNone;
  blur = kBlurNone;
  vignetteOn = 0;
  vignetteShape = kShapeFrame;
  vignetteThickness = kThicknessMedium;
  quality = 0;
  specialEffect = kEffectNone;
}

void OutputSettings::CopyOptions(const OutputSettings& o) {
  const std::uint8_t keepView = compactView;
  *this = o;
  compactView = keepView;
}

VignetteColor VignetteChoice(const OutputSettings& s) {
  if (!s.vignetteOn) return kVignetteNone;
  if (s.vignetteRgb == 0xFFFFFF) return kVignetteWhite;
  if (s.vignetteRgb == 0x000000) return kVignetteBlack;
  return kVignetteCustom;
}

const char16_t* OptionLabel(int base, int count, int value) {
  if (value < 0 || value >= count) return u"";
  return optionLabels[base + value];
}

const char16_t* ContrastLabel(int v) { return OptionLabel(kContrastLabelBase, kContrastModeCount, v); }
const char16_t* ColorModeLabel(int v) { return OptionLabel(kColorModeLabelBase, kColorModeCount, v); }
const char16_t* BlurLabel(int v) { return OptionLabel(kBlurLabelBase, kBlurModeCount, v); }
const char16_t* VignetteColorLabel(int v) { return OptionLabel(kVignetteColorLabelBase, kVignetteColorCount, v); }
const char16_t* VignetteShapeLabel(int v) { return OptionLabel(kVignetteShapeLabelBase, kVignetteShapeCount, v); }
const char16_t* VignetteThicknessLabel(int v) { return OptionLabel(kVignetteThicknessLabelBase, kVignetteThicknessCount, v); }
const char16_t* RotationLabel(int v) { return OptionLabel(kRotationLabelBase, kRotationModeCount, v); }
const char16_t* SpecialEffectLabel(int v) { return OptionLabel(kSpecialEffectLabelBase, kSpecialEffectCount, v); }

int ScaleDenominator(int i) { return scaleDenominators[i < 0 ? 0 : i >= kScaleCount ? kScaleCount - 1 : i]; }
int QualityValue(int i) { return qualityValues[i < 0 ? 0 : i >= kQualityCount ? kQualityCount - 1 : i]; }

}  // namespace korvane
