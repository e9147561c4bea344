#include "effects/outline_shadow.h"

#include <gtest/gtest.h>

#include <vector>

#include "effects/gray_level.h"
#include "tests/effects/picture.h"

namespace korvane {
namespace {

using testing::Picture;

// The rank filter's walk as described, on a 256-bin histogram.
bool WalkHistogram(const std::vector<int>& samples, int* result) {
  int bins[256] = {};
  for (int s : samples) ++bins[s];
  int top = 0, bottom = 0;
  for (int t = 0; t <= 255; ++t) {
    const int i = 255 - t, j = t;
    if (bins[i] != 0) {
      top += bins[i];
      if (top >= 5) return *result = i, true;
    } else if (bins[j] != 0) {
      bottom += bins[j];
      if (bottom >= 5) return *result = j, true;
    }
  }
  return false;
}

// The filter by definition: the 3 x 3 window cut to the plane; no result
// keeps the source value.
Picture ReferenceRank(const Picture& src) {
  Picture out = src;
  for (int y = 0; y < src.height; ++y)
    for (int x = 0; x < src.width; ++x) {
      std::vector<int> w;
      for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
          if (x + dx >= 0 && y + dy >= 0 && x + dx < src.width && y + dy < src.height)
            w.push_back(src.Get(x + dx, y + dy));
      int r;
      if (src.width >= 2 && src.height >= 2 && WalkHistogram(w, &r)) out.At(x, y)[0] = std::uint8_t(r);
    }
  return out;
}

TEST(HueColor, SectorsAndSaturations) {
  EXPECT_EQ(HueColor(0, 255), 0x0000FFu);    // (255, 0, 0)
  EXPECT_EQ(HueColor(128, 255), 0xFFFF00u);  // (0, 255, 255): sector 3, f = 0
  EXPECT_EQ(HueColor(0, 128), 0x7F7FFFu);    // (255, 127, 127)
  EXPECT_EQ(HueColor(64, 255), 0x00FF80u);   // sector 1, f = 128: (128, 255, 0)
  // Vivid colours have a channel at 0, pale ones every channel at 127 or more.
  for (std::uint32_t h = 0; h < 256; ++h) {
    const ColorRef v = HueColor(h, 255), p = HueColor(h, 128);
    const int vr = v & 0xFF, vg = (v >> 8) & 0xFF, vb = (v >> 16) & 0xFF;
    EXPECT_TRUE(vr == 0 || vg == 0 || vb == 0) << h;
    EXPECT_TRUE(vr == 255 || vg == 255 || vb == 255) << h;
    EXPECT_GE(p & 0xFF, 127u);
    EXPECT_GE((p >> 8) & 0xFF, 127u);
    EXPECT_GE((p >> 16) & 0xFF, 127u);
  }
}

TEST(PickRandomColors, HuesKeepTheirDistanceAndSaturationFollowsTheChoice) {
  OutlineShadowSettings s;
  s.background = kFillRandomVivid;
  s.outline = kFillRandomPale;
  s.shadow = kFillBlack;
  for (int i = 0; i < 20; ++i) {
    PickRandomColors(s);
    const ColorRef b = s.backgroundRandomRgb;
    EXPECT_TRUE((b & 0xFF) == 0 || ((b >> 8) & 0xFF) == 0 || ((b >> 16) & 0xFF) == 0);
    for (ColorRef pale : {s.outlineRandomRgb, s.shadowRandomRgb}) EXPECT_GE(pale & 0xFF, 127u);
  }
}

TEST(RankSelect, WalksLikeTheHistogram) {
  std::uint8_t r = 0;
  const std::uint8_t example[9] = {0, 10, 10, 10, 10, 50, 50, 50, 255};
  ASSERT_TRUE(RankSelect(example, 9, &r));
  EXPECT_EQ(r, 50);
  const std::uint8_t four[4] = {1, 2, 3, 4};
  EXPECT_FALSE(RankSelect(four, 4, &r));
  // Random windows of 6 and 9, many with pairs that add up to 255.
  std::mt19937 rng(5);
  for (int i = 0; i < 200000; ++i) {
    const int n = i % 2 ? 9 : 6;
    std::uint8_t w[9];
    std::vector<int> v;
    const int spread = 1 + static_cast<int>(rng() % 255);
    const int base = static_cast<int>(rng() % 256);
    for (int k = 0; k < n; ++k) {
      int s = (base + static_cast<int>(rng() % static_cast<unsigned>(spread))) % 256;
      if (k > 0 && rng() % 4 == 0) s = 255 - w[rng() % static_cast<unsigned>(k)];
      w[k] = static_cast<std::uint8_t>(s);
      v.push_back(s);
    }
    int want;
    ASSERT_TRUE(WalkHistogram(v, &want));
    ASSERT_TRUE(RankSelect(w, n, &r));
    ASSERT_EQ(r, want) << "window " << i;
  }
}

TEST(RankFilter, MatchesTheDefinitionOnSizesAroundTheWindow) {
  auto sizes = testing::EdgeSizes();
  sizes.push_back({61, 45});
  std::uint32_t seed = 40;
  for (auto [w, h] : sizes)
    for (int kind = 0; kind < 3; ++kind) {
      Picture src(w, h, 1);
      if (kind == 0) src.FillRandom(++seed);
      if (kind == 1) src.FillPhotoLike(++seed);
      if (kind == 2) {  // grouped levels with their mirror images: many 255-pairs
        src.FillRandom(++seed);
        for (auto& r : src.data)
          for (auto& b : r) b = static_cast<std::uint8_t>(b & 1 ? 255 - (b & 0xC0) : (b & 0xC0));
      }
      Picture dst(w, h, 1);
      RankFilter(src.Rows(), dst.Rows(), std::uint32_t(w), std::uint32_t(h));
      ASSERT_TRUE(dst == ReferenceRank(src)) << w << "x" << h << " kind " << kind;
    }
}

// --- the whole effect ------------------------------------------------------------

void RunEffect(Picture& p, const OutlineShadowSettings& s, bool blurOn = false) {
  OutlineShadowWorkspace ws;
  const auto w = std::uint32_t(p.width), h = std::uint32_t(p.height);
  PrepareOutlineShadow(p.Rows(), w, h, p.channels == 1, blurOn, s, ws);
  ApplyOutlineShadow(p.Rows(), w, h, p.channels == 1, blurOn, s, ws);
}

OutlineShadowSettings Layers(int background, int outline, int shadow) {
  OutlineShadowSettings s;
  s.background = background;
  s.outline = outline;
  s.shadow = shadow;
  s.outlineSmoothing = s.shadowSmoothing = 0;
  return s;
}

TEST(OutlineShadow, BackgroundAndEmptyLayers) {
  Picture p(12, 9, 3);
  p.FillPhotoLike(1);
  const Picture before = p;
  RunEffect(p, Layers(kFillOriginal, 0, 0));
  EXPECT_TRUE(p == before);
  RunEffect(p, Layers(kFillWhite, 0, 0));
  for (auto& r : p.data)
    for (auto v : r) ASSERT_EQ(v, 255);
  // Unknown fill choices: no layer and the photograph kept.
  Picture q = before;
  RunEffect(q, Layers(9, -3, 77));
  EXPECT_TRUE(q == before);
}

TEST(OutlineShadow, UniformPictureGetsNoOutlineAndShadowBelowItsLevel) {
  for (int level : {40, 49, 50, 60}) {
    Picture p(10, 10, 3);
    p.Fill(static_cast<std::uint8_t>(level));  // grey level = level
    OutlineShadowSettings s = Layers(kFillOriginal, kFillCustom, kFillCustom);
    s.outlineRgb = 0x0000FF;
    s.shadowRgb = 0x00FF00;
    s.outlineSmoothing = s.shadowSmoothing = 1;
    RunEffect(p, s);
    const bool shadow = level < 50;
    for (int y = 0; y < 10; ++y)
      for (int x = 0; x < 10; ++x) {
        ASSERT_EQ(p.Get(x, y, 0), shadow ? 0 : level);
        ASSERT_EQ(p.Get(x, y, 1), shadow ? 255 : level);
      }
  }
}

// One picture with a dark square on a light ground: the square's border is
// outline, its inside shadow. Where both masks are 0 the layer painted last
// wins.
TEST(OutlineShadow, LayeringOrderAndSharedColour) {
  Picture base(12, 12, 1);
  base.Fill(200);
  for (int y = 3; y < 9; ++y)
    for (int x = 3; x < 9; ++x) base.At(x, y)[0] = 10;
  struct Case {
    bool outlineUnder, takesOutline;
    int outline, shadow;
    std::uint8_t atEdge, inside;  // (3,3) is both outline and shadow; (5,5) shadow only
  } cases[] = {
      {false, false, kFillBlack, kFillWhite, 0, 255},
      {true, false, kFillBlack, kFillWhite, 255, 255},
      {false, true, kFillBlack, kFillWhite, 0, 0},
      {false, true, 0, kFillWhite, 10, 10},         // takes the outline's colour, but there is no outline
      {false, true, kFillBlack, 0, 0, 10},          // no shadow layer at all
      {false, false, 0, kFillCustom, 76, 76},       // custom pure red on grey: 76
  };
  for (const Case& c : cases) {
    Picture p = base;
    OutlineShadowSettings s = Layers(kFillOriginal, c.outline, c.shadow);
    s.outlineUnderShadow = c.outlineUnder;
    s.shadowTakesOutlineColor = c.takesOutline;
    s.shadowRgb = 0x0000FF;
    RunEffect(p, s);
    EXPECT_EQ(p.Get(3, 3), c.atEdge) << c.outline << "/" << c.shadow << " under " << c.outlineUnder;
    EXPECT_EQ(p.Get(5, 5), c.inside) << c.outline << "/" << c.shadow << " under " << c.outlineUnder;
    EXPECT_EQ(p.Get(0, 0), 200);
  }
  // Levels at their ends: no shadow below 0, no outline at 255.
  Picture p = base;
  OutlineShadowSettings s = Layers(kFillWhite, kFillBlack, kFillBlack);
  s.shadowLevel = 0;
  s.outlineLevel = 255;
  RunEffect(p, s);
  for (auto& r : p.data)
    for (auto v : r) ASSERT_EQ(v, 255);
}

TEST(OutlineShadow, GreyPicturesPaintGreyLevelsOfTheColours) {
  Picture p(6, 6, 1);
  p.Fill(100);
  OutlineShadowSettings s = Layers(kFillWhite, 0, 0);
  RunEffect(p, s);
  EXPECT_EQ(p.Get(2, 2), 255);
  s = Layers(kFillCustom, 0, 0);
  s.backgroundRgb = 0x0000FF;
  RunEffect(p, s);
  EXPECT_EQ(p.Get(2, 2), 76);
}

// The effect built from its definition: grey planes, rank filter, masks and
// painting, for colour and grey pictures, with and without grouping and
// smoothing, planes taken before or after a blur (here: a negative between
// the stages, which any change of the picture serves for).
Picture ReferenceEffect(Picture p, const OutlineShadowSettings& s, bool betweenStagesNegate) {
  const auto grayPlane = [&](const Picture& img, bool grouping, bool smoothing) {
    Picture g(img.width, img.height, 1);
    for (int y = 0; y < img.height; ++y)
      for (int x = 0; x < img.width; ++x) {
        std::uint8_t v = img.channels == 1 ? img.Get(x, y) : GrayLevel(img.Get(x, y, 0), img.Get(x, y, 1), img.Get(x, y, 2));
        g.At(x, y)[0] = grouping ? v & 0xC0 : v;
      }
    if (!smoothing) return g;
    Picture sm = ReferenceRank(g);
    if (grouping)
      for (auto& r : sm.data)
        for (auto& b : r) b &= 0xC0;
    return sm;
  };
  const Picture before = p;
  if (betweenStagesNegate)
    for (auto& r : p.data)
      for (auto& b : r) b = std::uint8_t(255 - b);
  const Picture& oImg = s.outlineBeforeBlur || !betweenStagesNegate ? before : p;
  const Picture& sImg = s.shadowBeforeBlur || !betweenStagesNegate ? before : p;
  const Picture os = grayPlane(oImg, s.outlineGrouping, s.outlineSmoothing);
  const Picture ss = grayPlane(sImg, s.shadowGrouping, s.shadowSmoothing);
  const int W = p.width, H = p.height;
  std::vector<int> om(std::size_t(W * H), 255), sm(std::size_t(W * H), 255);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      int sum = 0, n = 0;
      for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
          if (x + dx >= 0 && y + dy >= 0 && x + dx < W && y + dy < H) sum += os.Get(x + dx, y + dy), ++n;
      if (os.Get(x, y) < sum / n - s.outlineLevel) om[std::size_t(y * W + x)] = 0;
      if (ss.Get(x, y) < s.shadowLevel) sm[std::size_t(y * W + x)] = 0;
    }
  const auto color = [](int choice, ColorRef custom, ColorRef random) {
    return choice == 1 ? 0xFFFFFFu : choice == 2 ? 0u : choice == 3 ? custom : random;
  };
  const auto paint = [&](int x, int y, ColorRef c) {
    const std::uint8_t rgb[3] = {std::uint8_t(c), std::uint8_t(c >> 8), std::uint8_t(c >> 16)};
    if (p.channels == 1) p.At(x, y)[0] = GrayLevel(rgb[0], rgb[1], rgb[2]);
    else for (int k = 0; k < 3; ++k) p.At(x, y)[k] = rgb[k];
  };
  const ColorRef oc = color(s.outline, s.outlineRgb, s.outlineRandomRgb);
  const ColorRef sc = s.shadowTakesOutlineColor ? oc : color(s.shadow, s.shadowRgb, s.shadowRandomRgb);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      if (s.background != 0) paint(x, y, color(s.background, s.backgroundRgb, s.backgroundRandomRgb));
      const bool o = s.outline != 0 && om[std::size_t(y * W + x)] == 0;
      const bool sh = s.shadow != 0 && (!s.shadowTakesOutlineColor || s.outline != 0) && sm[std::size_t(y * W + x)] == 0;
      if (s.outlineUnderShadow) {
        if (o) paint(x, y, oc);
        if (sh) paint(x, y, sc);
      } else {
        if (sh) paint(x, y, sc);
        if (o) paint(x, y, oc);
      }
    }
  return p;
}

