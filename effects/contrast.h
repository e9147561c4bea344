// Contrast stretch: automatic (darkest to black, brightest to white) or six
// fixed levels that also pull the bounds towards the picture's mean level.
#pragma once

#include <cstdint>

namespace korvane {

struct ContrastBounds {
  double low = 0;
  double high = 0;
  double range = 0;
};

// Stretch bounds from the picture's statistics for `mode` 1..7 (other
// values act like 7).
ContrastBounds ContrastRange(double darkest, double brightest, double mean, std::int32_t mode);

// Stretches every byte in place (1 or 3 bytes a pixel; a colour picture's
// bounds come from its luminance). Mode 0 returns at once.
void ApplyContrast(std::uint8_t* const* rows, std::uint32_t width, std::uint32_t height,
                   bool singleChannel, std::int32_t mode);

}  // namespace korvane
