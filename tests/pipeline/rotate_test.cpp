#include "pipeline/rotate.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/output_settings.h"

namespace korvane {
namespace {

// A picture of letters, one letter per pixel: single-channel pixels are the
// letter, colour pixels are (letter, letter + 1, letter + 2) so a channel swap
// would show.
struct Picture {
  int width, height, channels;
  std::vector<std::vector<std::uint8_t>> rows;
  std::vector<std::uint8_t*> pointers;

  Picture(int w, int h, int c) : width(w), height(h), channels(c), rows(h, std::vector<std::uint8_t>(std::size_t(w) * c)) {
    for (auto& r : rows) pointers.push_back(r.data());
  }
  static Picture FromText(const std::vector<std::string>& lines, int channels) {
    Picture p(static_cast<int>(lines[0].size()), static_cast<int>(lines.size()), channels);
    for (int y = 0; y < p.height; ++y)
      for (int x = 0; x < p.width; ++x)
        for (int k = 0; k < channels; ++k) p.rows[y][x * channels + k] = static_cast<std::uint8_t>(lines[y][x] + k);
    return p;
  }
  std::vector<std::string> Text() const {
    std::vector<std::string> out;
    for (const auto& r : rows) {
      std::string line;
      for (int x = 0; x < width; ++x) {
        for (int k = 1; k < channels; ++k) EXPECT_EQ(r[x * channels + k], r[x * channels] + k);
        line += static_cast<char>(r[x * channels]);
      }
      out.push_back(line);
    }
    return out;
  }
};

Picture Rotated(const Picture& src, int mode) {
  const bool quarter = mode == kRotateClockwise || mode == kRotateCounterClockwise;
  Picture dst(quarter ? src.height : src.width, quarter ? src.width : src.height, src.channels);
  std::vector<const std::uint8_t*> in(src.pointers.begin(), src.pointers.end());
  RotateRows(mode, src.channels == 1, dst.pointers.data(), in.data(), src.width, src.height);
  return dst;
}

TEST(RotateRows, WorkedThreeByTwoExampleInEveryMode) {
  struct Case { int mode; std::vector<std::string> rows; };
  const Case cases[] = {
      {kRotateClockwise, {"da", "eb", "fc"}},
      {kRotateCounterClockwise, {"cf", "be", "ad"}},
      {kRotate180, {"fed", "cba"}},
      {kFlipHorizontal, {"cba", "fed"}},
      {kFlipVertical, {"def", "abc"}},
      {17, {"def", "abc"}},  // an unknown mode flips upside down
  };
  for (int channels : {1, 3}) {
    const Picture src = Picture::FromText({"abc", "def"}, channels);
    for (const Case& c : cases) EXPECT_EQ(Rotated(src, c.mode).Text(), c.rows) << c.mode << "/" << channels;
  }
}

TEST(RotateRows, DegenerateShapesAndInverses) {
  for (int channels : {1, 3}) {
    const Picture one = Picture::FromText({"a"}, channels);
    for (int mode = 1; mode <= 5; ++mode) EXPECT_EQ(Rotated(one, mode).Text(), std::vector<std::string>{"a"});

    // One pixel high, turned clockwise: one pixel wide, leftmost pixel on top.
    const Picture strip = Picture::FromText({"abcd"}, channels);
    EXPECT_EQ(Rotated(strip, kRotateClockwise).Text(), (std::vector<std::string>{"a", "b", "c", "d"}));

    // Larger than one tile, odd sizes, so the tiled turns meet their edges.
    std::vector<std::string> lines;
    for (int y = 0; y < 70; ++y) {
      std::string line;
      for (int x = 0; x < 131; ++x) line += static_cast<char>('!' + (x * 7 + y * 13) % 90);
      lines.push_back(line);
    }
    const Picture big = Picture::FromText(lines, channels);
    EXPECT_EQ(Rotated(Rotated(big, kRotateClockwise), kRotateCounterClockwise).Text(), lines);
    for (int mode : {kRotate180, kFlipHorizontal, kFlipVertical})
      EXPECT_EQ(Rotated(Rotated(big, mode), mode).Text(), lines) << mode;
    const Picture cw = Rotated(big, kRotateClockwise);
    EXPECT_EQ(Rotated(cw, kRotateClockwise).Text(), Rotated(big, kRotate180).Text());
  }
}

}  // namespace
}  // namespace korvane