TEST(OutlineShadow, MatchesTheDefinitionOverOptionCombinations) {
  std::mt19937 rng(77);
  const std::pair<int, int> sizes[] = {{1, 1}, {1, 6}, {6, 1}, {2, 2}, {3, 3}, {17, 11}, {40, 31}, {300, 4}};
  int run = 0;
  for (auto [w, h] : sizes)
    for (int ch : {1, 3})
      for (int combo = 0; combo < 24; ++combo) {
        OutlineShadowSettings s;
        s.background = int(rng() % 6);
        s.outline = int(rng() % 6);
        s.shadow = int(rng() % 6);
        s.backgroundRgb = rng() & 0xFFFFFF, s.outlineRgb = rng() & 0xFFFFFF, s.shadowRgb = rng() & 0xFFFFFF;
        PickRandomColors(s);
        s.outlineLevel = int(rng() % 12);
        s.shadowLevel = int(rng() % 256);
        s.outlineGrouping = rng() % 2, s.outlineSmoothing = rng() % 2, s.outlineBeforeBlur = rng() % 2;
        s.shadowGrouping = rng() % 2, s.shadowSmoothing = rng() % 2, s.shadowBeforeBlur = rng() % 2;
        if (combo % 3 == 0) {  // the same plane for both layers
          s.shadowGrouping = s.outlineGrouping, s.shadowSmoothing = s.outlineSmoothing;
          s.shadowBeforeBlur = s.outlineBeforeBlur;
        }
        s.outlineUnderShadow = rng() % 2, s.shadowTakesOutlineColor = rng() % 2;
        const bool blurOn = combo % 2 == 0;
        Picture p(w, h, ch);
        p.FillPhotoLike(++run);
        const Picture want = ReferenceEffect(p, s, blurOn);
        OutlineShadowWorkspace ws;
        const auto uw = std::uint32_t(w), uh = std::uint32_t(h);
        PrepareOutlineShadow(p.Rows(), uw, uh, ch == 1, blurOn, s, ws);
        if (blurOn)
          for (auto& r : p.data)
            for (auto& b : r) b = std::uint8_t(255 - b);
        ApplyOutlineShadow(p.Rows(), uw, uh, ch == 1, blurOn, s, ws);
        ASSERT_TRUE(p == want) << w << "x" << h << " ch " << ch << " combo " << combo;
      }
}

