#include "effects/vignette.h"

#include <cmath>
#include <cstring>
#include <mutex>
#include <new>

#include "effects/ieee_double.h"
#include "effects/wide_path.h"

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>
#endif

namespace korvane {
namespace {

struct Geometry {
  std::int32_t offset;  // lines of pure colour outside the fade (negative: beyond the edge)
  std::int32_t band;    // lines of fade
};

Geometry GeometryFor(std::int32_t shape, std::int32_t thickness, std::int32_t m) {
  if (thickness < kThicknessThin || thickness > kThicknessThick) thickness = kThicknessThin;
  if (shape == kShapeFrame) {
    if (thickness == kThicknessThin) return {0, m >> 3};
    if (thickness == kThicknessMedium) return {m >> 5, m >> 3};
    return {m >> 4, (m >> 3) + (m >> 4)};
  }
  if (shape == kShapeOuterEllipse) {
    if (thickness == kThicknessThin) return {-(m >> 2), m >> 1};
    if (thickness == kThicknessMedium) return {-(m >> 3), m >> 1};
    return {-(m >> 4), m >> 1};
  }
  if (thickness == kThicknessThin) return {0, m >> 3};
  if (thickness == kThicknessMedium) return {0, (m >> 4) + (m >> 3)};
  return {0, m >> 2};
}

// ramp[i] = 255 sin(i (pi/2) / L), i = 0..L: 0 at the band's outer line.
std::unique_ptr<std::uint8_t[]> MakeRamp(std::int32_t band) {
  std::unique_ptr<std::uint8_t[]> ramp(new (std::nothrow) std::uint8_t[static_cast<std::size_t>(band) + 1]);
  if (!ramp) return ramp;
  for (std::int32_t i = 0; i <= band; ++i) {
    const double angle = i * 1.5707963267948966 / band;
    ramp[i] = static_cast<std::uint8_t>(255 * std::sin(angle));
  }
  return ramp;
}

// floor(sqrt(n)), exactly.
std::int64_t IntegerSqrt(std::int64_t n) {
  std::int64_t r = static_cast<std::int64_t>(std::sqrt(static_cast<double>(n)));
  while (r * r > n) --r;
  while ((r + 1) * (r + 1) <= n) ++r;
  return r;
}

void BuildFrame(std::uint8_t* const* m, std::int32_t w, std::int32_t h, Geometry g,
                const std::uint8_t* ramp) {
  const std::int32_t o = g.offset, L = g.band, s = o + L;
  for (std::int32_t r = s; r <= h - s - 1; ++r) std::memset(m[r] + s, 255, static_cast<std::size_t>(w - 2 * s));
  for (std::int32_t d = o; d < s; ++d) {
    const std::uint8_t v = ramp[d - o];
    if (w - 2 * s > 0) {
      std::memset(m[d] + s, v, static_cast<std::size_t>(w - 2 * s));
      std::memset(m[h - 1 - d] + s, v, static_cast<std::size_t>(w - 2 * s));
    }
  }
  for (std::int32_t r = s; r <= h - s - 1; ++r) {
    for (std::int32_t d = o; d < s; ++d) {
      m[r][d] = ramp[d - o];
      m[r][w - 1 - d] = ramp[d - o];
    }
  }
  // Corners: quarter circles around the inner corner points, by integer
  // square roots of the squared distance.
  for (std::int32_t dr = o; dr < s; ++dr) {
    const std::int64_t ry = s - 1 - dr;
    for (std::int32_t dc = o; dc < s; ++dc) {
      const std::int64_t rx = s - 1 - dc;
      std::int64_t k = IntegerSqrt(rx * rx + ry * ry);
      if (k > L - 1) k = L - 1;
      const std::uint8_t v = ramp[L - 1 - k];
      m[dr][dc] = v;
      m[dr][w - 1 - dc] = v;
      m[h - 1 - dr][dc] = v;
      m[h - 1 - dr][w - 1 - dc] = v;
    }
  }
}

// The ellipses, drawn along "lines": rows when the picture is at least as
// wide as high, columns otherwise (the mask is then the transpose of the
// wide case). Every span an ellipse writes in a line is centred the same
// way, so what the earlier ellipses covered in a line is always one span
// [covered, length - 1 - covered]; a ring fills exactly its span minus that.
template <bool kColumns>
class EllipseBuilder {
 public:
  EllipseBuilder(std::uint8_t* const* m, std::int32_t length, std::int32_t lines, std::int32_t* covered)
      : m_(m), length_(length), lines_(lines), covered_(covered) {
    for (std::int32_t i = 0; i < lines; ++i) covered_[i] = length;  // nothing yet
  }

