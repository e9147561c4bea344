// A PNG writer for the suite's screenshots, small enough to need no library:
// 8-bit RGB, one deflate block with fixed codes whose only matches are the
// pixel to the left and the byte above, which is what flat window areas need.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace korvane::testing {

// `rgb` holds `height` rows of `width` pixels (red, green, blue), top row
// first, no filler. Returns false if the file cannot be written.
bool WritePng(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgb);

}  // namespace korvane::testing
