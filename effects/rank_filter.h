// The rank filter that smooths the outline-and-shadow effect's grey planes:
// over each 3 x 3 neighbourhood (cut to the plane), a walk over the
// histogram from both ends picks the sample where one of two counts first
// reaches five.
#pragma once

#include <cstdint>

namespace korvane {

// Smooths a grey plane (`src` into `dst`, both
// width x height). Positions whose window holds fewer than five samples (the
// corners, and everything of a picture with one row or column) keep the
// source value.
void RankFilter(std::uint8_t* const* src, std::uint8_t* const* dst, std::uint32_t width,
                std::uint32_t height);

// The choice for one window of `count` samples (any order):
// false when the walk finds none.
bool RankSelect(const std::uint8_t* samples, int count, std::uint8_t* result);

}  // namespace korvane
