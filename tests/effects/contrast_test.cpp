#include "effects/contrast.h"
#include "effects/contrast_map.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "effects/wide_path.h"
#include "settings/output_settings.h"
#include "tests/effects/picture.h"
#include "effects/ieee_double.h"

namespace korvane {
namespace {

using testing::Picture;

// The stretch written out plainly: luminance per pixel, rows and pixels from
// the last to the first, one division per byte.
void ReferenceContrast(Picture& p, int mode) {
  if (mode == 0) return;
  const int ch = p.channels;
  const auto level = [&](int x, int y) {
    if (ch == 1) return static_cast<double>(p.Get(x, y));
    return (p.Get(x, y, 1) * 0.587 + p.Get(x, y, 0) * 0.299) + p.Get(x, y, 2) * 0.114;
  };
  double darkest = 1e9, brightest = -1e9, acc = 0;
  for (int y = p.height - 1; y >= 0; --y) {
    double sum = 0;
    for (int x = p.width - 1; x >= 0; --x) {
      const double l = level(x, y);
      if (l < darkest) darkest = l;
      if (l > brightest) brightest = l;
      sum += l;
    }
    acc += sum / p.width;
  }
  const double mean = acc / p.height;
  const ContrastBounds b = ContrastRange(darkest, brightest, mean, mode);
  const double scale = b.range / 255;
  for (auto& row : p.data)
    for (auto& v : row) {
      if (v <= b.low) v = 0;
      else if (v >= b.high) v = 255;
      else v = static_cast<std::uint8_t>((v - b.low) / scale);
    }
}

TEST(ContrastRange, LevelsPullTheBoundsTowardsTheMean) {
  struct Case {
    int mode;
    double low, high;
  } cases[] = {{1, 50, 200}, {7, 106.25, 143.75}, {5, 87.5, 162.5}, {2, 59.375, 190.625}, {99, 106.25, 143.75}};
  for (const Case& c : cases) {
    const ContrastBounds b = ContrastRange(50, 200, 125, c.mode);
    EXPECT_DOUBLE_EQ(b.low, c.low) << c.mode;
    EXPECT_DOUBLE_EQ(b.high, c.high) << c.mode;
    EXPECT_DOUBLE_EQ(b.range, c.high - c.low) << c.mode;
  }
}

TEST(Contrast, WorkedGreyAndFlatPictures) {
  // Darkest 50, brightest 200, mean 125.
  const std::uint8_t in[5] = {50, 106, 125, 144, 200};
  struct Case {
    int mode;
    std::uint8_t out[5];
  } cases[] = {{kContrastAuto, {0, 95, 127, 159, 255}}, {kContrastLevel6, {0, 0, 127, 255, 255}}};
  for (const Case& c : cases) {
    Picture p(5, 1, 1);
    for (int x = 0; x < 5; ++x) p.At(x, 0)[0] = in[x];
    ApplyContrast(p.Rows(), 5, 1, true, c.mode);
    for (int x = 0; x < 5; ++x) EXPECT_EQ(p.Get(x, 0), c.out[x]) << "mode " << c.mode << " byte " << int(in[x]);
  }
  // Flat pictures: low == high, every byte goes to 0 or 255.
  Picture grey(5, 3, 1);
  grey.Fill(100);
  ApplyContrast(grey.Rows(), 5, 3, true, kContrastLevel3);
  for (auto& r : grey.data)
    for (auto v : r) EXPECT_EQ(v, 0);
  Picture colour(4, 4, 3);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) colour.At(x, y)[0] = 100, colour.At(x, y)[1] = 150, colour.At(x, y)[2] = 200;
  ApplyContrast(colour.Rows(), 4, 4, false, kContrastAuto);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) {
      EXPECT_EQ(colour.Get(x, y, 0), 0);
      EXPECT_EQ(colour.Get(x, y, 1), 255);
      EXPECT_EQ(colour.Get(x, y, 2), 255);
    }
}

