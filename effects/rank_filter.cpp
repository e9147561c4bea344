#include "effects/rank_filter.h"

#include <cstddef>
#include <cstring>
#include <memory>
#include <new>

#include "effects/wide_path.h"

namespace korvane {
namespace {

KORVANE_ALWAYS_INLINE std::uint8_t Min2(std::uint8_t a, std::uint8_t b) { return a < b ? a : b; }
KORVANE_ALWAYS_INLINE std::uint8_t Max2(std::uint8_t a, std::uint8_t b) { return a > b ? a : b; }
KORVANE_ALWAYS_INLINE std::uint8_t Min3(std::uint8_t a, std::uint8_t b, std::uint8_t c) { return Min2(Min2(a, b), c); }
KORVANE_ALWAYS_INLINE std::uint8_t Max3(std::uint8_t a, std::uint8_t b, std::uint8_t c) { return Max2(Max2(a, b), c); }
KORVANE_ALWAYS_INLINE std::uint8_t Med3(std::uint8_t a, std::uint8_t b, std::uint8_t c) {
  return Max2(Min2(a, b), Min2(Max2(a, b), c));
}

std::uint8_t SelectOrKeep(const std::uint8_t* samples, int count, std::uint8_t keep) {
  std::uint8_t r;
  return RankSelect(samples, count, &r) ? r : keep;
}

// Interior rows of the filter. For nine samples the walk's answer is the
// median m whenever m >= 128 (the upper count reaches five at step 255 - m,
// before five samples can lie below 128), or when the largest sample is below
// 255 - m: then no sample up to m has its mirror 255 - v in the window, the
// lower count takes each of them at its own step and reaches five at m,
// before the upper count's step. Only the other windows take the full walk.
KORVANE_ALWAYS_INLINE void RankInteriorRows(std::uint8_t* const* src, std::uint8_t* const* dst,
                                            std::uint32_t width, std::uint32_t height,
                                            std::uint8_t* __restrict lo, std::uint8_t* __restrict mid,
                                            std::uint8_t* __restrict hi, std::uint8_t* __restrict walk) {
  for (std::uint32_t y = 1; y + 1 < height; ++y) {
    const std::uint8_t* __restrict a = src[y - 1];
    const std::uint8_t* __restrict b = src[y];
    const std::uint8_t* __restrict c = src[y + 1];
    for (std::uint32_t x = 0; x < width; ++x) {  // each column sorted
      lo[x] = Min3(a[x], b[x], c[x]);
      mid[x] = Med3(a[x], b[x], c[x]);
      hi[x] = Max3(a[x], b[x], c[x]);
    }
    std::uint8_t* __restrict out = dst[y];
    for (std::uint32_t x = 1; x + 1 < width; ++x) {
      const std::uint8_t med = Med3(Max3(lo[x - 1], lo[x], lo[x + 1]), Med3(mid[x - 1], mid[x], mid[x + 1]),
                                    Min3(hi[x - 1], hi[x], hi[x + 1]));
      const std::uint8_t mx = Max3(hi[x - 1], hi[x], hi[x + 1]);
      out[x] = med;
      walk[x] = static_cast<std::uint8_t>(med < 128 && mx >= 255 - med);
    }
    for (std::uint32_t x = 1; x + 1 < width; ++x) {
      if (walk[x] == 0) continue;
      const std::uint8_t w[9] = {a[x - 1], a[x], a[x + 1], b[x - 1], b[x], b[x + 1], c[x - 1], c[x], c[x + 1]};
      out[x] = SelectOrKeep(w, 9, out[x]);
    }
  }
}

KORVANE_WIDE_TARGET void RankInteriorRowsWide(std::uint8_t* const* src, std::uint8_t* const* dst,
                                              std::uint32_t width, std::uint32_t height, std::uint8_t* lo,
                                              std::uint8_t* mid, std::uint8_t* hi, std::uint8_t* walk) {
  RankInteriorRows(src, dst, width, height, lo, mid, hi, walk);
}

}  // namespace

// The walk over the window's histogram from both ends: the upper count T takes
// bin 255 - t, the lower count B takes bin t only at steps where bin 255 - t is
// empty; the first to reach five gives the result. Done here on the sorted
// samples: T reaches five at the fifth largest sample, and B's steps come in
// rising order of the sample values below that one's step.
bool RankSelect(const std::uint8_t* samples, int count, std::uint8_t* result) {
  if (count < 5 || count > 9) return false;
  std::uint8_t s[9];
  for (int i = 0; i < count; ++i) {
    std::uint8_t v = samples[i];
    int j = i;
    for (; j > 0 && s[j - 1] > v; --j) s[j] = s[j - 1];
    s[j] = v;
  }
  const std::uint8_t upper = s[count - 5];
  const int upperStep = 255 - upper;
  int lowerCount = 0;
  for (int k = 0; k < count;) {
    const int v = s[k];
    int end = k + 1;
    while (end < count && s[end] == v) ++end;
    if (v >= upperStep) break;
    bool partner = false;  // is bin 255 - v taken, so this step is the upper count's
    for (int i = 0; i < count; ++i) partner |= s[i] == 255 - v;
    if (!partner) {
      lowerCount += end - k;
      if (lowerCount >= 5) {
        *result = static_cast<std::uint8_t>(v);
        return true;
      }
    }
    k = end;
  }
  *result = upper;
  return true;
}

// Windows are the 3 x 3 neighbourhood cut to the plane. Corners (2 x 2) and
// planes with a single row or column never reach five samples; those
// positions keep the source value.
void RankFilter(std::uint8_t* const* src, std::uint8_t* const* dst, std::uint32_t width,
                std::uint32_t height) {
  if (width < 2 || height < 2) {
    for (std::uint32_t y = 0; y < height; ++y) std::memcpy(dst[y], src[y], width);
    return;
  }
  const std::uint32_t w1 = width - 1, h1 = height - 1;
  dst[0][0] = src[0][0];
  dst[0][w1] = src[0][w1];
  dst[h1][0] = src[h1][0];
  dst[h1][w1] = src[h1][w1];
  // Top and bottom rows: 2 x 3 blocks with the adjacent row.
  for (int edge = 0; edge < 2; ++edge) {
    const std::uint32_t y = edge == 0 ? 0 : h1, n = edge == 0 ? 1 : h1 - 1;
    for (std::uint32_t x = 1; x < w1; ++x) {
      const std::uint8_t w[6] = {src[y][x - 1], src[y][x], src[y][x + 1],
                                 src[n][x - 1], src[n][x], src[n][x + 1]};
      dst[y][x] = SelectOrKeep(w, 6, src[y][x]);
    }
  }
  // Left and right columns: 3 x 2 blocks with the adjacent column.
  for (int edge = 0; edge < 2; ++edge) {
    const std::uint32_t x = edge == 0 ? 0 : w1, n = edge == 0 ? 1 : w1 - 1;
    for (std::uint32_t y = 1; y < h1; ++y) {
      const std::uint8_t w[6] = {src[y - 1][x], src[y][x], src[y + 1][x],
                                 src[y - 1][n], src[y][n], src[y + 1][n]};
      dst[y][x] = SelectOrKeep(w, 6, src[y][x]);
    }
  }
  if (height < 3 || width < 3) return;
  std::unique_ptr<std::uint8_t[]> sorted(new (std::nothrow) std::uint8_t[std::size_t{width} * 4]);
  if (sorted) {
    std::uint8_t* t = sorted.get();
    if (WideCpu()) {
      RankInteriorRowsWide(src, dst, width, height, t, t + width, t + 2 * width, t + 3 * width);
    } else {
      RankInteriorRows(src, dst, width, height, t, t + width, t + 2 * width, t + 3 * width);
    }
    return;
  }
  for (std::uint32_t y = 1; y < h1; ++y) {
    for (std::uint32_t x = 1; x < w1; ++x) {
      const std::uint8_t w[9] = {src[y - 1][x - 1], src[y - 1][x], src[y - 1][x + 1],
                                 src[y][x - 1],     src[y][x],     src[y][x + 1],
                                 src[y + 1][x - 1], src[y + 1][x], src[y + 1][x + 1]};
      dst[y][x] = SelectOrKeep(w, 9, src[y][x]);
    }
  }
}

}  // namespace korvane
