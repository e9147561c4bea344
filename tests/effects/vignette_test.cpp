#include "effects/vignette.h"

#include <gtest/gtest.h>

#include <cmath>
#include <thread>
#include <vector>

#include "effects/wide_path.h"
#include "tests/effects/picture.h"
#include "effects/ieee_double.h"

namespace korvane {
namespace {

using testing::Picture;
using Mask = std::vector<std::vector<int>>;

// The mask drawn step by step as described: frame bands and corners, or
// the base ellipse and its rings, each ring writing only where still 0.
Mask ReferenceMask(int W, int H, int shape, int thickness) {
  Mask m(static_cast<std::size_t>(H), std::vector<int>(static_cast<std::size_t>(W), 0));
  const int mm = W < H ? W : H;
  if (thickness < 0 || thickness > 2) thickness = 0;
  int o = 0, L = 0;
  const int frame[3][2] = {{0, mm >> 3}, {mm >> 5, mm >> 3}, {mm >> 4, (mm >> 3) + (mm >> 4)}};
  const int outer[3][2] = {{-(mm >> 2), mm >> 1}, {-(mm >> 3), mm >> 1}, {-(mm >> 4), mm >> 1}};
  const int inner[3][2] = {{0, mm >> 3}, {0, (mm >> 4) + (mm >> 3)}, {0, mm >> 2}};
  const int(*g)[2] = shape == 0 ? frame : (shape == 1 ? outer : inner);
  o = g[thickness][0], L = g[thickness][1];
  std::vector<int> ramp(static_cast<std::size_t>(L) + 1);
  for (int i = 0; i <= L; ++i) ramp[i] = static_cast<int>(255 * std::sin(i * 1.5707963267948966 / L));
  if (shape == 0) {
    const int s = o + L;
    for (int r = s; r <= H - s - 1; ++r)
      for (int c = s; c <= W - s - 1; ++c) m[r][c] = 255;
    for (int d = o; d < s; ++d)
      for (int c = s; c <= W - s - 1; ++c) m[d][c] = m[H - 1 - d][c] = ramp[d - o];
    for (int r = s; r <= H - s - 1; ++r)
      for (int d = o; d < s; ++d) m[r][d] = m[r][W - 1 - d] = ramp[d - o];
    for (int dr = o; dr < s; ++dr)
      for (int dc = o; dc < s; ++dc) {
        const long n = long(s - 1 - dc) * (s - 1 - dc) + long(s - 1 - dr) * (s - 1 - dr);
        int k = L - 1;
        for (int i = 1; i <= L - 1; ++i)
          if (n < long(i) * i) {
            k = i - 1;
            break;
          }
        const int v = ramp[L - 1 - k];
        m[dr][dc] = m[dr][W - 1 - dc] = m[H - 1 - dr][dc] = m[H - 1 - dr][W - 1 - dc] = v;
      }
    return m;
  }
  const int cx = W / 2, cy = H / 2, a = cx - L - o, b = cy - L - o;
  const auto draw = [&](long A, long B, int v, bool onlyEmpty) {
    const auto put = [&](int r, int c) {
      if (!onlyEmpty || m[r][c] == 0) m[r][c] = v;
    };
    if (W >= H) {
      for (long y = 0; y <= cy && y < B; ++y) {
        long e = static_cast<long>(std::sqrt((1 - double(y * y) / double(B * B)) * double(A * A)));
        if (e > cx) e = cx;
        for (long c = cx - e; c <= W - cx + e - 1; ++c) {
          put(int(cy - y), int(c));
          put(int(H - cy + y - 1), int(c));
        }
      }
    } else {
      for (long x = 0; x <= cx && x < A; ++x) {
        long e = static_cast<long>(std::sqrt((1 - double(x * x) / double(A * A)) * double(B * B)));
        if (e > cy) e = cy;
        for (long r = cy - e; r <= H - cy + e - 1; ++r) {
          put(int(r), int(cx - x));
          put(int(r), int(W - cx + x - 1));
        }
      }
    }
  };
  draw(a, b, 255, false);
  for (int j = 1; j <= L - 1; ++j) draw(a + j, b + j, ramp[L - 1 - j], true);
  return m;
}

Mask Built(int W, int H, int shape, int thickness) {
  VignetteMask mask;
  EXPECT_TRUE(BuildVignetteMask(mask, std::uint32_t(W), std::uint32_t(H), shape, thickness));
  Mask m(static_cast<std::size_t>(H), std::vector<int>(static_cast<std::size_t>(W)));
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) m[y][x] = mask.rows.rows()[y][x];
  return m;
}

TEST(VignetteMask, FrameBandsOf100x80) {
  const Mask thin = Built(100, 80, kShapeFrame, kThicknessThin);  // o = 0, L = 10
  EXPECT_EQ(thin[0][50], 0);
  EXPECT_EQ(thin[40][0], 0);
  for (int x = 9; x <= 90; ++x) EXPECT_EQ(thin[9][x], 251) << x;
  for (int y = 10; y <= 69; ++y)
    for (int x = 10; x <= 89; ++x) ASSERT_EQ(thin[y][x], 255);
  const Mask thick = Built(100, 80, kShapeFrame, kThicknessThick);  // o = 5, L = 15
  for (int d = 0; d < 5; ++d) {
    EXPECT_EQ(thick[d][50], 0);
    EXPECT_EQ(thick[79 - d][50], 0);
    EXPECT_EQ(thick[40][d], 0);
    EXPECT_EQ(thick[40][99 - d], 0);
  }
  EXPECT_EQ(thick[5][50], 0);
  EXPECT_EQ(thick[19][50], 253);
  EXPECT_EQ(thick[40][19], 253);
  EXPECT_EQ(thick[20][50], 255);
}

TEST(VignetteMask, EllipsesOf220x220) {
  const Mask outer = Built(220, 220, kShapeOuterEllipse, kThicknessThin);  // o = -55, L = 110
  EXPECT_EQ(outer[110][110], 255);
  EXPECT_EQ(outer[0][110], 175);
  EXPECT_EQ(outer[110][0], 177);
  EXPECT_EQ(outer[110][219], 177);
  for (auto [x, y] : {std::pair{0, 0}, {219, 0}, {0, 219}, {219, 219}}) EXPECT_EQ(outer[y][x], 29);
  const Mask inner = Built(220, 220, kShapeInnerEllipse, kThicknessThin);  // o = 0, L = 27
  EXPECT_EQ(inner[0][110], 0);
  EXPECT_EQ(inner[1][110], 0);
  EXPECT_EQ(inner[2][110], 0);
  EXPECT_EQ(inner[3][110], 14);
  EXPECT_EQ(inner[4][110], 29);
  EXPECT_EQ(inner[0][0], 0);
}

// Every shape and thickness (an unknown thickness included) on sizes from
// 1 x 1 up, wide and tall, against the step-by-step drawing; and every mask
// is point-symmetric.
TEST(VignetteMask, MatchesTheStepByStepDrawingAndIsPointSymmetric) {
  const std::pair<int, int> sizes[] = {{1, 1}, {1, 7}, {7, 1}, {2, 2}, {3, 5}, {16, 16}, {31, 17},
                                       {17, 31}, {64, 40}, {40, 64}, {100, 80}, {220, 220}, {221, 97}};
  for (auto [w, h] : sizes)
    for (int shape = 0; shape <= 2; ++shape)
      for (int thickness = 0; thickness <= 3; ++thickness) {
        const Mask got = Built(w, h, shape, thickness);
        ASSERT_EQ(got, ReferenceMask(w, h, shape, thickness)) << w << "x" << h << " " << shape << "/" << thickness;
        for (int y = 0; y < h; ++y)
          for (int x = 0; x < w; ++x) ASSERT_EQ(got[y][x], got[h - 1 - y][w - 1 - x]);
      }
}

TEST(Vignette, BlendDividesBy256AndGreyUsesItsOwnWeights) {
  // Frame thin on 100 x 80: row 9 has mask 251; a white frame on white.
  Picture p(100, 80, 3);
  p.Fill(255);
  ApplyVignette(p.Rows(), 100, 80, false, 0xFFFFFF, kShapeFrame, kThicknessThin);
  EXPECT_EQ(p.Get(50, 9, 0), ((255 - 251) * 255 + 255 * 251) >> 8);  // 254
  EXPECT_EQ(p.Get(50, 9, 0), 254);
  EXPECT_EQ(p.Get(50, 0, 1), 255);   // mask 0: the colour itself
  EXPECT_EQ(p.Get(50, 40, 2), 255);  // mask 255: untouched
  // A colour on a grey picture: 0.298912, 0.586611, 0.114478.
  struct Case {
    ColorRef color;
    int gray;
  } cases[] = {{0xFFFFFF, 255}, {0x0000FF, 76}, {0x00FF00, 149}, {0xFF0000, 29}, {0, 0}};
  for (const Case& c : cases) {
    Picture g(100, 80, 1);
    g.Fill(128);
    ApplyVignette(g.Rows(), 100, 80, true, c.color, kShapeFrame, kThicknessThin);
    EXPECT_EQ(g.Get(0, 0), c.gray) << std::hex << c.color;
    EXPECT_EQ(g.Get(50, 40), 128);
  }
}

// Random pixels through every shape's mask, on both paths, against the
// blend formula byte by byte (colour bytes 0 and 255 included).
TEST(Vignette, BlendMatchesTheFormulaOnRandomPixels) {
  const ColorRef color = 0x00FF7F;
  const int rgb[3] = {0x7F, 0xFF, 0x00};
  for (auto [w, h] : {std::pair{17, 9}, {40, 33}, {97, 151}, {220, 220}})
    for (int shape = 0; shape <= 2; ++shape)
      for (bool wide : {true, false}) {
        Picture p(w, h, 3);
        p.FillRandom(std::uint32_t(w + shape));
        Picture got = p;
        WidePathAllowed() = wide;
        ApplyVignette(got.Rows(), std::uint32_t(w), std::uint32_t(h), false, color, shape, kThicknessMedium);
        WidePathAllowed() = true;
        const Mask m = ReferenceMask(w, h, shape, kThicknessMedium);
        for (int y = 0; y < h; ++y)
          for (int x = 0; x < w; ++x)
            for (int c = 0; c < 3; ++c) {
              const int k = m[y][x], v = p.Get(x, y, c);
              const int want = k == 255 ? v : (k == 0 ? rgb[c] : ((255 - k) * rgb[c] + v * k) >> 8);
              ASSERT_EQ(got.Get(x, y, c), want) << w << "x" << h << " shape " << shape << " at " << x << "," << y;
            }
      }
}

TEST(Vignette, OnePixelAndUnknownShapes) {
  Picture p(1, 1, 3);
  p.Fill(9);
  ApplyVignette(p.Rows(), 1, 1, false, 0x102030, kShapeFrame, kThicknessThick);
  EXPECT_EQ(p.Get(0, 0, 0), 9);
  for (int shape : {kShapeOuterEllipse, kShapeInnerEllipse}) {
    p.Fill(9);
    ApplyVignette(p.Rows(), 1, 1, false, 0x102030, shape, kThicknessThin);
    EXPECT_EQ(p.Get(0, 0, 0), 0x30);
    EXPECT_EQ(p.Get(0, 0, 1), 0x20);
    EXPECT_EQ(p.Get(0, 0, 2), 0x10);
  }
  Picture q(30, 20, 3);
  q.FillRandom(2);
  const Picture before = q;
  for (int shape : {-1, 3, 1000}) ApplyVignette(q.Rows(), 30, 20, false, 0, shape, kThicknessThin);
  EXPECT_TRUE(q == before);
}

TEST(Vignette, MaskIsReusedAcrossColoursAndRebuiltForANewKey) {
  Picture a(64, 48, 3), b(64, 48, 3);
  a.Fill(100);
  b.Fill(100);
  ApplyVignette(a.Rows(), 64, 48, false, 0x0000FF, kShapeInnerEllipse, kThicknessMedium);
  const std::uint64_t built = VignetteMaskBuildCount();
  ApplyVignette(b.Rows(), 64, 48, false, 0xFF0000, kShapeInnerEllipse, kThicknessMedium);
  EXPECT_EQ(VignetteMaskBuildCount(), built);
  // Same mask, other colour: the red of one is the blue of the other.
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 64; ++x) {
      ASSERT_EQ(a.Get(x, y, 0), b.Get(x, y, 2));
      ASSERT_EQ(a.Get(x, y, 1), b.Get(x, y, 1));
    }
  ApplyVignette(b.Rows(), 64, 48, false, 0xFF0000, kShapeInnerEllipse, kThicknessThick);
  EXPECT_EQ(VignetteMaskBuildCount(), built + 1);
}

