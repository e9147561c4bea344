// The four saturation boosts: each pixel through HSV in double precision,
// its saturation grown by a tenth to four tenths, and back.
#pragma once

#include <cstdint>

namespace korvane {

// `strength` 1..4 grows S by 0.1 x strength (clamped to 1); grey pixels stay.
void ApplySaturationBoost(std::uint8_t* const* rows, std::uint32_t width, std::uint32_t height, int strength);

}  // namespace korvane
