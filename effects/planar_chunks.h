// Per-pixel colour work on planes: a row is cut into chunks of kChunk
// pixels, each split into separate R, G and B arrays, worked on by plain
// loops over those arrays (which the compiler turns into vector code, as
// it does poorly on three interleaved bytes), and put back together.
#pragma once

#include <cstddef>
#include <cstdint>

#include "effects/wide_path.h"

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>
#define KORVANE_PLANAR_SHUFFLES 1
#endif

namespace korvane {

constexpr std::size_t kChunk = 128;

// One chunk as three planes. Ops always work on all kChunk entries (a fixed
// trip count vectorizes best); entries past the row's end are never stored.
struct Planes {
  alignas(32) std::uint8_t r[kChunk];
  alignas(32) std::uint8_t g[kChunk];
  alignas(32) std::uint8_t b[kChunk];
};

KORVANE_ALWAYS_INLINE void SplitPixels(const std::uint8_t* p, std::size_t from, std::size_t n, Planes& q) {
  for (std::size_t i = from; i < n; ++i) {
    q.r[i] = p[3 * i];
    q.g[i] = p[3 * i + 1];
    q.b[i] = p[3 * i + 2];
  }
}

KORVANE_ALWAYS_INLINE void JoinPixels(std::uint8_t* p, std::size_t from, std::size_t n, const Planes& q) {
  for (std::size_t i = from; i < n; ++i) {
    p[3 * i] = q.r[i];
    p[3 * i + 1] = q.g[i];
    p[3 * i + 2] = q.b[i];
  }
}

#ifdef KORVANE_PLANAR_SHUFFLES
#if defined(__x86_64__)
// Two blocks of sixteen pixels at once, one in each half of the wide
// registers (shuffles work within halves): the halves of a plane register
// are then 32 consecutive bytes of the plane.
KORVANE_WIDE_TARGET KORVANE_ALWAYS_INLINE __m256i LoadBlocks(const std::uint8_t* at) {
  return _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at))),
                                 _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 48)), 1);
}

KORVANE_WIDE_TARGET KORVANE_ALWAYS_INLINE void StoreBlocks(std::uint8_t* at, __m256i v) {
  _mm_storeu_si128(reinterpret_cast<__m128i*>(at), _mm256_castsi256_si128(v));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(at + 48), _mm256_extracti128_si256(v, 1));
}

KORVANE_WIDE_TARGET KORVANE_ALWAYS_INLINE __m256i Pick3(__m256i a, __m256i b, __m256i c, __m128i sa, __m128i sb,
                                                        __m128i sc) {
  return _mm256_or_si256(_mm256_or_si256(_mm256_shuffle_epi8(a, _mm256_broadcastsi128_si256(sa)),
                                         _mm256_shuffle_epi8(b, _mm256_broadcastsi128_si256(sb))),
                         _mm256_shuffle_epi8(c, _mm256_broadcastsi128_si256(sc)));
}
#endif

// Sixteen pixels (48 bytes) at a time by byte shuffles; -1 picks a zero.
KORVANE_WIDE_TARGET inline void SplitPixelsWide(const std::uint8_t* p, std::size_t n, Planes& q) {
  const __m128i ar = _mm_setr_epi8(0, 3, 6, 9, 12, 15, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1);
  const __m128i br = _mm_setr_epi8(-1, -1, -1, -1, -1, -1, 2, 5, 8, 11, 14, -1, -1, -1, -1, -1);
  const __m128i cr = _mm_setr_epi8(-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 1, 4, 7, 10, 13);
  const __m128i ag = _mm_setr_epi8(1, 4, 7, 10, 13, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1);
  const __m128i bg = _mm_setr_epi8(-1, -1, -1, -1, -1, 0, 3, 6, 9, 12, 15, -1, -1, -1, -1, -1);
  const __m128i cg = _mm_setr_epi8(-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 2, 5, 8, 11, 14);
  const __m128i ab = _mm_setr_epi8(2, 5, 8, 11, 14, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1);
  const __m128i bb = _mm_setr_epi8(-1, -1, -1, -1, -1, 1, 4, 7, 10, 13, -1, -1, -1, -1, -1, -1);
  const __m128i cb = _mm_setr_epi8(-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 0, 3, 6, 9, 12, 15);
  std::size_t i = 0;
#if defined(__x86_64__)
  for (; i + 32 <= n; i += 32) {
    const __m256i a = LoadBlocks(p + 3 * i), b = LoadBlocks(p + 3 * i + 16), c = LoadBlocks(p + 3 * i + 32);
    _mm256_store_si256(reinterpret_cast<__m256i*>(q.r + i), Pick3(a, b, c, ar, br, cr));
    _mm256_store_si256(reinterpret_cast<__m256i*>(q.g + i), Pick3(a, b, c, ag, bg, cg));
    _mm256_store_si256(reinterpret_cast<__m256i*>(q.b + i), Pick3(a, b, c, ab, bb, cb));
  }
#endif
  for (; i + 16 <= n; i += 16) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 3 * i));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 3 * i + 16));
    const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 3 * i + 32));
    _mm_store_si128(reinterpret_cast<__m128i*>(q.r + i),
                    _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(a, ar), _mm_shuffle_epi8(b, br)),
                                 _mm_shuffle_epi8(c, cr)));
    _mm_store_si128(reinterpret_cast<__m128i*>(q.g + i),
                    _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(a, ag), _mm_shuffle_epi8(b, bg)),
                                 _mm_shuffle_epi8(c, cg)));
    _mm_store_si128(reinterpret_cast<__m128i*>(q.b + i),
                    _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(a, ab), _mm_shuffle_epi8(b, bb)),
                                 _mm_shuffle_epi8(c, cb)));
  }
  SplitPixels(p, i, n, q);
}