  void Draw(std::int64_t semiAlong, std::int64_t semiAcross, std::uint8_t v) {
    const std::int32_t c = length_ / 2, cl = lines_ / 2;
    const double along2 = static_cast<double>(semiAlong * semiAlong);
    const double across2 = static_cast<double>(semiAcross * semiAcross);
    for (std::int64_t y = 0; y <= cl && y < semiAcross; ++y) {
      const double reach = std::sqrt((1 - static_cast<double>(y * y) / across2) * along2);
      std::int64_t e = static_cast<std::int64_t>(reach);
      if (e > c) e = c;
      const std::int32_t lo = c - static_cast<std::int32_t>(e);
      Fill(cl - static_cast<std::int32_t>(y), lo, v);
      Fill(lines_ - cl + static_cast<std::int32_t>(y) - 1, lo, v);
    }
  }

 private:
  void Fill(std::int32_t line, std::int32_t lo, std::uint8_t v) {
    const std::int32_t old = covered_[line];
    if (lo >= old) return;
    // A ring of value 0 leaves the mask as it was, and later rings may
    // still write there.
    if (v == 0) return;
    const std::int32_t half = (length_ + 1) / 2;
    const std::int32_t leftEnd = old < half ? old : half;  // exclusive
    for (std::int32_t x = lo; x < leftEnd; ++x) Set(line, x, v);
    for (std::int32_t x = length_ - leftEnd; x <= length_ - 1 - lo; ++x) Set(line, x, v);
    covered_[line] = lo;
  }

  void Set(std::int32_t line, std::int32_t pos, std::uint8_t v) {
    if (kColumns) {
      m_[pos][line] = v;
    } else {
      m_[line][pos] = v;
    }
  }

