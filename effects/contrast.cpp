#include "effects/contrast.h"

#include <cstddef>
#include <cstring>

#include "effects/contrast_map.h"
#include "effects/ieee_double.h"
#include "effects/wide_path.h"

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>
#endif

namespace korvane {
namespace {

struct LevelStats {
  double darkest = 0;
  double brightest = 0;
  double mean = 0;
};

// Grey pictures: every partial sum is an integer far below 2^53, so integer
// row sums give the same doubles as adding the bytes one by one.
LevelStats GrayStats(std::uint8_t* const* rows, std::uint32_t width, std::uint32_t height) {
  unsigned lo = 255, hi = 0;
  double acc = 0;
  for (std::uint32_t y = height; y-- > 0;) {
    const std::uint8_t* p = rows[y];
    std::uint64_t sum = 0;
    for (std::uint32_t x = 0; x < width; ++x) {
      const unsigned v = p[x];
      lo = v < lo ? v : lo;
      hi = v > hi ? v : hi;
      sum += v;
    }
    acc += static_cast<double>(sum) / width;
  }
  return {static_cast<double>(lo), static_cast<double>(hi), acc / height};
}

// Colour pictures: the luminance (G*0.587 + R*0.299) + B*0.114 of each pixel,
// each row summed from its last pixel to its first. Rows are independent
// chains of additions, so four of them run side by side; their averages still
// enter the accumulator from the last row to the first.
struct LumaTables {
  double r[256], g[256], b[256];
  LumaTables() {
    for (int v = 0; v < 256; ++v) {
      r[v] = v * 0.299;
      g[v] = v * 0.587;
      b[v] = v * 0.114;
    }
  }
  double Luma(const std::uint8_t* px) const { return (g[px[1]] + r[px[0]]) + b[px[2]]; }
};

// Rows count - 1 down to 0, one pixel at a time.
void AddRowsOneByOne(std::uint8_t* const* rows, std::uint32_t count, std::uint32_t width, double& lo, double& hi,
                     double& acc) {
  static const LumaTables t;
  for (std::uint32_t y = count; y-- > 0;) {
    const std::uint8_t* p = rows[y];
    double s = 0;
    for (std::size_t i = std::size_t{width} * 3; i != 0;) {
      i -= 3;
      const double l = t.Luma(p + i);
      s += l;
      lo = l < lo ? l : lo;
      hi = l > hi ? l : hi;
    }
    acc += s / width;
  }
}

LevelStats ColorStats(std::uint8_t* const* rows, std::uint32_t width, std::uint32_t height) {
  static const LumaTables t;
  double lo = 1e9, hi = -1e9, acc = 0;
  std::uint32_t y = height;
  for (; y >= 4; y -= 4) {
    const std::uint8_t* p0 = rows[y - 1];
    const std::uint8_t* p1 = rows[y - 2];
    const std::uint8_t* p2 = rows[y - 3];
    const std::uint8_t* p3 = rows[y - 4];
    double s0 = 0, s1 = 0, s2 = 0, s3 = 0;
    for (std::size_t i = std::size_t{width} * 3; i != 0;) {
      i -= 3;
      const double l0 = t.Luma(p0 + i), l1 = t.Luma(p1 + i), l2 = t.Luma(p2 + i), l3 = t.Luma(p3 + i);
      s0 += l0;
      s1 += l1;
      s2 += l2;
      s3 += l3;
      const double mn01 = l0 < l1 ? l0 : l1, mn23 = l2 < l3 ? l2 : l3;
      const double mx01 = l0 > l1 ? l0 : l1, mx23 = l2 > l3 ? l2 : l3;
      const double mn = mn01 < mn23 ? mn01 : mn23, mx = mx01 > mx23 ? mx01 : mx23;
      lo = mn < lo ? mn : lo;
      hi = mx > hi ? mx : hi;
    }
    acc += s0 / width;
    acc += s1 / width;
    acc += s2 / width;
    acc += s3 / width;
  }
  AddRowsOneByOne(rows, y, width, lo, hi, acc);
  return {lo, hi, acc / height};
}

#if defined(__GNUC__) && defined(__x86_64__)
// The same sums with four rows side by side in the lanes of one register:
// four pixels of each row become luminances (the same products and additions
// as the tables give), a 4 x 4 transpose turns them into one register per
// column, and the columns are added from the last to the first. Two groups
// of four rows run at once to hide the additions' latency.
struct LumaWeights {
  __m256d r, g, b;
};

// Four pixels from the 16 bytes that end with them (the 4 bytes before
// them are ignored), so one load reads them, into both halves of a register.
// Each byte becomes a double without a conversion instruction: placed in the
// low bits of 2^52's bit pattern, it is 2^52 + v, and subtracting 2^52
// leaves v exactly.
KORVANE_WIDE_TARGET KORVANE_ALWAYS_INLINE __m256d Channel4(__m256i bytes, int first) {
  const char a = static_cast<char>(first), b = static_cast<char>(first + 3);
  const char c = static_cast<char>(first + 6), d = static_cast<char>(first + 9);
  const __m256i pick = _mm256_setr_epi8(a, -1, -1, -1, -1, -1, -1, -1, b, -1, -1, -1, -1, -1, -1, -1,  //
                                        c, -1, -1, -1, -1, -1, -1, -1, d, -1, -1, -1, -1, -1, -1, -1);
  const __m256i magic = _mm256_set1_epi64x(0x4330000000000000LL);
  const __m256i bits = _mm256_or_si256(_mm256_shuffle_epi8(bytes, pick), magic);
  return _mm256_sub_pd(_mm256_castsi256_pd(bits), _mm256_castsi256_pd(magic));
}

KORVANE_WIDE_TARGET KORVANE_ALWAYS_INLINE __m256d LumaOf4(const std::uint8_t* px, const LumaWeights& w) {
  const __m256i bytes = _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(px - 4)));
  const __m256d r = _mm256_mul_pd(Channel4(bytes, 4), w.r);
  const __m256d g = _mm256_mul_pd(Channel4(bytes, 5), w.g);
  const __m256d b = _mm256_mul_pd(Channel4(bytes, 6), w.b);
  return _mm256_add_pd(_mm256_add_pd(g, r), b);
}

