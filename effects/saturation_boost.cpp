#include "effects/saturation_boost.h"

#include <cstddef>
#include <cstring>
#include <memory>
#include <new>

#include "effects/ieee_double.h"
#include "effects/wide_path.h"

#if defined(__GNUC__) && defined(__x86_64__)
#include <immintrin.h>
#endif

namespace korvane {
namespace {

struct BoostedPixel {
  std::uint8_t r, g, b;
};

BoostedPixel Boost(std::uint8_t R, std::uint8_t G, std::uint8_t B, double u) {
  const double r = R / 255.0, g = G / 255.0, b = B / 255.0;
  double mx = r, mn = r;
  if (g > mx) mx = g;
  if (b > mx) mx = b;
  if (g < mn) mn = g;
  if (b < mn) mn = b;
  const double d = mx - mn;
  double h;
  if (mx == r) {
    h = (g - b) / d;
  } else if (mx == g) {
    h = (b - r) / d + 2;
  } else {
    h = (r - g) / d + 4;
  }
  if (h < 0) h += 6;
  const double s = d / mx;
  double s2 = s * u + s;
  if (s2 > 1.0) s2 = 1.0;
  const double v = mx;
  int i = static_cast<int>(h);  // h >= 0: truncation is the floor
  if (i > 5) i = 5;
  const double f = h - i;
  const auto out = [](double x) { return static_cast<std::uint8_t>(x * 255); };
  const std::uint8_t vo = out(v);
  const std::uint8_t p = out((1 - s2) * v);
  switch (i) {
    case 0: return {vo, out((1 - (1 - f) * s2) * v), p};
    case 1: return {out((1 - f * s2) * v), vo, p};
    case 2: return {p, vo, out((1 - (1 - f) * s2) * v)};
    case 3: return {p, out((1 - f * s2) * v), vo};
    case 4: return {out((1 - (1 - f) * s2) * v), p, vo};
    default: return {vo, p, out((1 - f * s2) * v)};
  }
}

// The same steps, rearranged for speed with the same doubles: everything
// that depends on the largest and smallest byte alone (V, S', p) comes from
// tables, and the pixel's case (which channel is largest) and sector pick
// operands and outputs by index instead of by branches.
struct BoostTables {
  double level[256];                // v / 255
  std::uint8_t valueOut[256];       // V x 255, truncated
  double saturation[256 * 256];     // S' by (largest, smallest)
  std::uint8_t lowOut[256 * 256];   // p x 255, truncated

  explicit BoostTables(double u) {
    for (int v = 0; v < 256; ++v) {
      level[v] = v / 255.0;
      valueOut[v] = static_cast<std::uint8_t>(level[v] * 255);
    }
    for (int mx = 1; mx < 256; ++mx)
      for (int mn = 0; mn < mx; ++mn) {
        const double d = level[mx] - level[mn];
        const double s = d / level[mx];
        double s2 = s * u + s;
        if (s2 > 1.0) s2 = 1.0;
        saturation[mx * 256 + mn] = s2;
        lowOut[mx * 256 + mn] = static_cast<std::uint8_t>((1 - s2) * level[mx] * 255);
      }
  }
};

// Output slot of R, G, B per sector: 0 = V, 1 = p, 2 = q, 3 = t.
constexpr std::uint8_t kSectorSlots[6][3] = {{0, 3, 1}, {2, 0, 1}, {1, 0, 3}, {1, 2, 0}, {3, 1, 0}, {0, 1, 2}};

// One set of tables per strength, built on first use and kept for the life
// of the process (the batch and the preview share them read-only; the build
// is thread-safe). They are never destroyed, so a batch thread still running
// while the process ends cannot lose them.
const BoostTables* TablesFor(int strength) {
  static const BoostTables* const tables[4] = {
      new (std::nothrow) BoostTables(0.1), new (std::nothrow) BoostTables(0.2),
      new (std::nothrow) BoostTables(0.3), new (std::nothrow) BoostTables(0.4)};
  return tables[strength - 1];
}

// Photographs repeat colours a lot: a direct-mapped cache of results by
// colour, 2^17 to 2^18 slots of four bytes (1 MB for large pictures, where
// 96% of a camera picture's pixels hit it). A colour 0x00BBGGRR is mixed by
// an odd multiplier modulo 2^24, which is one-to-one: the top bits of the
// mix choose the slot and the rest, the tag, tell which colour is there, so
// a slot holds the tag in its top byte and the result's bytes below it.
constexpr std::uint32_t kEmptySlot = 0xFF000000u;  // tags have at most 7 bits
constexpr std::uint32_t kMixer = 2654435761u;      // odd

std::uint32_t KeyOf(const std::uint8_t* px) {
  return px[0] | (std::uint32_t{px[1]} << 8) | (std::uint32_t{px[2]} << 16);
}

struct ColorCache {
  std::unique_ptr<std::uint32_t[]> slots;
  int bits = 0;  // slot index bits; the tag has 24 - bits
  std::uint32_t Mix(std::uint32_t key) const { return (key * kMixer) & 0xFFFFFF; }
  std::uint32_t* SlotOf(std::uint32_t key) const { return &slots[Mix(key) >> (24 - bits)]; }
  std::uint32_t Tagged(std::uint32_t key, std::uint32_t rgb) const {
    return ((Mix(key) & ((1u << (24 - bits)) - 1)) << 24) | rgb;
  }
};

ColorCache MakeCache(std::uint64_t pixels) {
  ColorCache c;
  c.bits = 17;
  while (c.bits < 18 && (std::uint64_t{1} << (c.bits + 2)) < pixels) ++c.bits;
  c.slots.reset(new (std::nothrow) std::uint32_t[std::size_t{1} << c.bits]);
  if (c.slots)
    for (std::size_t i = 0; i < (std::size_t{1} << c.bits); ++i) c.slots[i] = kEmptySlot;
  return c;
}

// One pixel: from the cache when its colour is there, else by the tables'
// steps, and then kept.
struct PixelBooster {
  const BoostTables* t;
  const ColorCache* cache;