  std::uint8_t* const* m_;
  std::int32_t length_, lines_;
  std::int32_t* covered_;
};

template <bool kColumns>
bool BuildEllipse(std::uint8_t* const* m, std::int32_t length, std::int32_t lines, Geometry g,
                  const std::uint8_t* ramp) {
  std::unique_ptr<std::int32_t[]> covered(new (std::nothrow) std::int32_t[static_cast<std::size_t>(lines)]);
  if (!covered) return false;
  EllipseBuilder<kColumns> e(m, length, lines, covered.get());
  const std::int64_t a = length / 2 - g.band - g.offset;
  const std::int64_t b = lines / 2 - g.band - g.offset;
  e.Draw(a, b, 255);
  for (std::int32_t j = 1; j <= g.band - 1; ++j) e.Draw(a + j, b + j, ramp[g.band - 1 - j]);
  return true;
}

void FindKeepRuns(VignetteMask& mask) {
  const std::uint32_t w = static_cast<std::uint32_t>(mask.width);
  for (std::int32_t y = 0; y < mask.height; ++y) {
    const std::uint8_t* r = mask.rows.rows()[y];
    std::uint32_t best = 0, bestEnd = 0;
    for (std::uint32_t x = 0; x < w;) {
      if (r[x] != 255) {
        ++x;
        continue;
      }
      std::uint32_t end = x;
      while (end < w && r[end] == 255) ++end;
      if (end - x > bestEnd - best) {
        best = x;
        bestEnd = end;
      }
      x = end;
    }
    mask.keepBegin[y] = best;
    mask.keepEnd[y] = bestEnd;
  }
}

// One byte of the blend: 255 keeps it, 0 takes the colour, others mix.
// At most 255 x 255: 16-bit arithmetic is exact.
KORVANE_ALWAYS_INLINE std::uint8_t BlendByte(std::uint8_t p, std::uint8_t k, std::uint8_t c) {
  const auto mixed = static_cast<std::uint16_t>(static_cast<std::uint16_t>((255 - k) * c) +
                                                static_cast<std::uint16_t>(p * k));
  const auto m = static_cast<std::uint8_t>(mixed >> 8);
  return k == 255 ? p : (k == 0 ? c : m);
}

// Blends bytes [from, to) of a row. For colour pictures the mask bytes are
// first spread to one per channel, so that the blend itself runs over plain
// byte arrays (which the compiler turns into vector code).
struct BlendScratch {
  std::unique_ptr<std::uint8_t[]> weights;  // the mask, one byte per channel
  std::unique_ptr<std::uint8_t[]> colors;   // the colour, repeated along the row
};

// Mask bytes [from, to) of a row, each written three times from w[3 (x - base)].
KORVANE_ALWAYS_INLINE void SpreadWeights(const std::uint8_t* h, std::uint32_t from, std::uint32_t to,
                                         std::uint8_t* w, std::uint32_t base) {
  for (std::uint32_t x = from; x < to; ++x) {
    const std::size_t j = std::size_t{x - base} * 3;
    w[j] = w[j + 1] = w[j + 2] = h[x];
  }
}

KORVANE_ALWAYS_INLINE void BlendBytes(std::uint8_t* p, const std::uint8_t* w, const std::uint8_t* c,
                                      std::size_t n) {
  for (std::size_t j = 0; j < n; ++j) p[j] = BlendByte(p[j], w[j], c[j]);
}

template <int kStep>
KORVANE_ALWAYS_INLINE void BlendSpan(std::uint8_t* px, const std::uint8_t* h, std::uint32_t from, std::uint32_t to,
               const std::uint32_t* color, BlendScratch& s) {
  if (from >= to) return;
  if (kStep == 1) {
    const auto c = static_cast<std::uint8_t>(color[0]);
    for (std::uint32_t x = from; x < to; ++x) px[x] = BlendByte(px[x], h[x], c);
    return;
  }
  SpreadWeights(h, from, to, s.weights.get(), from);
  BlendBytes(px + std::size_t{from} * 3, s.weights.get(), s.colors.get(), std::size_t{to - from} * 3);
}

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
// Colour pictures, sixteen pixels at a time in registers. With p' = p - 128
// and c' = c - 128 as signed bytes, one multiply-add of the byte pairs
// (h, 255 - h) and (p', c') gives h p + (255 - h) c - 32640 exactly (it lies
// in -32640 ... 32385, so nothing saturates). Blocks of sixteen mask bytes
// that are all 255 are skipped and those all 0 take the colour.
struct PairShuffles {
  // For each 8 picture bytes of a 48-byte block, the (h, 255 - h) pair of
  // each byte's pixel, from the pairs of mask bytes 0..7 or 8..15.
  alignas(16) std::uint8_t pick[6][16];
  PairShuffles() {
    for (int u = 0; u < 6; ++u)
      for (int j = 0; j < 8; ++j) {
        const int q = (8 * u + j) / 3 - (u < 3 ? 0 : 8);
        pick[u][2 * j] = static_cast<std::uint8_t>(2 * q);
        pick[u][2 * j + 1] = static_cast<std::uint8_t>(2 * q + 1);
      }
  }
};

KORVANE_WIDE_TARGET void BlendRgbWide(std::uint8_t* px, const std::uint8_t* h, std::uint32_t from,
                                      std::uint32_t to, const std::uint32_t* color) {
  static const PairShuffles shuffles;
  alignas(16) std::uint8_t pattern[48];
  for (int j = 0; j < 48; ++j) pattern[j] = static_cast<std::uint8_t>(color[j % 3]);
  const __m128i flip = _mm_set1_epi8(static_cast<char>(0x80)), ones = _mm_set1_epi8(-1);
  const __m128i zero = _mm_setzero_si128(), bias = _mm_set1_epi16(32640);
  const __m128i spread[3] = {_mm_setr_epi8(0, 0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4, 5),
                             _mm_setr_epi8(5, 5, 6, 6, 6, 7, 7, 7, 8, 8, 8, 9, 9, 9, 10, 10),
                             _mm_setr_epi8(10, 11, 11, 11, 12, 12, 12, 13, 13, 13, 14, 14, 14, 15, 15, 15)};
  __m128i col[3], colSigned[3], pick[6];
  for (int t = 0; t < 3; ++t) {
    col[t] = _mm_load_si128(reinterpret_cast<const __m128i*>(pattern + 16 * t));
    colSigned[t] = _mm_xor_si128(col[t], flip);
  }
  for (int u = 0; u < 6; ++u) pick[u] = _mm_load_si128(reinterpret_cast<const __m128i*>(shuffles.pick[u]));
  std::uint32_t x = from;
#if defined(__x86_64__)
  // The same steps on two blocks of sixteen pixels at once, one in each
  // half of the wide registers (the shuffles work within halves).
  {
    const __m256i flip2 = _mm256_broadcastsi128_si256(flip), ones2 = _mm256_broadcastsi128_si256(ones);
    const __m256i zero2 = _mm256_setzero_si256(), bias2 = _mm256_broadcastsi128_si256(bias);
    __m256i col2[3], colSigned2[3], spread2[3], pick2[6];
    for (int t = 0; t < 3; ++t) {
      col2[t] = _mm256_broadcastsi128_si256(col[t]);
      colSigned2[t] = _mm256_broadcastsi128_si256(colSigned[t]);
      spread2[t] = _mm256_broadcastsi128_si256(spread[t]);
    }
    for (int u = 0; u < 6; ++u) pick2[u] = _mm256_broadcastsi128_si256(pick[u]);
    for (; x + 32 <= to; x += 32) {
      const __m256i m = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(h + x));
      std::uint8_t* p = px + std::size_t{x} * 3;
      const auto keep = static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(m, ones2)));
      const auto take = static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(m, zero2)));
      if (keep == 0xFFFFFFFFu) continue;
      const __m256i inv = _mm256_xor_si256(m, ones2);
      const __m256i pairs[2] = {_mm256_unpacklo_epi8(m, inv), _mm256_unpackhi_epi8(m, inv)};
      for (int t = 0; t < 3; ++t) {
        std::uint8_t* a = p + 16 * t;
        std::uint8_t* b = a + 48;
        __m256i out;
        if (take == 0xFFFFFFFFu) {
          out = col2[t];
        } else {
          const __m256i v = _mm256_inserti128_si256(
              _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a))),
              _mm_loadu_si128(reinterpret_cast<const __m128i*>(b)), 1);
          const __m256i vs = _mm256_xor_si256(v, flip2);
          const __m256i wlo = _mm256_shuffle_epi8(pairs[(2 * t) / 3], pick2[2 * t]);
          const __m256i whi = _mm256_shuffle_epi8(pairs[(2 * t + 1) / 3], pick2[2 * t + 1]);
          const __m256i lo =
              _mm256_add_epi16(_mm256_maddubs_epi16(wlo, _mm256_unpacklo_epi8(vs, colSigned2[t])), bias2);
          const __m256i hi =
              _mm256_add_epi16(_mm256_maddubs_epi16(whi, _mm256_unpackhi_epi8(vs, colSigned2[t])), bias2);
          out = _mm256_packus_epi16(_mm256_srli_epi16(lo, 8), _mm256_srli_epi16(hi, 8));
          if (keep | take) {
            const __m256i k = _mm256_shuffle_epi8(m, spread2[t]);
            out = _mm256_blendv_epi8(out, v, _mm256_cmpeq_epi8(k, ones2));
            out = _mm256_blendv_epi8(out, col2[t], _mm256_cmpeq_epi8(k, zero2));
          }
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(a), _mm256_castsi256_si128(out));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(b), _mm256_extracti128_si256(out, 1));
      }
    }
  }
