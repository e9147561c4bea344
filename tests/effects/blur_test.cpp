#include "effects/blur.h"

#include <gtest/gtest.h>

#include "pipeline/image_rows.h"
#include "settings/output_settings.h"
#include "tests/effects/picture.h"

namespace korvane {
namespace {

using testing::Picture;

// The filters as defined, one output sample at a time: the window's
// positions inside the plane, weighted, then a shift for a whole window and
// a division by the weights inside otherwise.
void ReferenceBlur(Picture& p, int mode) {
  int before, after, shift;
  bool box = false, soft = false;
  const int binomial[3][7] = {{1, 2, 1}, {1, 4, 6, 4, 1}, {1, 6, 15, 20, 15, 6, 1}};
  const int* w = nullptr;
  switch (mode) {
    case 1: before = after = 3, shift = 12, w = binomial[2], soft = true; break;
    case 2: before = 7, after = 8, shift = 8, box = true, soft = true; break;
    case 3: before = after = 1, shift = 4, w = binomial[0]; break;
    case 4: before = after = 2, shift = 8, w = binomial[1]; break;
    case 5: before = after = 3, shift = 12, w = binomial[2]; break;
    default: return;
  }
  const int window = before + after + 1;
  if (p.width < window || p.height < window) return;
  const Picture in = p;
  for (int c = 0; c < p.channels; ++c)
    for (int y = 0; y < p.height; ++y)
      for (int x = 0; x < p.width; ++x) {
        long sum = 0, weights = 0;
        bool whole = true;
        for (int dy = -before; dy <= after; ++dy)
          for (int dx = -before; dx <= after; ++dx) {
            const int sx = x + dx, sy = y + dy;
            if (sx < 0 || sy < 0 || sx >= p.width || sy >= p.height) {
              whole = false;
              continue;
            }
            const int weight = box ? 1 : w[dy + before] * w[dx + before];
            sum += weight * in.Get(sx, sy, c);
            weights += weight;
          }
        const long q = whole ? sum >> shift : sum / weights;
        p.At(x, y)[c] = static_cast<std::uint8_t>(soft ? (q + in.Get(x, y, c)) >> 1 : q);
      }
}

void Blur(Picture& p, int mode) {
  ApplyBlur(p.Rows(), static_cast<std::uint32_t>(p.width), static_cast<std::uint32_t>(p.height), p.channels == 1,
            mode);
}

TEST(Blur, SinglePointSpreadsByTheBinomialWeights) {
  Picture p(9, 9, 1);
  p.At(4, 4)[0] = 255;
  Blur(p, kBlurLight);
  EXPECT_EQ(p.Get(4, 4), 63);
  for (auto [x, y] : {std::pair{3, 4}, {5, 4}, {4, 3}, {4, 5}}) EXPECT_EQ(p.Get(x, y), 31);
  for (auto [x, y] : {std::pair{3, 3}, {5, 3}, {3, 5}, {5, 5}}) EXPECT_EQ(p.Get(x, y), 15);
  EXPECT_EQ(p.Get(2, 4), 0);
}

TEST(Blur, CornerIsNormalisedByTheWeightsInside) {
  Picture p(5, 5, 3);
  for (int c = 0; c < 3; ++c) p.At(0, 0)[c] = 100, p.At(1, 0)[c] = 200, p.At(0, 1)[c] = 200;
  Blur(p, kBlurLight);
  for (int c = 0; c < 3; ++c) EXPECT_EQ(p.Get(0, 0, c), 133);
}

// A one-pixel vertical line under the shifted 16 x 16 box: its mean reaches
// seven columns to the right and eight to the left.
TEST(Blur, SuperSoftFocusBoxIsShifted) {
  Picture p(40, 20, 1);
  for (int y = 0; y < 20; ++y) p.At(20, y)[0] = 255;
  Blur(p, kBlurSuperSoftFocus);
  const int row = 10;
  for (int x = 12; x <= 27; ++x) EXPECT_GT(p.Get(x, row), 0) << x;
  EXPECT_EQ(p.Get(11, row), 0);
  EXPECT_EQ(p.Get(28, row), 0);
  // Inside: (255 * 16 / 256 + 0) / 2 = 7; on the line itself (15 + 255) / 2.
  EXPECT_EQ(p.Get(12, row), 7);
  EXPECT_EQ(p.Get(20, row), (15 + 255) / 2);
}

TEST(Blur, SmallPlanesAndUniformPicturesStayUnchanged) {
  struct Case {
    int mode, w, h;
  } cases[] = {{kBlurSoftFocus, 6, 30}, {kBlurSoftFocus, 30, 6}, {kBlurSuperSoftFocus, 15, 40},
               {kBlurSuperSoftFocus, 40, 15}, {kBlurLight, 2, 9}, {kBlurMedium, 9, 4}, {kBlurStrong, 6, 6}};
  for (const Case& c : cases) {
    Picture p(c.w, c.h, 3);
    p.FillRandom(7);
    const Picture before = p;
    Blur(p, c.mode);
    EXPECT_TRUE(p == before) << c.mode << " " << c.w << "x" << c.h;
  }
  for (int mode = 0; mode <= 6; ++mode) {
    Picture p(23, 19, 3);
    p.Fill(201);
    Blur(p, mode);
    for (auto& r : p.data)
      for (auto v : r) ASSERT_EQ(v, 201) << mode;
  }
}

// The separable, running-sum filters give the same bytes as the definition
// on every size around the windows, grey and colour.
TEST(Blur, MatchesTheReferenceOnSizesAroundEveryWindow) {
  auto sizes = testing::EdgeSizes();
  sizes.push_back({57, 41});
  std::uint32_t seed = 100;
  for (auto [w, h] : sizes)
    for (int ch : {1, 3})
      for (int mode = -1; mode <= 6; ++mode) {
        Picture p(w, h, ch);
        p.FillRandom(++seed);
        Picture want = p;
        ReferenceBlur(want, mode);
        Blur(p, mode);
        ASSERT_TRUE(p == want) << w << "x" << h << " ch " << ch << " mode " << mode;
      }
}

}  // namespace
}  // namespace korvane

namespace korvane {
namespace {

TEST(Blur, NoScratchMemoryLeavesThePictureUnchanged) {
  Picture p(30, 30, 3);
  p.FillRandom(4);
  const Picture before = p;
  SetImageBudget(0);
  for (int mode = 1; mode <= 5; ++mode) Blur(p, mode);
  SetImageBudget(kImageBudgetBytes);
  EXPECT_TRUE(p == before);
}

}  // namespace
}  // namespace korvane
