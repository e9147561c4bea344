#include "effects/color_mode.h"

#include <gtest/gtest.h>

#include <cmath>

#include "effects/gray_level.h"
#include "effects/wide_path.h"
#include "tests/effects/picture.h"
#include "effects/ieee_double.h"

namespace korvane {
namespace {

using testing::Picture;

struct Rgb {
  int r, g, b;
};

// The modes written out pixel by pixel, with no tables or caches.
Rgb Reference(Rgb in, int mode, ColorRef mono) {
  const int R = in.r, G = in.g, B = in.b;
  const auto clamp = [](long long v) { return static_cast<int>(v < 0 ? 0 : (v > 255 ? 255 : v)); };
  if (mode >= 1 && mode <= 4) {
    if (R == G && G == B) return in;
    const double us[5] = {0, 0.1, 0.2, 0.3, 0.4};
    const double u = us[mode];
    const double r = R / 255.0, g = G / 255.0, b = B / 255.0;
    const double mx = std::fmax(r, std::fmax(g, b)), mn = std::fmin(r, std::fmin(g, b)), d = mx - mn;
    double h = mx == r ? (g - b) / d : (mx == g ? (b - r) / d + 2 : (r - g) / d + 4);
    if (h < 0) h += 6;
    const double s = d / mx;
    double s2 = s * u + s;
    if (s2 > 1.0) s2 = 1.0;
    const double v = mx;
    const int i = static_cast<int>(std::floor(h));
    const double f = h - i;
    const double p = (1 - s2) * v, q = (1 - f * s2) * v, t = (1 - (1 - f) * s2) * v;
    const double table[6][3] = {{v, t, p}, {q, v, p}, {p, v, t}, {p, q, v}, {t, p, v}, {v, p, q}};
    return {static_cast<int>(table[i][0] * 255), static_cast<int>(table[i][1] * 255),
            static_cast<int>(table[i][2] * 255)};
  }
  const long long L = 627048LL * R + 1231028LL * G + 239075LL * B;
  const int Y = static_cast<int>(L >> 21);
  switch (mode) {
    case 5: return {(Y + 3 * R) >> 2, (Y + 3 * G) >> 2, (Y + 3 * B) >> 2};
    case 6: return {(Y + R) >> 1, (Y + G) >> 1, (Y + B) >> 1};
    case 7: return {(3 * Y + R) >> 2, (3 * Y + G) >> 2, (3 * Y + B) >> 2};
    case 8: return {Y, Y, Y};
    case 9:
      return {clamp((1648361LL * R + 3225419LL * G + 792723LL * B) >> 22),
              clamp((1463812LL * R + 2877292LL * G + 704643LL * B) >> 22),
              clamp((1140850LL * R + 2239758LL * G + 549453LL * B) >> 22)};
    case 10: case 11: case 12: case 13: {
      const long long off[4][3] = {{-24746394, 14784922, -11072963},
                                   {41964012, -5158994, -86570432},
                                   {83928024, -10317988, -173140864},
                                   {125892036, -15476982, -259711296}};
      const long long* o = off[mode - 10];
      const auto fl = [](long long v) { return v >= 0 ? v / (1 << 21) : -((-v + (1 << 21) - 1) / (1 << 21)); };
      return {clamp(fl(L + o[0])), clamp(fl(L + o[1])), clamp(fl(L + o[2]))};
    }
    case 14: {
      const int y = static_cast<int>(R * 0.29899999499320984 + G * 0.5870000123977661 + B * 0.11400000005960464);
      const int m[3] = {static_cast<int>(mono & 0xFF), static_cast<int>((mono >> 8) & 0xFF),
                        static_cast<int>((mono >> 16) & 0xFF)};
      return {(255 * y + m[0] * (255 - y)) >> 8, (255 * y + m[1] * (255 - y)) >> 8,
              (255 * y + m[2] * (255 - y)) >> 8};
    }
    case 15: return {255 - R, 255 - G, 255 - B};
    default: return in;
  }
}

Rgb ApplyOne(Rgb in, int mode, ColorRef mono = 0) {
  Picture p(1, 1, 3);
  p.At(0, 0)[0] = static_cast<std::uint8_t>(in.r);
  p.At(0, 0)[1] = static_cast<std::uint8_t>(in.g);
  p.At(0, 0)[2] = static_cast<std::uint8_t>(in.b);
  ApplyColorMode(p.Rows(), 1, 1, mode, mono);
  return {p.Get(0, 0, 0), p.Get(0, 0, 1), p.Get(0, 0, 2)};
}

TEST(ColorMode, WorkedValues) {
  struct Case {
    int mode;
    Rgb in, out;
    ColorRef mono;
  } cases[] = {
      {4, {200, 100, 100}, {200, 60, 60}, 0},
      {1, {255, 0, 0}, {255, 0, 0}, 0},
      {4, {255, 0, 0}, {255, 0, 0}, 0},
      {3, {77, 77, 77}, {77, 77, 77}, 0},
      {8, {255, 255, 255}, {254, 254, 254}, 0},
      {9, {255, 255, 255}, {255, 255, 238}, 0},
      {11, {255, 255, 255}, {255, 252, 213}, 0},
      {11, {0, 0, 0}, {20, 0, 0}, 0},
      {10, {0, 0, 0}, {0, 7, 0}, 0},
      {14, {0, 0, 0}, {254, 0, 0}, 0x0000FF},
      {14, {255, 255, 255}, {254, 254, 254}, 0x0000FF},
      {15, {0, 100, 255}, {255, 155, 0}, 0},
      {0, {1, 2, 3}, {1, 2, 3}, 0},
      {16, {1, 2, 3}, {1, 2, 3}, 0},
      {17, {1, 2, 3}, {1, 2, 3}, 0},
      {-1, {1, 2, 3}, {1, 2, 3}, 0},
  };
  for (const Case& c : cases) {
    const Rgb got = ApplyOne(c.in, c.mode, c.mono);
    EXPECT_EQ(got.r, c.out.r) << "mode " << c.mode;
    EXPECT_EQ(got.g, c.out.g) << "mode " << c.mode;
    EXPECT_EQ(got.b, c.out.b) << "mode " << c.mode;
  }
}

// A lattice of colours (every 5th level of each channel, 52^3 of them, with
// repeats for the boost's cache) against the pixel-by-pixel reference.
TEST(ColorMode, EveryModeMatchesTheReferenceOnALatticeOfColours) {
  const int n = 52;
  Picture src(n * n, n + 2, 3);
  for (int y = 0; y < n + 2; ++y)
    for (int x = 0; x < n * n; ++x) {
      std::uint8_t* p = src.At(x, y);
      const int yy = y % n;  // the last rows repeat the first ones
      p[0] = static_cast<std::uint8_t>((x % n) * 5);
      p[1] = static_cast<std::uint8_t>((x / n) * 5);
      p[2] = static_cast<std::uint8_t>(yy * 5);
    }
  for (int mode = -1; mode <= 17; ++mode) {
    Picture got = src;
    const ColorRef mono = 0x3366CC;
    ApplyColorMode(got.Rows(), static_cast<std::uint32_t>(got.width), static_cast<std::uint32_t>(got.height),
                   mode, mono);
    int bad = 0;
    for (int y = 0; y < src.height && bad < 5; ++y)
      for (int x = 0; x < src.width && bad < 5; ++x) {
        const Rgb in = {src.Get(x, y, 0), src.Get(x, y, 1), src.Get(x, y, 2)};
        const Rgb want = Reference(in, mode, mono);
        if (want.r != got.Get(x, y, 0) || want.g != got.Get(x, y, 1) || want.b != got.Get(x, y, 2)) {
          ++bad;
          ADD_FAILURE() << "mode " << mode << " at (" << in.r << "," << in.g << "," << in.b << ")";
        }
      }
  }
}

// Rows are worked on in chunks of pixels, sixteen at a time on the wide
// path: widths around those steps, random colours, both paths.
TEST(ColorMode, EveryModeMatchesTheReferenceAcrossChunkEdges) {
  const ColorRef mono = 0x20A0F0;
  for (int w : {1, 15, 16, 17, 31, 127, 128, 129, 143, 300})
    for (bool wide : {true, false})
      for (int mode = 1; mode <= 15; ++mode) {
        Picture p(w, 3, 3);
        p.FillRandom(static_cast<std::uint32_t>(w * 31 + mode));
        Picture got = p;
        WidePathAllowed() = wide;
        ApplyColorMode(got.Rows(), static_cast<std::uint32_t>(w), 3, mode, mono);
        WidePathAllowed() = true;
        for (int y = 0; y < 3; ++y)
          for (int x = 0; x < w; ++x) {
            const Rgb want = Reference({p.Get(x, y, 0), p.Get(x, y, 1), p.Get(x, y, 2)}, mode, mono);
            ASSERT_TRUE(want.r == got.Get(x, y, 0) && want.g == got.Get(x, y, 1) && want.b == got.Get(x, y, 2))
                << "width " << w << " mode " << mode << " wide " << wide << " x " << x;
          }
      }
}

// The wide path computes the integer modes by digits in 16-bit lanes: every
// red and green level against blue levels at the digits' edges, both paths,
// against the reference.
TEST(ColorMode, IntegerModesMatchTheReferenceForEveryRedAndGreen) {
  const int blues[] = {0, 1, 63, 64, 127, 128, 191, 192, 254, 255};
  Picture src(256, 256 * 10, 3);
  for (int y = 0; y < src.height; ++y)
    for (int x = 0; x < 256; ++x) {
      std::uint8_t* p = src.At(x, y);
      p[0] = static_cast<std::uint8_t>(x);
      p[1] = static_cast<std::uint8_t>(y % 256);
      p[2] = static_cast<std::uint8_t>(blues[y / 256]);
    }
  for (bool wide : {true, false})
    for (int mode = 5; mode <= 14; ++mode)
      for (ColorRef mono : {0x000000u, 0xFFFFFFu, 0x2080F0u}) {
        if (mode != 14 && mono != 0) continue;
        Picture got = src;
        WidePathAllowed() = wide;
        ApplyColorMode(got.Rows(), 256, static_cast<std::uint32_t>(src.height), mode, mono);
        WidePathAllowed() = true;
        for (int y = 0; y < src.height; ++y)
          for (int x = 0; x < 256; ++x) {
            const Rgb want = Reference({src.Get(x, y, 0), src.Get(x, y, 1), src.Get(x, y, 2)}, mode, mono);
            ASSERT_TRUE(want.r == got.Get(x, y, 0) && want.g == got.Get(x, y, 1) && want.b == got.Get(x, y, 2))
                << "mode " << mode << " wide " << wide << " at (" << x << "," << y % 256 << "," << blues[y / 256]
                << ")";
          }
      }
}

TEST(ColorMode, NegativeTwiceRestoresAndZeroSizeIsHarmless) {
  Picture p(13, 7, 3);
  p.FillRandom(3);
  const Picture before = p;
  ApplyColorMode(p.Rows(), 13, 7, kColorNegative, 0);
  EXPECT_FALSE(p == before);
  ApplyColorMode(p.Rows(), 13, 7, kColorNegative, 0);
  EXPECT_TRUE(p == before);
  ApplyColorMode(nullptr, 0, 7, kColorNegative, 0);
  ApplyColorMode(nullptr, 13, 0, kColorSepia1, 0);
}

// The grey level equals floor((r W1 + g W2 + b W3) / 2^27) exactly, W being
// the weights in units of 2^-27, for every colour: nothing rounds. So does
// its integer form.
TEST(GrayLevel, EqualsTheExactFixedPointValueForEveryColour) {
  int mismatches = 0;
  for (int r = 0; r < 256; ++r)
    for (int g = 0; g < 256; ++g)
      for (int b = 0; b < 256; ++b) {
        const std::uint64_t exact = (40131100ull * r + 78785808ull * g + 15300821ull * b) >> 27;
        if (GrayLevel(static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g),
                      static_cast<std::uint8_t>(b)) != exact ||
            GrayLevelInt(r, g, b) != static_cast<std::int32_t>(exact))
          ++mismatches;
      }
  EXPECT_EQ(mismatches, 0);
  EXPECT_EQ(GrayLevel(255, 255, 255), 255);
  EXPECT_EQ(GrayLevel(255, 0, 0), 76);
}

}  // namespace
}  // namespace korvane
