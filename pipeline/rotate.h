// Turns and flips, copied from one ImageRows into another of the target size.
#pragma once

#include <cstdint>

namespace korvane {

// Fills `target` from `source` (width x height) for RotationMode 1 to 5; any
// other value is taken as 5 (upside-down flip). A quarter turn's target is
// height x width. Source and target must not share storage.
void RotateRows(int mode, bool singleChannel, std::uint8_t* const* target,
                const std::uint8_t* const* source, int width, int height);

}  // namespace korvane