template <int kGroups>
struct RowLanes {
  __m256d sum[kGroups], lo[kGroups], hi[kGroups];
};

template <int kGroups>
KORVANE_WIDE_TARGET KORVANE_ALWAYS_INLINE void AddColumns(RowLanes<kGroups>& s, const __m256d (&col)[kGroups][4],
                                                          int count) {
  for (int c = count; c-- > 0;)
    for (int k = 0; k < kGroups; ++k) {
      s.sum[k] = _mm256_add_pd(s.sum[k], col[k][c]);
      s.lo[k] = _mm256_min_pd(s.lo[k], col[k][c]);
      s.hi[k] = _mm256_max_pd(s.hi[k], col[k][c]);
    }
}

// Rows first[0], first[-1], ... (4 x kGroups of them, lane j of group k is
// row first - 4k - j) summed from their last pixel to their first.
template <int kGroups>
KORVANE_WIDE_TARGET RowLanes<kGroups> SumRowLanes(std::uint8_t* const* rows, std::uint32_t top,
                                                  std::uint32_t width) {
  static const LumaTables t;
  const LumaWeights w = {_mm256_set1_pd(0.299), _mm256_set1_pd(0.587), _mm256_set1_pd(0.114)};
  RowLanes<kGroups> s;
  for (int k = 0; k < kGroups; ++k) {
    s.sum[k] = _mm256_setzero_pd();
    s.lo[k] = _mm256_set1_pd(1e9);
    s.hi[k] = _mm256_set1_pd(-1e9);
  }
  const std::uint8_t* p[kGroups][4];
  for (int k = 0; k < kGroups; ++k)
    for (int j = 0; j < 4; ++j) p[k][j] = rows[top - 4 * k - j];
  // Blocks of four from the third pixel on (a block's load starts 4 bytes
  // before it); the pixels past the last block, and the first two, a column
  // at a time.
  const std::uint32_t blocks = width > 2 ? (width - 2) / 4 : 0;
  const auto column = [&](std::uint32_t x) KORVANE_WIDE_TARGET {
    __m256d col[kGroups][4];
    for (int k = 0; k < kGroups; ++k)
      col[k][0] = _mm256_setr_pd(t.Luma(p[k][0] + 3 * x), t.Luma(p[k][1] + 3 * x), t.Luma(p[k][2] + 3 * x),
                                 t.Luma(p[k][3] + 3 * x));
    AddColumns(s, col, 1);
  };
  for (std::uint32_t x = width; x-- > 2 + blocks * 4;) column(x);
  for (std::uint32_t b = blocks; b-- > 0;) {
    __m256d col[kGroups][4];
    const std::size_t at = 6 + 12 * std::size_t{b};
    for (int k = 0; k < kGroups; ++k) {
      const __m256d l0 = LumaOf4(p[k][0] + at, w), l1 = LumaOf4(p[k][1] + at, w);
      const __m256d l2 = LumaOf4(p[k][2] + at, w), l3 = LumaOf4(p[k][3] + at, w);
      const __m256d t0 = _mm256_unpacklo_pd(l0, l1), t1 = _mm256_unpackhi_pd(l0, l1);
      const __m256d t2 = _mm256_unpacklo_pd(l2, l3), t3 = _mm256_unpackhi_pd(l2, l3);
      col[k][0] = _mm256_permute2f128_pd(t0, t2, 0x20);
      col[k][1] = _mm256_permute2f128_pd(t1, t3, 0x20);
      col[k][2] = _mm256_permute2f128_pd(t0, t2, 0x31);
      col[k][3] = _mm256_permute2f128_pd(t1, t3, 0x31);
    }
    AddColumns(s, col, 4);
  }
  if (width > 1) column(1);
  column(0);
  return s;
}

