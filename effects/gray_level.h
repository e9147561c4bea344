#pragma once

#include <cstdint>

namespace korvane {

// The grey byte of one pixel: the weights are the floats nearest 0.299, 0.587
// and 0.114, widened to double and added in that order, then truncated. The
// weights are multiples of 2^-27, so every product and sum here is exact in
// double: no compiler or FPU rounding can change the result.
inline std::uint8_t GrayLevel(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  return static_cast<std::uint8_t>(red * static_cast<double>(0.299f) +
                                   green * static_cast<double>(0.587f) +
                                   blue * static_cast<double>(0.114f));
}

}  // namespace korvane
