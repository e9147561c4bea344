#include "effects/contrast.h"

#include <cstddef>

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
  while (y-- > 0) {
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
  return {lo, hi, acc / height};
}

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

void MapRows(std::uint8_t* const* rows, std::uint32_t height, std::size_t rowBytes, const std::uint8_t* map) {
  for (std::uint32_t y = 0; y < height; ++y) {
    std::uint8_t* p = rows[y];
    for (std::size_t i = 0; i < rowBytes; ++i) p[i] = map[p[i]];
  }
}

// The table is non-decreasing: sixteenths before `first` are all 0 and
// those from `fullFrom` on all 255 (a comparison gives them).
struct TableParts {
  int first = 0;
  int fullFrom = 16;
};

[[maybe_unused]] TableParts PartsOf(const std::uint8_t* map) {
  TableParts t;
  while (t.first < 16 && map[16 * t.first + 15] == 0) ++t.first;
  while (t.fullFrom > t.first && map[16 * (t.fullFrom - 1)] == 255) --t.fullFrom;
  return t;
}

// The 256-byte table as 16 byte shuffles: for the k-th sixteenth, bytes
// v - 16k in 0..15 become 0x70..0x7F after a saturating add (a shuffle uses
// their low four bits), every other byte 0x80 or more (a shuffle gives 0).
#if defined(__GNUC__) && defined(__x86_64__)
// Most tables are also given by single-precision arithmetic:
// clamp(trunc((v - low) x k), 0, 255). That form is used only when it gives
// every one of the 256 entries exactly.
struct FloatForm {
  bool exact = false;
  float low = 0, k = 0;
};

FloatForm FloatFormOf(const std::uint8_t* map, double low, double scale) {
  FloatForm f;
  if (!(scale > 0)) return f;
  f.low = static_cast<float>(low);
  f.k = static_cast<float>(1.0 / scale);
  for (int v = 0; v < 256; ++v) {
    const float x = (static_cast<float>(v) - f.low) * f.k;
    const int t = x < -1e9f ? -1 : (x > 1e9f ? 256 : static_cast<int>(x));
    if ((t < 0 ? 0 : (t > 255 ? 255 : t)) != map[v]) return f;
  }
  f.exact = true;
  return f;
}

KORVANE_WIDE_TARGET void MapRowsFloat(std::uint8_t* const* rows, std::uint32_t height, std::size_t rowBytes,
                                      const std::uint8_t* map, FloatForm f) {
  const __m256 low = _mm256_set1_ps(f.low), k = _mm256_set1_ps(f.k);
  const __m256i order = _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7);
  const auto level = [low, k](__m128i bytes) KORVANE_WIDE_TARGET {
    const __m256 x = _mm256_mul_ps(_mm256_sub_ps(_mm256_cvtepi32_ps(_mm256_cvtepu8_epi32(bytes)), low), k);
    return _mm256_cvttps_epi32(x);
  };
  for (std::uint32_t y = 0; y < height; ++y) {
    std::uint8_t* p = rows[y];
    std::size_t i = 0;
    for (; i + 32 <= rowBytes; i += 32) {
      const __m128i lo = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
      const __m128i hi = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 16));
      const __m256i a = level(lo), b = level(_mm_srli_si128(lo, 8));
      const __m256i c = level(hi), d = level(_mm_srli_si128(hi, 8));
      // Saturating packs clamp to 0..255; the permutation undoes their lane order.
      const __m256i bytes = _mm256_packus_epi16(_mm256_packs_epi32(a, b), _mm256_packs_epi32(c, d));
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(p + i), _mm256_permutevar8x32_epi32(bytes, order));
    }
    for (; i < rowBytes; ++i) p[i] = map[p[i]];
  }
}

KORVANE_WIDE_TARGET void MapRowsWide(std::uint8_t* const* rows, std::uint32_t height, std::size_t rowBytes,
                                     const std::uint8_t* map) {
  const TableParts t = PartsOf(map);
  __m256i part[16];
  for (int k = 0; k < 16; ++k)
    part[k] = _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(map + 16 * k)));
  const __m256i bias = _mm256_set1_epi8(0x70);
  const __m256i top = _mm256_set1_epi8(static_cast<char>(t.fullFrom == 16 ? 255 : 16 * t.fullFrom));
  const bool anyFull = t.fullFrom < 16;
  for (std::uint32_t y = 0; y < height; ++y) {
    std::uint8_t* p = rows[y];
    std::size_t i = 0;
    for (; i + 32 <= rowBytes; i += 32) {
      const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + i));
      __m256i out = anyFull ? _mm256_cmpeq_epi8(_mm256_max_epu8(v, top), v) : _mm256_setzero_si256();
      for (int k = t.first; k < t.fullFrom; ++k) {
        const __m256i idx = _mm256_adds_epu8(_mm256_sub_epi8(v, _mm256_set1_epi8(static_cast<char>(16 * k))), bias);
        out = _mm256_or_si256(out, _mm256_shuffle_epi8(part[k], idx));
      }
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(p + i), out);
    }
    for (; i < rowBytes; ++i) p[i] = map[p[i]];
  }
}
#elif defined(__GNUC__) && defined(__i386__)
KORVANE_WIDE_TARGET void MapRowsWide(std::uint8_t* const* rows, std::uint32_t height, std::size_t rowBytes,
                                     const std::uint8_t* map) {
  const TableParts t = PartsOf(map);
  __m128i part[16];
  for (int k = 0; k < 16; ++k) part[k] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(map + 16 * k));
  const __m128i bias = _mm_set1_epi8(0x70);
  const __m128i top = _mm_set1_epi8(static_cast<char>(t.fullFrom == 16 ? 255 : 16 * t.fullFrom));
  const bool anyFull = t.fullFrom < 16;
  for (std::uint32_t y = 0; y < height; ++y) {
    std::uint8_t* p = rows[y];
    std::size_t i = 0;
    for (; i + 16 <= rowBytes; i += 16) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
      __m128i out = anyFull ? _mm_cmpeq_epi8(_mm_max_epu8(v, top), v) : _mm_setzero_si128();
      for (int k = t.first; k < t.fullFrom; ++k) {
        const __m128i idx = _mm_adds_epu8(_mm_sub_epi8(v, _mm_set1_epi8(static_cast<char>(16 * k))), bias);
        out = _mm_or_si128(out, _mm_shuffle_epi8(part[k], idx));
      }
      _mm_storeu_si128(reinterpret_cast<__m128i*>(p + i), out);
    }
    for (; i < rowBytes; ++i) p[i] = map[p[i]];
  }
}
#else
void MapRowsWide(std::uint8_t* const* rows, std::uint32_t height, std::size_t rowBytes, const std::uint8_t* map) {
  MapRows(rows, height, rowBytes, map);
}
#endif

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
  const LevelStats s =
      singleChannel ? GrayStats(rows, width, height) : ColorStats(rows, width, height);
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
  const std::size_t rowBytes = std::size_t{width} * (singleChannel ? 1 : 3);
  if (WideCpu()) {
#if defined(__GNUC__) && defined(__x86_64__)
    // A few sixteenths of shuffles beat the arithmetic; many do not.
    const TableParts parts = PartsOf(map);
    if (parts.fullFrom - parts.first > 4) {
      const FloatForm f = FloatFormOf(map, b.low, scale);
      if (f.exact) return MapRowsFloat(rows, height, rowBytes, map, f);
    }
#endif
    MapRowsWide(rows, height, rowBytes, map);
  } else {
    MapRows(rows, height, rowBytes, map);
  }
}

}  // namespace korvane