// The preview keeps one workspace: a later picture never paints an earlier
// picture's planes, and a new size drops them.
TEST(OutlineShadow, WorkspaceServesManyPicturesAndSizes) {
  OutlineShadowWorkspace ws;
  OutlineShadowSettings s;  // defaults: black outline and shadow, smoothing on
  for (auto [w, h] : {std::pair{20, 20}, {20, 20}, {9, 31}, {20, 20}}) {
    Picture p(w, h, 3);
    p.FillPhotoLike(std::uint32_t(w * h));
    const Picture want = ReferenceEffect(p, s, false);
    PrepareOutlineShadow(p.Rows(), std::uint32_t(w), std::uint32_t(h), false, false, s, ws);
    ApplyOutlineShadow(p.Rows(), std::uint32_t(w), std::uint32_t(h), false, false, s, ws);
    ASSERT_TRUE(p == want) << w << "x" << h;
    EXPECT_EQ(ws.width, std::uint32_t(w));
  }
  OutlineShadowWorkspace moved = std::move(ws);
  moved.Free();
  EXPECT_TRUE(moved.outlineGray.empty());
}

}  // namespace
}  // namespace korvane

namespace korvane {
namespace {

TEST(OutlineShadow, NoMemoryForPlanesSkipsTheLayersOnly) {
  Picture p(12, 12, 3);
  p.Fill(200);
  for (int y = 3; y < 9; ++y)
    for (int x = 3; x < 9; ++x) p.At(x, y)[0] = p.At(x, y)[1] = p.At(x, y)[2] = 10;
  SetImageBudget(0);
  RunEffect(p, Layers(kFillWhite, kFillBlack, kFillBlack));
  SetImageBudget(kImageBudgetBytes);
  for (auto& r : p.data)
    for (auto v : r) ASSERT_EQ(v, 255);
}

}  // namespace
}  // namespace korvane