  void operator()(std::uint8_t* px) const {
    const unsigned R = px[0], G = px[1], B = px[2];
    if (R == G && G == B) return;  // grey stays grey
    const std::uint32_t key = KeyOf(px);
    std::uint32_t* slot = nullptr;
    if (cache->slots) {
      slot = cache->SlotOf(key);
      if (*slot >> 24 == cache->Tagged(key, 0) >> 24) {
        px[0] = static_cast<std::uint8_t>(*slot);
        px[1] = static_cast<std::uint8_t>(*slot >> 8);
        px[2] = static_cast<std::uint8_t>(*slot >> 16);
        return;
      }
    }
    const unsigned mx = R > G ? (R > B ? R : B) : (G > B ? G : B);
    const unsigned mn = R < G ? (R < B ? R : B) : (G < B ? G : B);
    // Hue numerator by the first largest channel, tested red first.
    const unsigned which = R == mx ? 0 : (G == mx ? 1 : 2);
    const unsigned a = which == 0 ? G : (which == 1 ? B : R);
    const unsigned b = which == 0 ? B : (which == 1 ? R : G);
    static constexpr double kOffsets[3] = {0, 2, 4};
    const double d = t->level[mx] - t->level[mn];
    double h = (t->level[a] - t->level[b]) / d + kOffsets[which];  // + 0 changes nothing
    h += h < 0 ? 6.0 : 0.0;
    int i = static_cast<int>(h);
    i = i > 5 ? 5 : i;
    const double f = h - i;
    const double s2 = t->saturation[mx * 256 + mn], v = t->level[mx];
    // The four candidates packed in one word, picked by shifts.
    const std::uint32_t out = t->valueOut[mx] | (std::uint32_t{t->lowOut[mx * 256 + mn]} << 8) |
                              (static_cast<std::uint32_t>((1 - f * s2) * v * 255) << 16) |
                              (static_cast<std::uint32_t>((1 - (1 - f) * s2) * v * 255) << 24);
    px[0] = static_cast<std::uint8_t>(out >> (8 * kSectorSlots[i][0]));
    px[1] = static_cast<std::uint8_t>(out >> (8 * kSectorSlots[i][1]));
    px[2] = static_cast<std::uint8_t>(out >> (8 * kSectorSlots[i][2]));
    if (slot) *slot = cache->Tagged(key, KeyOf(px));
  }
};

#if defined(__GNUC__) && defined(__x86_64__)
// Four doubles from a table (the masked form: every lane is loaded).
KORVANE_WIDE_TARGET KORVANE_ALWAYS_INLINE __m256d Gather(const double* table, __m128i index) {
  return _mm256_mask_i32gather_pd(_mm256_setzero_pd(), table, index, _mm256_castsi256_pd(_mm256_set1_epi64x(-1)), 8);
}

// Four colours missing from the cache worked out side by side: the same
// doubles as PixelBooster's steps, lane by lane, then picked and kept one by
// one.
KORVANE_WIDE_TARGET void BoostFourWide(std::uint8_t* const* px, const PixelBooster& one) {
  const BoostTables& t = *one.t;
  const __m128i key = _mm_setr_epi32(static_cast<int>(KeyOf(px[0])), static_cast<int>(KeyOf(px[1])),
                                     static_cast<int>(KeyOf(px[2])), static_cast<int>(KeyOf(px[3])));
  const __m128i low = _mm_set1_epi32(0xFF);
  const __m128i R = _mm_and_si128(key, low), G = _mm_and_si128(_mm_srli_epi32(key, 8), low);
  const __m128i B = _mm_srli_epi32(key, 16);
  const __m128i mx = _mm_max_epi32(R, _mm_max_epi32(G, B)), mn = _mm_min_epi32(R, _mm_min_epi32(G, B));
  // The first largest channel, tested red first, picks the hue numerator.
  const __m128i redTop = _mm_cmpeq_epi32(R, mx);
  const __m128i greenTop = _mm_andnot_si128(redTop, _mm_cmpeq_epi32(G, mx));
  const __m128i a = _mm_blendv_epi8(_mm_blendv_epi8(R, B, greenTop), G, redTop);
  const __m128i b = _mm_blendv_epi8(_mm_blendv_epi8(G, R, greenTop), B, redTop);
  const __m128i which2 = _mm_blendv_epi8(_mm_blendv_epi8(_mm_set1_epi32(4), _mm_set1_epi32(2), greenTop),
                                         _mm_setzero_si128(), redTop);
  const __m256d levelMax = Gather(t.level, mx);
  const __m256d d = _mm256_sub_pd(levelMax, Gather(t.level, mn));
  const __m256d numerator = _mm256_sub_pd(Gather(t.level, a), Gather(t.level, b));
  __m256d h = _mm256_add_pd(_mm256_div_pd(numerator, d), _mm256_cvtepi32_pd(which2));
  h = _mm256_add_pd(h, _mm256_and_pd(_mm256_cmp_pd(h, _mm256_setzero_pd(), _CMP_LT_OQ), _mm256_set1_pd(6.0)));
  const __m128i sector = _mm_min_epi32(_mm256_cvttpd_epi32(h), _mm_set1_epi32(5));
  const __m256d f = _mm256_sub_pd(h, _mm256_cvtepi32_pd(sector));
  const __m128i pair = _mm_add_epi32(_mm_slli_epi32(mx, 8), mn);
  const __m256d s2 = Gather(t.saturation, pair);
  const __m256d one1 = _mm256_set1_pd(1.0), full = _mm256_set1_pd(255.0);
  const __m256d q = _mm256_mul_pd(_mm256_mul_pd(_mm256_sub_pd(one1, _mm256_mul_pd(f, s2)), levelMax), full);
  const __m256d tt = _mm256_mul_pd(
      _mm256_mul_pd(_mm256_sub_pd(one1, _mm256_mul_pd(_mm256_sub_pd(one1, f), s2)), levelMax), full);
  alignas(16) std::int32_t qs[4], ts[4], sectors[4], maxes[4], pairs[4];
  _mm_store_si128(reinterpret_cast<__m128i*>(qs), _mm256_cvttpd_epi32(q));
  _mm_store_si128(reinterpret_cast<__m128i*>(ts), _mm256_cvttpd_epi32(tt));
  _mm_store_si128(reinterpret_cast<__m128i*>(sectors), sector);
  _mm_store_si128(reinterpret_cast<__m128i*>(maxes), mx);
  _mm_store_si128(reinterpret_cast<__m128i*>(pairs), pair);
  for (int k = 0; k < 4; ++k) {
    const std::uint32_t out = t.valueOut[maxes[k]] | (std::uint32_t{t.lowOut[pairs[k]]} << 8) |
                              (static_cast<std::uint32_t>(qs[k]) << 16) | (static_cast<std::uint32_t>(ts[k]) << 24);
    const std::uint32_t k0 = KeyOf(px[k]);
    const std::uint8_t* slots = kSectorSlots[sectors[k]];
    px[k][0] = static_cast<std::uint8_t>(out >> (8 * slots[0]));
    px[k][1] = static_cast<std::uint8_t>(out >> (8 * slots[1]));
    px[k][2] = static_cast<std::uint8_t>(out >> (8 * slots[2]));
    *one.cache->SlotOf(k0) = one.cache->Tagged(k0, KeyOf(px[k]));
  }
}

// Eight pixels at a time: their keys and cache slots by vector gathers, the
// hits written at once; the colours not in the cache are gathered four at a
// time for BoostFourWide. Stops where fewer than ten pixels are left (the
// loads read four bytes past the eighth pixel) and finishes the waiting ones.
KORVANE_WIDE_TARGET std::uint32_t BoostGroupsWide(std::uint8_t* row, std::uint32_t width,
                                                  const PixelBooster& one) {
  const __m256i pick = _mm256_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1,  //
                                        0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
  const __m256i back = _mm256_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1,  //
                                        0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
  const __m256i mixer = _mm256_set1_epi32(static_cast<int>(kMixer));
  const __m256i low = _mm256_set1_epi32(0xFF), low24 = _mm256_set1_epi32(0xFFFFFF);
  const __m256i tagMask = _mm256_set1_epi32((1 << (24 - one.cache->bits)) - 1);
  const __m128i shift = _mm_cvtsi32_si128(24 - one.cache->bits);
  const int* base = reinterpret_cast<const int*>(one.cache->slots.get());
  std::uint8_t* waiting[4];
  int waitingCount = 0;
  std::uint32_t x = 0;
  for (; x + 10 <= width; x += 8) {
    std::uint8_t* p = row + 3 * std::size_t{x};
    const __m256i bytes = _mm256_inserti128_si256(
        _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))),
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 12)), 1);
    const __m256i key = _mm256_shuffle_epi8(bytes, pick);
    const __m256i r = _mm256_and_si256(key, low), g = _mm256_and_si256(_mm256_srli_epi32(key, 8), low);
    const __m256i grey = _mm256_and_si256(_mm256_cmpeq_epi32(r, g), _mm256_cmpeq_epi32(g, _mm256_srli_epi32(key, 16)));
    const __m256i mix = _mm256_and_si256(_mm256_mullo_epi32(key, mixer), low24);
    const __m256i slot = _mm256_mask_i32gather_epi32(_mm256_setzero_si256(), base, _mm256_srl_epi32(mix, shift),
                                                     _mm256_set1_epi32(-1), 4);
    // greys are never kept
    const __m256i hit = _mm256_cmpeq_epi32(_mm256_srli_epi32(slot, 24), _mm256_and_si256(mix, tagMask));
    const __m256i packed = _mm256_shuffle_epi8(_mm256_blendv_epi8(key, slot, hit), back);
    // The first half's four spare bytes are overwritten by the second half;
    // pixels not found keep their bytes until they are worked out.
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), _mm256_castsi256_si128(packed));
    const __m128i second = _mm256_extracti128_si256(packed, 1);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(p + 12), second);
    const std::uint32_t last = static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(second, 8)));
    std::memcpy(p + 20, &last, 4);
    const int found = _mm256_movemask_ps(_mm256_castsi256_ps(_mm256_or_si256(hit, grey)));
    unsigned missing = ~static_cast<unsigned>(found) & 0xFF;
    for (; missing != 0; missing &= missing - 1) {
      waiting[waitingCount++] = p + 3 * __builtin_ctz(missing);
      if (waitingCount == 4) {
        BoostFourWide(waiting, one);
        waitingCount = 0;
      }
    }
  }
  for (int k = 0; k < waitingCount; ++k) one(waiting[k]);
  return x;
}
#endif

}  // namespace

