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

// The same value in 32-bit integers. With each weight W = 2^14 H + L
// (L < 2^14) and SH, SL the sums of the channels by H and by L,
// floor((2^14 SH + SL) / 2^27) = (SH + (SL >> 14)) >> 13: SH is whole, so the
// floor of the low part can be taken first. Both sums stay below 2^24.
inline std::int32_t GrayLevelInt(std::int32_t red, std::int32_t green, std::int32_t blue) {
  const std::int32_t high = 2449 * red + 4808 * green + 933 * blue;
  const std::int32_t low = 6684 * red + 11536 * green + 14549 * blue;
  return (high + (low >> 14)) >> 13;
}

}  // namespace korvane
