// The live preview's pass over the sample picture: the converter's effect
// chain, then the rotation, on one bottom-up buffer in the bitmap's byte
// layout (bottom row first; blue, green, red, or one grey byte).
#pragma once

#include <cstdint>

#include "effects/outline_shadow_workspace.h"
#include "settings/output_settings.h"

namespace korvane {

// True when an option that changes the preview picture differs between
// `current` and `lastRendered`. Scale, quality and the view mode never do;
// the outline-and-shadow settings count field by field, random colours too.
bool PreviewSettingsChanged(const OutputSettings& current, const OutputSettings& lastRendered);

// Fills `target` with `source` (width x height, bottom row first) run
// through the effects and the rotation of `settings`, in the order the
// converter uses. The grayscale colour mode takes one grey byte a pixel,
// every other mode three bytes (B, G, R) with no filler at row ends. A
// quarter turn needs a square picture: on any other it is left out.
// `workspace` is the caller's, kept from one call to the next.
void FilterPreviewBits(int height, const std::uint8_t* source, std::uint8_t* target, int width,
                       OutputSettings settings, OutlineShadowWorkspace& workspace);

}  // namespace korvane