TEST(Contrast, FullRangeIsUnchangedByAutoAndModeZeroDoesNothing) {
  Picture p(256, 2, 1);
  for (int x = 0; x < 256; ++x) p.At(x, 0)[0] = p.At(x, 1)[0] = static_cast<std::uint8_t>(x);
  const Picture before = p;
  ApplyContrast(p.Rows(), 256, 2, true, kContrastAuto);
  EXPECT_TRUE(p == before);
  Picture q(9, 9, 3);
  q.FillRandom(1);
  const Picture q0 = q;
  ApplyContrast(q.Rows(), 9, 9, false, kContrastOriginal);
  EXPECT_TRUE(q == q0);
}

// Every mode, grey and colour, on the edge sizes and a few larger pictures
// (with row counts that are not multiples of four), against the reference.
TEST(Contrast, MatchesTheReferenceOnManySizes) {
  auto sizes = testing::EdgeSizes();
  sizes.push_back({101, 37});
  sizes.push_back({64, 64});
  std::uint32_t seed = 10;
  for (auto [w, h] : sizes)
    for (int ch : {1, 3})
      for (int mode = 0; mode <= 8; ++mode) {
        Picture p(w, h, ch);
        p.FillPhotoLike(++seed);
        Picture want = p;
        ReferenceContrast(want, mode);
        ApplyContrast(p.Rows(), static_cast<std::uint32_t>(w), static_cast<std::uint32_t>(h), ch == 1, mode);
        ASSERT_TRUE(p == want) << w << "x" << h << " ch " << ch << " mode " << mode;
      }
}

// The 16-bit fixed-point form of the byte table: whenever it is offered it
// gives all 256 entries, and it is offered for nearly every stretch wider
// than a few levels (the shuffles take the rest, and the narrow ones, whose
// tables have few steps).
TEST(ContrastMap, FixedPointFormIsExactWheneverOffered) {
  int offered = 0, tables = 0;
  for (double low = 0.3; low < 200; low += 2.9)
    for (double high = low + 0.37; high <= 255; high += 3.1) {
      const double scale = (high - low) / 255;
      std::uint8_t map[256];
      for (int v = 0; v < 256; ++v)
        map[v] = v <= low ? 0 : (v >= high ? 255 : static_cast<std::uint8_t>(std::min((v - low) / scale, 255.0)));
      const FixedPointMap f = FixedPointMapOf(map, scale);
      if (high - low >= 8) tables += 1, offered += f.exact ? 1 : 0;
      if (!f.exact) continue;
      for (int v = 0; v < 256; ++v) {
        const int x = static_cast<int>((std::uint32_t(v) * 256 * f.multiplier) >> 16);
        const int r = std::min((x > f.offset ? x - f.offset : 0) >> f.shift, 255);
        ASSERT_EQ(r, map[v]) << "bounds " << low << ".." << high << " byte " << v;
      }
    }
  EXPECT_GT(offered, tables * 95 / 100) << offered << " of " << tables;
}

// Every byte through a stretch whose table has many steps, on rows whose
// lengths cross the vector widths: the same bytes as the plain table.
TEST(ContrastMap, EveryFormGivesTheTable) {
  for (double low : {0.0, 17.25, 80.5})
    for (double high : {low + 3.5, low + 100.1, 255.0})
      for (bool wide : {true, false}) {
        const double scale = (high - low) / 255;
        std::uint8_t map[256];
        for (int v = 0; v < 256; ++v)
          map[v] = v <= low ? 0 : (v >= high ? 255 : static_cast<std::uint8_t>(std::min((v - low) / scale, 255.0)));
        Picture p(256 + 47, 3, 1);
        for (int y = 0; y < 3; ++y)
          for (int x = 0; x < p.width; ++x) p.At(x, y)[0] = static_cast<std::uint8_t>(x * 7 + y);
        Picture want = p;
        for (auto& row : want.data)
          for (auto& v : row) v = map[v];
        WidePathAllowed() = wide;
        MapContrastBytes(p.Rows(), 3, static_cast<std::size_t>(p.width), map, scale);
        WidePathAllowed() = true;
        ASSERT_TRUE(p == want) << low << ".." << high << " wide " << wide;
      }
}

}  // namespace
}  // namespace korvane