KORVANE_WIDE_TARGET inline void JoinPixelsWide(std::uint8_t* p, std::size_t n, const Planes& q) {
  // Output bytes 0..15 take r0 g0 b0 r1 ... r5; 16..31 g5 b5 ... g10; 32..47 b10 ... b15.
  const __m128i ra = _mm_setr_epi8(0, -1, -1, 1, -1, -1, 2, -1, -1, 3, -1, -1, 4, -1, -1, 5);
  const __m128i ga = _mm_setr_epi8(-1, 0, -1, -1, 1, -1, -1, 2, -1, -1, 3, -1, -1, 4, -1, -1);
  const __m128i ba = _mm_setr_epi8(-1, -1, 0, -1, -1, 1, -1, -1, 2, -1, -1, 3, -1, -1, 4, -1);
  const __m128i rb = _mm_setr_epi8(-1, -1, 6, -1, -1, 7, -1, -1, 8, -1, -1, 9, -1, -1, 10, -1);
  const __m128i gb = _mm_setr_epi8(5, -1, -1, 6, -1, -1, 7, -1, -1, 8, -1, -1, 9, -1, -1, 10);
  const __m128i bb = _mm_setr_epi8(-1, 5, -1, -1, 6, -1, -1, 7, -1, -1, 8, -1, -1, 9, -1, -1);
  const __m128i rc = _mm_setr_epi8(-1, 11, -1, -1, 12, -1, -1, 13, -1, -1, 14, -1, -1, 15, -1, -1);
  const __m128i gc = _mm_setr_epi8(-1, -1, 11, -1, -1, 12, -1, -1, 13, -1, -1, 14, -1, -1, 15, -1);
  const __m128i bc = _mm_setr_epi8(10, -1, -1, 11, -1, -1, 12, -1, -1, 13, -1, -1, 14, -1, -1, 15);
  std::size_t i = 0;
#if defined(__x86_64__)
  for (; i + 32 <= n; i += 32) {
    const __m256i r = _mm256_load_si256(reinterpret_cast<const __m256i*>(q.r + i));
    const __m256i g = _mm256_load_si256(reinterpret_cast<const __m256i*>(q.g + i));
    const __m256i b = _mm256_load_si256(reinterpret_cast<const __m256i*>(q.b + i));
    StoreBlocks(p + 3 * i, Pick3(r, g, b, ra, ga, ba));
    StoreBlocks(p + 3 * i + 16, Pick3(r, g, b, rb, gb, bb));
    StoreBlocks(p + 3 * i + 32, Pick3(r, g, b, rc, gc, bc));
  }
#endif
  for (; i + 16 <= n; i += 16) {
    const __m128i r = _mm_load_si128(reinterpret_cast<const __m128i*>(q.r + i));
    const __m128i g = _mm_load_si128(reinterpret_cast<const __m128i*>(q.g + i));
    const __m128i b = _mm_load_si128(reinterpret_cast<const __m128i*>(q.b + i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 3 * i),
                     _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(r, ra), _mm_shuffle_epi8(g, ga)),
                                  _mm_shuffle_epi8(b, ba)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 3 * i + 16),
                     _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(r, rb), _mm_shuffle_epi8(g, gb)),
                                  _mm_shuffle_epi8(b, bb)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 3 * i + 32),
                     _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(r, rc), _mm_shuffle_epi8(g, gc)),
                                  _mm_shuffle_epi8(b, bc)));
  }
  JoinPixels(p, i, n, q);
}
#endif

template <typename Op>
KORVANE_ALWAYS_INLINE void PlanarRows(std::uint8_t* const* rows, std::uint32_t width, std::uint32_t height,
                                      const Op& op) {
  Planes q{};  // entries past a row's end are read, never stored
  for (std::uint32_t y = 0; y < height; ++y) {
    std::uint8_t* row = rows[y];
    for (std::size_t x = 0; x < width; x += kChunk) {
      const std::size_t n = width - x < kChunk ? width - x : kChunk;
      SplitPixels(row + 3 * x, 0, n, q);
      op(q);
      JoinPixels(row + 3 * x, 0, n, q);
    }
  }
}

template <typename Op>
KORVANE_WIDE_TARGET void PlanarRowsWide(std::uint8_t* const* rows, std::uint32_t width, std::uint32_t height,
                                        const Op& op) {
#ifdef KORVANE_PLANAR_SHUFFLES
  Planes q{};  // entries past a row's end are read, never stored
  for (std::uint32_t y = 0; y < height; ++y) {
    std::uint8_t* row = rows[y];
    for (std::size_t x = 0; x < width; x += kChunk) {
      const std::size_t n = width - x < kChunk ? width - x : kChunk;
      // The chunk after next on its way from memory while this one is worked on.
      for (int k = 0; k < 6; ++k) __builtin_prefetch(row + 3 * (x + 2 * kChunk) + 64 * k, 1);
      SplitPixelsWide(row + 3 * x, n, q);
      op(q);
      JoinPixelsWide(row + 3 * x, n, q);
    }
  }
#else
  PlanarRows(rows, width, height, op);
#endif
}

// The op runs on whole chunks of planes: op(Planes&).
template <typename Op>
void RunPlanar(std::uint8_t* const* rows, std::uint32_t width, std::uint32_t height, const Op& op) {
  if (WideCpu()) {
    PlanarRowsWide(rows, width, height, op);
  } else {
    PlanarRows(rows, width, height, op);
  }
}

}  // namespace korvane
