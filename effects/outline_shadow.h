// The outline-and-shadow poster effect: a background (the photograph or a
// flat colour), a shadow layer over the dark areas and an outline layer over
// pixels darker than their neighbourhood. It runs in two stages around the
// blur, sharing an OutlineShadowWorkspace.
#pragma once

#include <cstdint>

#include "effects/outline_shadow_workspace.h"
#include "effects/rank_filter.h"
#include "settings/output_settings.h"

namespace korvane {

// The colour of hue `hue` (0..255 around the circle) at saturation
// `saturation` and full value, as 0x00BBGGRR.
ColorRef HueColor(std::uint32_t hue, std::uint32_t saturation);

// Draws fresh random colours for the background, outline and shadow (vivid
// for fill choice 4, pale otherwise), the last two 32 to 223 hue steps away
// from the background's.
void PickRandomColors(OutlineShadowSettings& settings);

// First stage, before the blur: makes the grey planes of the layers that are
// taken from the unblurred picture. The picture is not changed.
void PrepareOutlineShadow(std::uint8_t* const* rows, std::uint32_t width, std::uint32_t height,
                          bool singleChannel, bool blurOn, const OutlineShadowSettings& settings,
                          OutlineShadowWorkspace& workspace);

// Second stage, after the blur: makes the remaining grey planes and both
// masks, then paints background, shadow and outline in their order.
void ApplyOutlineShadow(std::uint8_t* const* rows, std::uint32_t width, std::uint32_t height,
                        bool singleChannel, bool blurOn, const OutlineShadowSettings& settings,
                        OutlineShadowWorkspace& workspace);

}  // namespace korvane
