// Blur and soft focus: 3x3, 5x5 and 7x7 binomial blurs and the two soft
// focuses, which average a blur (7x7 binomial, or a 16x16 box) with the
// unblurred picture.
#pragma once

#include <cstdint>

namespace korvane {

// Blurs the picture in place by `mode` (a BlurMode; 0 and unknown values
// change nothing), each channel on its own. Near the edges only the window
// positions inside the picture count, weighted and normalised. A picture
// narrower or lower than the window, or one whose scratch rows cannot be
// had, stays as it is.
void ApplyBlur(std::uint8_t* const* rows, std::uint32_t width, std::uint32_t height,
               bool singleChannel, std::int32_t mode);

}  // namespace korvane