#endif
  for (; x + 16 <= to; x += 16) {
    const __m128i m = _mm_loadu_si128(reinterpret_cast<const __m128i*>(h + x));
    std::uint8_t* p = px + std::size_t{x} * 3;
    const int keep = _mm_movemask_epi8(_mm_cmpeq_epi8(m, ones));
    const int take = _mm_movemask_epi8(_mm_cmpeq_epi8(m, zero));
    if (keep == 0xFFFF) continue;
    if (take == 0xFFFF) {
      for (int t = 0; t < 3; ++t) _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 16 * t), col[t]);
      continue;
    }
    const __m128i inv = _mm_xor_si128(m, ones);
    const __m128i pairs[2] = {_mm_unpacklo_epi8(m, inv), _mm_unpackhi_epi8(m, inv)};
    for (int t = 0; t < 3; ++t) {
      __m128i* at = reinterpret_cast<__m128i*>(p + 16 * t);
      const __m128i v = _mm_loadu_si128(at);
      const __m128i vs = _mm_xor_si128(v, flip);
      const __m128i wlo = _mm_shuffle_epi8(pairs[(2 * t) / 3], pick[2 * t]);
      const __m128i whi = _mm_shuffle_epi8(pairs[(2 * t + 1) / 3], pick[2 * t + 1]);
      const __m128i lo = _mm_add_epi16(_mm_maddubs_epi16(wlo, _mm_unpacklo_epi8(vs, colSigned[t])), bias);
      const __m128i hi = _mm_add_epi16(_mm_maddubs_epi16(whi, _mm_unpackhi_epi8(vs, colSigned[t])), bias);
      __m128i out = _mm_packus_epi16(_mm_srli_epi16(lo, 8), _mm_srli_epi16(hi, 8));
      if (keep | take) {  // mask bytes 255 and 0 keep the pixel and take the colour exactly
        const __m128i k = _mm_shuffle_epi8(m, spread[t]);
        out = _mm_blendv_epi8(out, v, _mm_cmpeq_epi8(k, ones));
        out = _mm_blendv_epi8(out, col[t], _mm_cmpeq_epi8(k, zero));
      }
      _mm_storeu_si128(at, out);
    }
  }
  for (; x < to; ++x)
    for (int c = 0; c < 3; ++c) {
      std::uint8_t& b = px[std::size_t{x} * 3 + c];
      b = BlendByte(b, h[x], static_cast<std::uint8_t>(color[c]));
    }
}
#endif

