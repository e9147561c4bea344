// Vignette: a frame with rounded inner corners, or an ellipse whose outside
// is tinted, fading the picture's borders towards a colour through a mask.
#pragma once

#include <cstdint>
#include <memory>

#include "pipeline/image_rows.h"
#include "settings/output_settings.h"

namespace korvane {

// A mask of `height` rows of `width` bytes: 255 keeps the pixel, 0 takes the
// colour, values between blend. Built for one size, shape and thickness.
struct VignetteMask {
  ImageRows rows;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t shape = -1;
  std::int32_t thickness = -1;
  // Per row, the longest run of 255 ([keepBegin, keepEnd)), which the blend skips.
  std::unique_ptr<std::uint32_t[]> keepBegin;
  std::unique_ptr<std::uint32_t[]> keepEnd;

  bool Matches(std::int32_t w, std::int32_t h, std::int32_t s, std::int32_t t) const {
    return !rows.empty() && width == w && height == h && shape == s && thickness == t;
  }
  void Free();
};

// Rebuilds `mask` for the given size, shape (0..2) and thickness (values
// outside 0..2 act as thin). False, with `mask` empty, when the shape is
// unknown, the size is zero or memory runs out.
bool BuildVignetteMask(VignetteMask& mask, std::uint32_t width, std::uint32_t height,
                       std::int32_t shape, std::int32_t thickness);

// Blends the picture (1 or 3 bytes a pixel) with `color` (0x00BBGGRR)
// through the process-wide mask, rebuilt only when the size, shape or
// thickness differ from the last call's. Calls from different threads take
// turns. An unknown shape or a mask that cannot be built changes nothing.
void ApplyVignette(std::uint8_t* const* rows, std::uint32_t width, std::uint32_t height,
                   bool singleChannel, ColorRef color, std::int32_t shape, std::int32_t thickness);

// How many times the process-wide mask has been built (to check its reuse).
std::uint64_t VignetteMaskBuildCount();

}  // namespace korvane
