#include "effects/contrast_map.h"

#include "effects/ieee_double.h"
#include "effects/wide_path.h"

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>
#define KORVANE_MAP_VECTORS 1
#endif

namespace korvane {
namespace {

void MapRows(std::uint8_t* const* rows, std::uint32_t height, std::size_t rowBytes, const std::uint8_t* map) {
  for (std::uint32_t y = 0; y < height; ++y) {
    std::uint8_t* p = rows[y];
    for (std::size_t i = 0; i < rowBytes; ++i) p[i] = map[p[i]];
  }
}

bool IsIdentity(const std::uint8_t* map) {
  for (int v = 0; v < 256; ++v)
    if (map[v] != v) return false;
  return true;
}

int FixedPointValue(int v, const FixedPointMap& f) {
  const int x = static_cast<int>((std::uint32_t(v) * 256 * f.multiplier) >> 16);
  const int r = (x > f.offset ? x - f.offset : 0) >> f.shift;
  return r > 255 ? 255 : r;
}

#ifdef KORVANE_MAP_VECTORS
// The table is non-decreasing: sixteenths before `first` are all 0 and
// those from `fullFrom` on all 255 (a comparison gives them).
struct TableParts {
  int first = 0;
  int fullFrom = 16;
};

TableParts PartsOf(const std::uint8_t* map) {
  TableParts t;
  while (t.first < 16 && map[16 * t.first + 15] == 0) ++t.first;
  while (t.fullFrom > t.first && map[16 * (t.fullFrom - 1)] == 255) --t.fullFrom;
  return t;
}

// Sixteen bytes by the fixed-point form: the bytes widened to v x 256 in
// 16-bit lanes, the high half of the product, a saturating subtraction
// (clamps at 0), a shift, and a saturating pack (clamps at 255).
KORVANE_WIDE_TARGET KORVANE_ALWAYS_INLINE __m128i FixedPoint16(__m128i v, __m128i mul, __m128i off, int shift) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i lo = _mm_srli_epi16(_mm_subs_epu16(_mm_mulhi_epu16(_mm_unpacklo_epi8(zero, v), mul), off), shift);
  const __m128i hi = _mm_srli_epi16(_mm_subs_epu16(_mm_mulhi_epu16(_mm_unpackhi_epi8(zero, v), mul), off), shift);
  return _mm_packus_epi16(lo, hi);
}

KORVANE_WIDE_TARGET void MapRowsFixedPoint(std::uint8_t* const* rows, std::uint32_t height, std::size_t rowBytes,
                                           const std::uint8_t* map, FixedPointMap f) {
  const __m128i mul = _mm_set1_epi16(static_cast<short>(f.multiplier));
  const __m128i off = _mm_set1_epi16(static_cast<short>(f.offset));
#if defined(__x86_64__)
  const __m256i mul2 = _mm256_set1_epi16(static_cast<short>(f.multiplier));
  const __m256i off2 = _mm256_set1_epi16(static_cast<short>(f.offset));
  const __m128i count = _mm_cvtsi32_si128(f.shift);
#endif
  for (std::uint32_t y = 0; y < height; ++y) {
    std::uint8_t* p = rows[y];
    std::size_t i = 0;
#if defined(__x86_64__)
    // Unpacking and packing both work within 128-bit halves, so the bytes
    // come back in their order.
    const __m256i zero = _mm256_setzero_si256();
    for (; i + 32 <= rowBytes; i += 32) {
      const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + i));
      const __m256i lo = _mm256_srl_epi16(
          _mm256_subs_epu16(_mm256_mulhi_epu16(_mm256_unpacklo_epi8(zero, v), mul2), off2), count);
      const __m256i hi = _mm256_srl_epi16(
          _mm256_subs_epu16(_mm256_mulhi_epu16(_mm256_unpackhi_epi8(zero, v), mul2), off2), count);
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(p + i), _mm256_packus_epi16(lo, hi));
    }
#endif
    for (; i + 16 <= rowBytes; i += 16) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(p + i), FixedPoint16(v, mul, off, f.shift));
    }
    for (; i < rowBytes; ++i) p[i] = map[p[i]];
  }
}

// The 256-byte table as 16 byte shuffles: for the k-th sixteenth, bytes
// v - 16k in 0..15 become 0x70..0x7F after a saturating add (a shuffle uses
// their low four bits), every other byte 0x80 or more (a shuffle gives 0).
KORVANE_WIDE_TARGET void MapRowsShuffles(std::uint8_t* const* rows, std::uint32_t height, std::size_t rowBytes,
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
#endif

}  // namespace

FixedPointMap FixedPointMapOf(const std::uint8_t* map, double scale) {
  FixedPointMap best;
  if (!(scale > 0)) return best;
  // For each shift, multipliers near 2^(shift + 8) / scale; for each of
  // those, every entry bounds the offset from both sides, and any offset in
  // the remaining interval is exact.
  for (int shift = 8; shift >= 1; --shift) {
    const double centre = (1.0 / scale) * static_cast<double>(1 << (shift + 8));
    if (centre > 65535) continue;
    for (int step = 0; step <= 512; ++step) {
      const long candidate = static_cast<long>(centre) + ((step & 1) ? -(step + 1) / 2 : step / 2);
      if (candidate < 1 || candidate > 65535) continue;
      long lowest = 0, highest = 65535;
      for (int v = 0; v < 256 && lowest <= highest; ++v) {
        const long x = (static_cast<long>(v) * 256 * candidate) >> 16;
        const long m = map[v];
        if (m == 0) {
          lowest = x - (1L << shift) + 1 > lowest ? x - (1L << shift) + 1 : lowest;
        } else if (m < 255) {
          const long a = x - ((m + 1) << shift) + 1, b = x - (m << shift);
          lowest = a > lowest ? a : lowest;
          highest = b < highest ? b : highest;
        } else {
          const long b = x - (255L << shift);
          highest = b < highest ? b : highest;
        }
      }
      if (lowest > highest) continue;
      FixedPointMap f;
      f.multiplier = static_cast<std::uint16_t>(candidate);
      f.offset = static_cast<std::uint16_t>(lowest);
      f.shift = shift;
      bool same = true;  // the bounds say so; the table has the last word
      for (int v = 0; v < 256 && same; ++v) same = FixedPointValue(v, f) == map[v];
      if (!same) continue;
      f.exact = true;
      return f;
    }
  }
  return best;
}

void MapContrastBytes(std::uint8_t* const* rows, std::uint32_t height, std::size_t rowBytes,
                      const std::uint8_t* map, double scale) {
  if (IsIdentity(map)) return;  // a picture that already spans 0..255
#ifdef KORVANE_MAP_VECTORS
  if (WideCpu()) {
    const FixedPointMap f = FixedPointMapOf(map, scale);
    if (f.exact) return MapRowsFixedPoint(rows, height, rowBytes, map, f);
    return MapRowsShuffles(rows, height, rowBytes, map);
  }
#endif
  MapRows(rows, height, rowBytes, map);
}

}  // namespace korvane