template <int kStep>
KORVANE_WIDE_TARGET void BlendSpanWide(std::uint8_t* px, const std::uint8_t* h, std::uint32_t from,
                                       std::uint32_t to, const std::uint32_t* color, BlendScratch& s) {
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
  if (kStep == 3) return BlendRgbWide(px, h, from, to, color);
#endif
  BlendSpan<kStep>(px, h, from, to, color, s);
}

template <int kStep>
void Blend(std::uint8_t* const* rows, const VignetteMask& mask, const std::uint32_t* color) {
  const std::uint32_t w = static_cast<std::uint32_t>(mask.width);
  BlendScratch s;
  if (kStep == 3) {
    s.weights.reset(new (std::nothrow) std::uint8_t[std::size_t{w} * 3]);
    s.colors.reset(new (std::nothrow) std::uint8_t[std::size_t{w} * 3]);
    if (!s.weights || !s.colors) return;
    for (std::size_t j = 0; j < std::size_t{w} * 3; ++j) s.colors[j] = static_cast<std::uint8_t>(color[j % 3]);
  }
  const bool wide = WideCpu();
  for (std::int32_t y = 0; y < mask.height; ++y) {
    const std::uint8_t* h = mask.rows.rows()[y];
    if (wide) {
      BlendSpanWide<kStep>(rows[y], h, 0, mask.keepBegin[y], color, s);
      BlendSpanWide<kStep>(rows[y], h, mask.keepEnd[y], w, color, s);
    } else {
      BlendSpan<kStep>(rows[y], h, 0, mask.keepBegin[y], color, s);
      BlendSpan<kStep>(rows[y], h, mask.keepEnd[y], w, color, s);
    }
  }
}