template <int kGroups>
KORVANE_WIDE_TARGET void TakeRowLanes(const RowLanes<kGroups>& s, std::uint32_t width, double& lo, double& hi,
                                      double& acc) {
  for (int k = 0; k < kGroups; ++k) {
    alignas(32) double sum[4], l[4], h[4];
    _mm256_store_pd(sum, s.sum[k]);
    _mm256_store_pd(l, s.lo[k]);
    _mm256_store_pd(h, s.hi[k]);
    for (int j = 0; j < 4; ++j) {
      acc += sum[j] / width;
      lo = l[j] < lo ? l[j] : lo;
      hi = h[j] > hi ? h[j] : hi;
    }
  }
}

KORVANE_WIDE_TARGET LevelStats ColorStatsWide(std::uint8_t* const* rows, std::uint32_t width, std::uint32_t height) {
  double lo = 1e9, hi = -1e9, acc = 0;
  std::uint32_t y = height;
  for (; y >= 8; y -= 8) TakeRowLanes(SumRowLanes<2>(rows, y - 1, width), width, lo, hi, acc);
  for (; y >= 4; y -= 4) TakeRowLanes(SumRowLanes<1>(rows, y - 1, width), width, lo, hi, acc);
  AddRowsOneByOne(rows, y, width, lo, hi, acc);
  return {lo, hi, acc / height};
}
#endif

double LevelFactor(std::int32_t mode) {
  switch (mode) {
    case 2: return 0.875;
    case 3: return 0.75;
    case 4: return 0.625;
    case 5: return 0.5;
    case 6: return 0.375;
    default: return 0.25;
  }
}

}  // namespace

ContrastBounds ContrastRange(double darkest, double brightest, double mean, std::int32_t mode) {
  ContrastBounds b;
  if (mode == 1) {
    b.low = darkest;
    b.high = brightest;
  } else {
    const double d = LevelFactor(mode);
    b.low = mean + (darkest - mean) * d;
    b.high = mean + d * (brightest - mean);
  }
  b.range = b.high - b.low;
  return b;
}

void ApplyContrast(std::uint8_t* const* rows, std::uint32_t width, std::uint32_t height,
                   bool singleChannel, std::int32_t mode) {
  if (mode == 0 || width == 0 || height == 0) return;
  LevelStats s;
  if (singleChannel) {
    s = GrayStats(rows, width, height);
  } else {
#if defined(__GNUC__) && defined(__x86_64__)
    s = WideCpu() ? ColorStatsWide(rows, width, height) : ColorStats(rows, width, height);
#else
    s = ColorStats(rows, width, height);
#endif
  }
  const ContrastBounds b = ContrastRange(s.darkest, s.brightest, s.mean, mode);
  const double scale = b.range / 255;

  // The mapping depends on the byte alone: one table for the whole picture.
  std::uint8_t map[256];
  for (int v = 0; v < 256; ++v) {
    if (v <= b.low) {
      map[v] = 0;
    } else if (v >= b.high) {
      map[v] = 255;
    } else {
      const double m = (v - b.low) / scale;
      map[v] = static_cast<std::uint8_t>(m >= 255 ? 255 : m);
    }
  }
  MapContrastBytes(rows, height, std::size_t{width} * (singleChannel ? 1 : 3), map, scale);
}

}  // namespace korvane
