// The record of every conversion option, its enumerations, labels and value
// tables. Colours are 0x00BBGGRR (red in the lowest byte), as the OS uses them.
#pragma once

#include <cstdint>

namespace korvane {

using ColorRef = std::uint32_t;

enum ColorMode : std::int32_t {
  kColorOriginal = 0,
  kColorVivid1, kColorVivid2, kColorVivid3, kColorVivid4,
  kColorFade1, kColorFade2, kColorFade3, kColorFade4,
  kColorNaturalSepia, kColorBlueSepia,
  kColorSepia1, kColorSepia2, kColorSepia3,
  kColorMono, kColorNegative, kColorGrayscale,
  kColorModeCount
};

enum ContrastMode : std::int32_t {
  kContrastOriginal = 0, kContrastAuto,
  kContrastLevel1, kContrastLevel2, kContrastLevel3,
  kContrastLevel4, kContrastLevel5, kContrastLevel6,
  kContrastModeCount
};

enum BlurMode : std::int32_t {
  kBlurNone = 0, kBlurSoftFocus, kBlurSuperSoftFocus,
  kBlurLight, kBlurMedium, kBlurStrong,
  kBlurModeCount
};

enum RotationMode : std::int32_t {
  kRotateNone = 0, kRotateClockwise, kRotateCounterClockwise,
  kRotate180, kFlipHorizontal, kFlipVertical,
  kRotationModeCount
};

enum VignetteColor : std::int32_t {
  kVignetteNone = 0, kVignetteWhite, kVignetteBlack, kVignetteCustom,
  kVignetteColorCount
};

enum VignetteShape : std::int32_t {
  kShapeFrame = 0, kShapeOuterEllipse, kShapeInnerEllipse,
  kVignetteShapeCount
};

enum VignetteThickness : std::int32_t {
  kThicknessThin = 0, kThicknessMedium, kThicknessThick,
  kVignetteThicknessCount
};

enum SpecialEffect : std::int32_t {
  kEffectNone = 0, kEffectOutlineShadow,
  kSpecialEffectCount
};

enum FillChoice : std::int32_t {
  kFillOriginal = 0,  // background: the picture's own pixels; outline/shadow: none
  kFillWhite, kFillBlack, kFillCustom, kFillRandomVivid, kFillRandomPale,
  kFillChoiceCount
};

struct OutlineShadowSettings {
  std::int32_t background = kFillOriginal;
  ColorRef backgroundRgb = 0xFFFFFF;
  ColorRef backgroundRandomRgb = 0;
  std::int32_t outline = kFillBlack;
  ColorRef outlineRgb = 0x000000;
  ColorRef outlineRandomRgb = 0;
  std::int32_t outlineLevel = 4;
  std::uint8_t outlineGrouping = 0;
  std::uint8_t outlineSmoothing = 1;
  std::uint8_t outlineBeforeBlur = 1;
  std::int32_t shadow = kFillBlack;
  ColorRef shadowRgb = 0x000000;
  ColorRef shadowRandomRgb = 0;
  std::int32_t shadowLevel = 50;
  std::uint8_t shadowGrouping = 0;
  std::uint8_t shadowSmoothing = 1;
  std::uint8_t shadowBeforeBlur = 1;
  std::uint8_t outlineUnderShadow = 0;
  std::uint8_t shadowTakesOutlineColor = 0;

  // Every field back to its initial value except the three random colours.
  void Reset();
  // True when any of the 19 fields differs, random colours included.
  bool Differs(const OutlineShadowSettings& other) const;
};

struct OutputSettings {
  std::int32_t scale = 1;  // index into scaleDenominators: 1/2
  std::int32_t contrast = kContrastOriginal;
  std::int32_t colorMode = kColorOriginal;
  ColorRef monoColor = 0xFF0000;  // pure blue
  std::int32_t rotation = kRotateNone;
  std::int32_t blur = kBlurNone;
  std::uint8_t vignetteOn = 0;
  ColorRef vignetteRgb = 0xFFFFFF;
  std::int32_t vignetteShape = kShapeFrame;
  std::int32_t vignetteThickness = kThicknessMedium;
  std::int32_t quality = 0;  // index into qualityValues: 100
  std::int32_t specialEffect = kEffectNone;
  OutlineShadowSettings outlineShadow;
  std::uint8_t compactView = 0;

  // Back to the initial options; keeps the chosen colours, the outline and
  // shadow parameters and the view mode.
  void Reset();
  // Takes fields scale..outlineShadow from `other`; never the view mode.
  void CopyOptions(const OutputSettings& other);
};

VignetteColor VignetteChoice(const OutputSettings& settings);

constexpr int kOptionLabelCount = 49;
extern const char16_t* const optionLabels[kOptionLabelCount];

// Where each enumeration's stretch of optionLabels begins.
constexpr int kContrastLabelBase = 0;
constexpr int kColorModeLabelBase = 8;
constexpr int kBlurLabelBase = 25;
constexpr int kVignetteColorLabelBase = 31;
constexpr int kVignetteShapeLabelBase = 35;
constexpr int kVignetteThicknessLabelBase = 38;
constexpr int kRotationLabelBase = 41;
constexpr int kSpecialEffectLabelBase = 47;

extern const int scaleDenominators[4];
extern const int qualityValues[10];
constexpr int kScaleCount = 4;
constexpr int kQualityCount = 10;

// The label of `value` in the stretch at `base` of `count` entries, or an
// empty text for a value outside it.
const char16_t* OptionLabel(int base, int count, int value);
const char16_t* ContrastLabel(int value);
const char16_t* ColorModeLabel(int value);
const char16_t* BlurLabel(int value);
const char16_t* VignetteColorLabel(int value);
const char16_t* VignetteShapeLabel(int value);
const char16_t* VignetteThicknessLabel(int value);
const char16_t* RotationLabel(int value);
const char16_t* SpecialEffectLabel(int value);

// Table look-ups clamped into range, so that a stray index never reads
// outside the tables.
int ScaleDenominator(int scaleIndex);
int QualityValue(int qualityIndex);

}  // namespace korvane
