// The Output menu's option items in value order: item i of a group sets its
// field to i. Shared by the commands and the menu marks.
#pragma once

#include <windows.h>

#include <cstddef>

#include "resource_ids.h"

namespace korvane {

struct MenuGroup {
  const UINT* items;
  int count;
  int fallback;  // the value whose item is marked for a value outside the group
};

inline constexpr UINT kScaleItems[] = {IDM_SCALE_1, IDM_SCALE_2, IDM_SCALE_4, IDM_SCALE_8};
inline constexpr UINT kQualityItems[] = {IDM_QUALITY_100, IDM_QUALITY_90, IDM_QUALITY_80, IDM_QUALITY_70,
                                         IDM_QUALITY_60,  IDM_QUALITY_50, IDM_QUALITY_40, IDM_QUALITY_30,
                                         IDM_QUALITY_20,  IDM_QUALITY_10};
inline constexpr UINT kContrastItems[] = {IDM_CONTRAST_ORIGINAL, IDM_CONTRAST_AUTO,   IDM_CONTRAST_LEVEL1,
                                          IDM_CONTRAST_LEVEL2,   IDM_CONTRAST_LEVEL3, IDM_CONTRAST_LEVEL4,
                                          IDM_CONTRAST_LEVEL5,   IDM_CONTRAST_LEVEL6};
inline constexpr UINT kBlurItems[] = {IDM_BLUR_NONE,  IDM_BLUR_SOFT_FOCUS, IDM_BLUR_SUPER_SOFT_FOCUS,
                                      IDM_BLUR_LIGHT, IDM_BLUR_MEDIUM,     IDM_BLUR_STRONG};
inline constexpr UINT kColorItems[] = {
    IDM_COLOR_ORIGINAL, IDM_COLOR_VIVID1,        IDM_COLOR_VIVID2,      IDM_COLOR_VIVID3,
    IDM_COLOR_VIVID4,   IDM_COLOR_FADE1,         IDM_COLOR_FADE2,       IDM_COLOR_FADE3,
    IDM_COLOR_FADE4,    IDM_COLOR_NATURAL_SEPIA, IDM_COLOR_BLUE_SEPIA,  IDM_COLOR_SEPIA1,
    IDM_COLOR_SEPIA2,   IDM_COLOR_SEPIA3,        IDM_COLOR_MONO,        IDM_COLOR_NEGATIVE,
    IDM_COLOR_GRAYSCALE};
inline constexpr UINT kRotationItems[] = {IDM_ROTATE_NONE, IDM_ROTATE_CW,       IDM_ROTATE_CCW,
                                          IDM_ROTATE_180,  IDM_FLIP_HORIZONTAL, IDM_FLIP_VERTICAL};
inline constexpr UINT kEffectItems[] = {IDM_EFFECT_NONE, IDM_EFFECT_OUTLINE_SHADOW};
inline constexpr UINT kVignetteColorItems[] = {IDM_VIGNETTE_NONE, IDM_VIGNETTE_WHITE, IDM_VIGNETTE_BLACK,
                                               IDM_VIGNETTE_CUSTOM};
inline constexpr UINT kShapeItems[] = {IDM_SHAPE_FRAME, IDM_SHAPE_OUTER, IDM_SHAPE_INNER};
inline constexpr UINT kThicknessItems[] = {IDM_THICKNESS_THIN, IDM_THICKNESS_MEDIUM, IDM_THICKNESS_THICK};

template <std::size_t N>
constexpr MenuGroup Group(const UINT (&items)[N], int fallback) {
  return {items, static_cast<int>(N), fallback};
}

inline constexpr MenuGroup kScaleGroup = Group(kScaleItems, 1);
inline constexpr MenuGroup kQualityGroup = Group(kQualityItems, 0);
inline constexpr MenuGroup kContrastGroup = Group(kContrastItems, 0);
inline constexpr MenuGroup kBlurGroup = Group(kBlurItems, 0);
inline constexpr MenuGroup kColorGroup = Group(kColorItems, 0);
inline constexpr MenuGroup kRotationGroup = Group(kRotationItems, 0);
inline constexpr MenuGroup kEffectGroup = Group(kEffectItems, 0);
inline constexpr MenuGroup kShapeGroup = Group(kShapeItems, 0);
inline constexpr MenuGroup kThicknessGroup = Group(kThicknessItems, 1);

// The value of `id` within `group`, or -1 when it is not one of its items.
inline int ValueOf(const MenuGroup& group, UINT id) {
  for (int v = 0; v < group.count; ++v)
    if (group.items[v] == id) return v;
  return -1;
}

}  // namespace korvane