void ApplySaturationBoost(std::uint8_t* const* rows, std::uint32_t width, std::uint32_t height, int strength) {
  if (strength < 1 || strength > 4) return;
  const double u = strength == 1 ? 0.1 : (strength == 2 ? 0.2 : (strength == 3 ? 0.3 : 0.4));
  const BoostTables* t = TablesFor(strength);
  if (!t) {  // no memory for the tables: the plain steps
    for (std::uint32_t y = 0; y < height; ++y)
      for (std::uint8_t *px = rows[y], *end = px + std::size_t{width} * 3; px != end; px += 3) {
        if (px[0] == px[1] && px[1] == px[2]) continue;
        const BoostedPixel b = Boost(px[0], px[1], px[2], u);
        px[0] = b.r, px[1] = b.g, px[2] = b.b;
      }
    return;
  }
  const ColorCache cache = MakeCache(std::uint64_t{width} * height);
  const PixelBooster one{t, &cache};
  for (std::uint32_t y = 0; y < height; ++y) {
    std::uint8_t* row = rows[y];
    std::uint32_t x = 0;
#if defined(__GNUC__) && defined(__x86_64__)
    if (cache.slots && WideCpu()) x = BoostGroupsWide(row, width, one);
#endif
    // The cache is larger than the processor's nearest caches: each pixel's
    // slot is fetched while the pixels before it are worked on.
    if (cache.slots)
      for (; x + 32 < width; ++x) {
        __builtin_prefetch(cache.SlotOf(KeyOf(row + 3 * std::size_t{x + 32})));
        one(row + 3 * std::size_t{x});
      }
    for (; x < width; ++x) one(row + 3 * std::size_t{x});
  }
}

}  // namespace korvane
