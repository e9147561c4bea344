// The effects between decoding and encoding, run in place in their fixed
// order. The converter and the preview both call this one chain.
#pragma once

#include <cstdint>

#include "effects/outline_shadow_workspace.h"
#include "settings/output_settings.h"

namespace korvane {

// Runs the chain on `rows` (width x height, 1 or 3 bytes a pixel). `settings`
// is the caller's own copy: the chain may draw new random colours into it.
// `workspace` holds the outline-and-shadow planes between its two stages.
void ApplyEffectChain(std::uint8_t* const* rows, int width, int height, bool singleChannel,
                      OutputSettings& settings, OutlineShadowWorkspace& workspace);

}  // namespace korvane