// The batch and the preview blend different sizes at the same time: each
// call must see the mask of its own size from start to end.
TEST(Vignette, TwoThreadsBlendingDifferentSizesAtOnce) {
  const auto expected = [](int w, int h) {
    Picture p(w, h, 3);
    p.Fill(200);
    const Mask m = ReferenceMask(w, h, kShapeOuterEllipse, kThicknessThin);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        for (int c = 0; c < 3; ++c) {
          const int k = m[y][x];
          p.At(x, y)[c] = static_cast<std::uint8_t>(k == 255 ? 200 : (k == 0 ? 0 : (200 * k) >> 8));
        }
    return p;
  };
  const Picture wantA = expected(220, 220), wantB = expected(97, 151);
  bool okA = true, okB = true;
  const auto run = [](int w, int h, const Picture& want, bool* ok) {
    for (int i = 0; i < 40; ++i) {
      Picture p(w, h, 3);
      p.Fill(200);
      ApplyVignette(p.Rows(), std::uint32_t(w), std::uint32_t(h), false, 0, kShapeOuterEllipse, kThicknessThin);
      if (!(p == want)) *ok = false;
    }
  };
  std::thread ta(run, 220, 220, std::cref(wantA), &okA);
  std::thread tb(run, 97, 151, std::cref(wantB), &okB);
  ta.join();
  tb.join();
  EXPECT_TRUE(okA);
  EXPECT_TRUE(okB);
}

}  // namespace
}  // namespace korvane

namespace korvane {
namespace {

TEST(Vignette, NoMemoryForTheMaskLeavesThePictureUnchanged) {
  Picture p(33, 21, 3);
  p.FillRandom(8);
  const Picture before = p;
  SetImageBudget(0);
  ApplyVignette(p.Rows(), 33, 21, false, 0, kShapeInnerEllipse, kThicknessThick);
  SetImageBudget(kImageBudgetBytes);
  EXPECT_TRUE(p == before);
  ApplyVignette(p.Rows(), 33, 21, false, 0, kShapeInnerEllipse, kThicknessThick);
  EXPECT_EQ(p.Get(0, 0, 0), 0);  // the next call builds the mask
}

}  // namespace
}  // namespace korvane
