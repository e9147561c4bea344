// The contrast stretch's last step: every byte of the picture through one
// 256-entry table, by whichever of a few equivalent forms is fastest here.
#pragma once

#include <cstddef>
#include <cstdint>

namespace korvane {

// The table maps v to clamp(trunc((v - low) / scale), 0, 255) (0 at or
// below `low`, 255 at or above the upper bound); `scale` lets the faster
// form rebuild it by arithmetic, used only after it has been checked to give
// all 256 entries exactly.
void MapContrastBytes(std::uint8_t* const* rows, std::uint32_t height, std::size_t rowBytes,
                      const std::uint8_t* map, double scale);

// The 16-bit fixed-point form of a table, when one exists:
// map[v] = clamp(max(floor(v x multiplier / 256) - offset, 0) >> shift, 0, 255).
struct FixedPointMap {
  bool exact = false;
  std::uint16_t multiplier = 0, offset = 0;
  int shift = 0;
};
FixedPointMap FixedPointMapOf(const std::uint8_t* map, double scale);

}  // namespace korvane
