// A test picture: every row its own allocation of exactly its pixels, so
// that the sanitizers catch any byte read or written past a row's end.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

namespace korvane::testing {

struct Picture {
  int width = 0;
  int height = 0;
  int channels = 3;
  std::vector<std::vector<std::uint8_t>> data;
  std::vector<std::uint8_t*> rows;

  Picture(int w, int h, int ch) : width(w), height(h), channels(ch), data(static_cast<std::size_t>(h)) {
    for (auto& r : data) r.assign(static_cast<std::size_t>(w * ch), 0);
    Bind();
  }
  Picture(const Picture& o) : width(o.width), height(o.height), channels(o.channels), data(o.data) { Bind(); }
  Picture& operator=(const Picture& o) {
    width = o.width, height = o.height, channels = o.channels, data = o.data;
    Bind();
    return *this;
  }
  bool operator==(const Picture& o) const { return data == o.data; }

  std::uint8_t* const* Rows() const { return rows.data(); }
  std::uint8_t* At(int x, int y) { return data[static_cast<std::size_t>(y)].data() + x * channels; }
  std::uint8_t Get(int x, int y, int c = 0) const {
    return data[static_cast<std::size_t>(y)][static_cast<std::size_t>(x * channels + c)];
  }
  void Fill(std::uint8_t v) {
    for (auto& r : data) r.assign(r.size(), v);
  }
  void FillRandom(std::uint32_t seed) {
    std::mt19937 rng(seed);
    for (auto& r : data)
      for (auto& b : r) b = static_cast<std::uint8_t>(rng() >> 24);
  }
  // A smooth picture with some noise and hard edges: closer to a photograph
  // than pure noise, so that flat areas and repeated colours occur.
  void FillPhotoLike(std::uint32_t seed) {
    std::mt19937 rng(seed);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        for (int c = 0; c < channels; ++c) {
          int v = (x * 255) / (width > 1 ? width - 1 : 1) / (c + 1) + (y * 97) / (height > 1 ? height : 1);
          if (((x / 7) + (y / 5)) % 3 == 0) v = 255 - v;
          v += static_cast<int>(rng() % 9) - 4;
          At(x, y)[c] = static_cast<std::uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v & 255));
        }
  }

 private:
  void Bind() {
    rows.clear();
    for (auto& r : data) rows.push_back(r.data());
  }
};

// Sizes around every window: single pixels, single rows and columns, and
// just below, at and above 3, 5, 7 and 16.
inline std::vector<std::pair<int, int>> EdgeSizes() {
  return {{1, 1},  {1, 9},  {9, 1},  {2, 2},   {2, 7},   {3, 3},   {4, 4},  {5, 5},
          {6, 6},  {7, 7},  {8, 8},  {15, 15}, {16, 16}, {17, 17}, {15, 40}, {40, 15},
          {16, 33}, {33, 16}, {6, 30}, {30, 6}, {23, 19}};
}

}  // namespace korvane::testing