std::uint8_t VignetteGray(ColorRef color) {
  const double g = (color & 0xFF) * 0.298912 + ((color >> 8) & 0xFF) * 0.586611 +
                   ((color >> 16) & 0xFF) * 0.114478;
  const auto t = static_cast<std::uint32_t>(g);
  return static_cast<std::uint8_t>(t > 255 ? 255 : t);
}

// The process-wide mask and the lock that gives each call the mask to itself
// from the reuse test to the end of its blend.
std::mutex maskLock;
VignetteMask sharedMask;
std::uint64_t buildCount = 0;

}  // namespace

void VignetteMask::Free() {
  rows.Free();
  keepBegin.reset();
  keepEnd.reset();
  width = height = 0;
  shape = thickness = -1;
}

bool BuildVignetteMask(VignetteMask& mask, std::uint32_t width, std::uint32_t height,
                       std::int32_t shape, std::int32_t thickness) {
  mask.Free();
  if (shape < kShapeFrame || shape > kShapeInnerEllipse) return false;
  if (width == 0 || height == 0 || width > 0x7FFFFFFF || height > 0x7FFFFFFF) return false;
  const auto w = static_cast<std::int32_t>(width), h = static_cast<std::int32_t>(height);
  const Geometry g = GeometryFor(shape, thickness, w < h ? w : h);
  std::unique_ptr<std::uint8_t[]> ramp = MakeRamp(g.band);
  mask.keepBegin.reset(new (std::nothrow) std::uint32_t[height]);
  mask.keepEnd.reset(new (std::nothrow) std::uint32_t[height]);
  if (!ramp || !mask.keepBegin || !mask.keepEnd ||
      mask.rows.Allocate(width, height, 1) != RowAllocation::kAllocated) {
    mask.Free();
    return false;
  }
  std::uint8_t* const* m = mask.rows.rows();
  for (std::uint32_t y = 0; y < height; ++y) std::memset(m[y], 0, width);

  bool built = true;
  if (shape == kShapeFrame) {
    BuildFrame(m, w, h, g, ramp.get());
  } else if (w >= h) {
    built = BuildEllipse<false>(m, w, h, g, ramp.get());
  } else {
    built = BuildEllipse<true>(m, h, w, g, ramp.get());
  }
  if (!built) {
    mask.Free();
    return false;
  }
  mask.width = w;
  mask.height = h;
  mask.shape = shape;
  mask.thickness = thickness;
  FindKeepRuns(mask);
  return true;
}

void ApplyVignette(std::uint8_t* const* rows, std::uint32_t width, std::uint32_t height,
                   bool singleChannel, ColorRef color, std::int32_t shape, std::int32_t thickness) {
  if (shape < kShapeFrame || shape > kShapeInnerEllipse || width == 0 || height == 0) return;
  if (width > 0x7FFFFFFF || height > 0x7FFFFFFF) return;
  std::lock_guard<std::mutex> hold(maskLock);
  if (!sharedMask.Matches(static_cast<std::int32_t>(width), static_cast<std::int32_t>(height), shape,
                          thickness)) {
    ++buildCount;
    if (!BuildVignetteMask(sharedMask, width, height, shape, thickness)) return;
  }
  if (singleChannel) {
    const std::uint32_t gray[1] = {VignetteGray(color)};
    Blend<1>(rows, sharedMask, gray);
  } else {
    const std::uint32_t rgb[3] = {color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF};
    Blend<3>(rows, sharedMask, rgb);
  }
}

std::uint64_t VignetteMaskBuildCount() {
  std::lock_guard<std::mutex> hold(maskLock);
  return buildCount;
}

}  // namespace korvane
