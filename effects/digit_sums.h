// Exact weighted sums of three bytes in 16-bit vector lanes.
//
// floor((wr R + wg G + wb B + offset) / 2^S) for weights of up to 30 bits is
// computed without 32-bit lanes: each weight is cut into 6-bit digits, the
// digits' sums D_k = dr R + dg G + db B stay below 2^16 (63 x 255 x 3), and
// carrying T_k = D_k + o_k + (T_{k-1} >> 6) from the lowest digit up gives
// the floor of the whole sum exactly. Twice as many pixels fit in a register
// as with 32-bit arithmetic, and R and G are multiplied as one byte pair.
//
// The same code serves both widths: 256-bit registers on x86-64 (whose
// unpacks and packs work within 128-bit halves, so a pack of the two
// unpacked halves gives the bytes back in their order) and 128-bit ones on
// 32-bit x86.
#pragma once

#include <cstdint>

#include "effects/wide_path.h"

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>
#define KORVANE_DIGIT_SUMS 1

namespace korvane {
namespace digits {

#if defined(__x86_64__)
using Vec = __m256i;
constexpr int kBytes = 32;
KORVANE_WIDE_TARGET KORVANE_ALWAYS_INLINE Vec Load(const std::uint8_t* p) {
  return _mm256_load_si256(reinterpret_cast<const Vec*>(p));
}
KORVANE_WIDE_TARGET KORVANE_ALWAYS_INLINE void Store(std::uint8_t* p, Vec v) {
  _mm256_store_si256(reinterpret_cast<Vec*>(p), v);
}
KORVANE_WIDE_TARGET KORVANE_ALWAYS_INLINE Vec Set16(int v) { return _mm256_set1_epi16(static_cast<short>(v)); }
KORVANE_WIDE_TARGET KORVANE_ALWAYS_INLINE Vec Zero() { return _mm256_setzero_si256(); }
KORVANE_WIDE_TARGET KORVANE_ALWAYS_INLINE Vec Add(Vec a, Vec b) { return _mm256_add_epi16(a, b); }
KORVANE_WIDE_TARGET KORVANE_ALWAYS_INLINE Vec Sub(Vec a, Vec b) { return _mm256_sub_epi16(a, b); }
KORVANE_WIDE_TARGET KORVANE_ALWAYS_INLINE Vec Mul(Vec a, Vec b) { return _mm256_mullo_epi16(a, b); }
KORVANE_WIDE_TARGET KORVANE_ALWAYS_INLINE Vec And(Vec a, Vec b) { return _mm256_and_si256(a, b); }
template <int kBits>
KORVANE_WIDE_TARGET KORVANE_ALWAYS_INLINE Vec Shr(Vec a) {
  return _mm256_srli_epi16(a, kBits);
}
// Unsigned bytes of `pairs` times signed bytes of `weights`, adjacent products added.
KORVANE_WIDE_TARGET KORVANE_ALWAYS_INLINE Vec PairSums(Vec pairs, Vec weights) {
  return _mm256_maddubs_epi16(pairs, weights);
}
KORVANE_WIDE_TARGET KORVANE_ALWAYS_INLINE Vec Low8(Vec a, Vec b) { return _mm256_unpacklo_epi8(a, b); }
KORVANE_WIDE_TARGET KORVANE_ALWAYS_INLINE Vec High8(Vec a, Vec b) { return _mm256_unpackhi_epi8(a, b); }
// Signed 16-bit lanes to bytes, clamped to 0..255.
KORVANE_WIDE_TARGET KORVANE_ALWAYS_INLINE Vec Pack(Vec low, Vec high) { return _mm256_packus_epi16(low, high); }
// 32-bit lanes: products of 16-bit pairs added, sums, shifts, and signed
// 32-bit lanes to signed 16-bit ones (saturated).
KORVANE_WIDE_TARGET KORVANE_ALWAYS_INLINE Vec Set32(int v) { return _mm256_set1_epi32(v); }
KORVANE_WIDE_TARGET KORVANE_ALWAYS_INLINE Vec PairProducts(Vec a, Vec b) { return _mm256_madd_epi16(a, b); }
KORVANE_WIDE_TARGET KORVANE_ALWAYS_INLINE Vec Add32(Vec a, Vec b) { return _mm256_add_epi32(a, b); }
template <int kBits>
KORVANE_WIDE_TARGET KORVANE_ALWAYS_INLINE Vec Shl32(Vec a) {
  return _mm256_slli_epi32(a, kBits);
}
template <int kBits>
KORVANE_WIDE_TARGET KORVANE_ALWAYS_INLINE Vec Sar32(Vec a) {
  return _mm256_srai_epi32(a, kBits);
}
KORVANE_WIDE_TARGET KORVANE_ALWAYS_INLINE Vec Low16(Vec a, Vec b) { return _mm256_unpacklo_epi16(a, b); }
KORVANE_WIDE_TARGET KORVANE_ALWAYS_INLINE Vec High16(Vec a, Vec b) { return _mm256_unpackhi_epi16(a, b); }
KORVANE_WIDE_TARGET KORVANE_ALWAYS_INLINE Vec Pack32(Vec low, Vec high) { return _mm256_packs_epi32(low, high); }
#else
using Vec = __m128i;
constexpr int kBytes = 16;
KORVANE_WIDE_TARGET KORVANE_ALWAYS_INLINE Vec Load(const std::uint8_t* p) {
  return _mm_load_si128(reinterpret_cast<const Vec*>(p));
}
KORVANE_WIDE_TARGET KORVANE_ALWAYS_INLINE void Store(std::uint8_t* p, Vec v) {
  _mm_store_si128(reinterpret_cast<Vec*>(p), v);
}
KORVANE_WIDE_TARGET KORVANE_ALWAYS_INLINE Vec Set16(int v) { return _mm_set1_epi16(static_cast<short>(v)); }
KORVANE_WIDE_TARGET KORVANE_ALWAYS_INLINE Vec Zero() { return _mm_setzero_si128(); }
KORVANE_WIDE_TARGET KORVANE_ALWAYS_INLINE Vec Add(Vec a, Vec b) { return _mm_add_epi16(a, b); }
KORVANE_WIDE_TARGET KORVANE_ALWAYS_INLINE Vec Sub(Vec a, Vec b) { return _mm_sub_epi16(a, b); }
KORVANE_WIDE_TARGET KORVANE_ALWAYS_INLINE Vec Mul(Vec a, Vec b) { return _mm_mullo_epi16(a, b); }
KORVANE_WIDE_TARGET KORVANE_ALWAYS_INLINE Vec And(Vec a, Vec b) { return _mm_and_si128(a, b); }
template <int kBits>
KORVANE_WIDE_TARGET KORVANE_ALWAYS_INLINE Vec Shr(Vec a) {
  return _mm_srli_epi16(a, kBits);
}
KORVANE_WIDE_TARGET KORVANE_ALWAYS_INLINE Vec PairSums(Vec pairs, Vec weights) {
  return _mm_maddubs_epi16(pairs, weights);
}
KORVANE_WIDE_TARGET KORVANE_ALWAYS_INLINE Vec Low8(Vec a, Vec b) { return _mm_unpacklo_epi8(a, b); }
KORVANE_WIDE_TARGET KORVANE_ALWAYS_INLINE Vec High8(Vec a, Vec b) { return _mm_unpackhi_epi8(a, b); }
KORVANE_WIDE_TARGET KORVANE_ALWAYS_INLINE Vec Pack(Vec low, Vec high) { return _mm_packus_epi16(low, high); }
KORVANE_WIDE_TARGET KORVANE_ALWAYS_INLINE Vec Set32(int v) { return _mm_set1_epi32(v); }
KORVANE_WIDE_TARGET KORVANE_ALWAYS_INLINE Vec PairProducts(Vec a, Vec b) { return _mm_madd_epi16(a, b); }
KORVANE_WIDE_TARGET KORVANE_ALWAYS_INLINE Vec Add32(Vec a, Vec b) { return _mm_add_epi32(a, b); }
template <int kBits>
KORVANE_WIDE_TARGET KORVANE_ALWAYS_INLINE Vec Shl32(Vec a) {
  return _mm_slli_epi32(a, kBits);
}
template <int kBits>
KORVANE_WIDE_TARGET KORVANE_ALWAYS_INLINE Vec Sar32(Vec a) {
  return _mm_srai_epi32(a, kBits);
}
KORVANE_WIDE_TARGET KORVANE_ALWAYS_INLINE Vec Low16(Vec a, Vec b) { return _mm_unpacklo_epi16(a, b); }
KORVANE_WIDE_TARGET KORVANE_ALWAYS_INLINE Vec High16(Vec a, Vec b) { return _mm_unpackhi_epi16(a, b); }
KORVANE_WIDE_TARGET KORVANE_ALWAYS_INLINE Vec Pack32(Vec low, Vec high) { return _mm_packs_epi32(low, high); }
#endif

inline int Digit(std::uint32_t w, int k, bool top) {
  return static_cast<int>(top ? w >> (6 * k) : (w >> (6 * k)) & 63);
}

// The weights of one sum cut into kDigits digits of 6 bits (the top digit
// takes the rest), as vectors.
template <int kDigits>
struct Weights {
  Vec pair[kDigits];  // (red digit, green digit) as a byte pair
  Vec blue[kDigits];
  KORVANE_WIDE_TARGET Weights(std::uint32_t red, std::uint32_t green, std::uint32_t blue) {
    for (int k = 0; k < kDigits; ++k) {
      const bool top = k == kDigits - 1;
      pair[k] = Set16(Digit(red, k, top) | (Digit(green, k, top) << 8));
      this->blue[k] = Set16(Digit(blue, k, top));
    }
  }
};

// An offset (>= 0) added to a sum, cut the same way.
template <int kDigits>
struct Offset {
  Vec digit[kDigits];
  KORVANE_WIDE_TARGET explicit Offset(std::uint32_t offset) {
    for (int k = 0; k < kDigits; ++k) digit[k] = Set16(Digit(offset, k, k == kDigits - 1));
  }
};

// The digit sums of one register half. rg: red in the low byte and green in
// the high byte of each lane; b: blue in the low byte.
template <int kDigits>
struct Sums {
  Vec d[kDigits];
};

template <int kDigits>
KORVANE_WIDE_TARGET KORVANE_ALWAYS_INLINE Sums<kDigits> DigitSums(const Weights<kDigits>& w, Vec rg, Vec b) {
  Sums<kDigits> s;
  for (int k = 0; k < kDigits; ++k) s.d[k] = Add(PairSums(rg, w.pair[k]), Mul(b, w.blue[k]));
  return s;
}

// floor((sum + offset) / 2^(6 (kDigits - 1) + kLastShift)).
template <int kLastShift, int kDigits>
KORVANE_WIDE_TARGET KORVANE_ALWAYS_INLINE Vec Floor(const Sums<kDigits>& s, const Offset<kDigits>* offset) {
  Vec carry = Zero();
  for (int k = 0; k < kDigits - 1; ++k) {
    const Vec t = offset ? Add(Add(s.d[k], offset->digit[k]), carry) : Add(s.d[k], carry);
    carry = Shr<6>(t);
  }
  const Vec top = offset ? Add(Add(s.d[kDigits - 1], offset->digit[kDigits - 1]), carry)
                         : Add(s.d[kDigits - 1], carry);
  return Shr<kLastShift>(top);
}

// A weighted sum in 32-bit lanes: each weight cut at bit kCut so that both
// halves fit 16-bit multiplications of (red, green) and (blue, 0) pairs.
template <int kCut>
struct Weights32 {
  Vec highRG, highB, lowRG, lowB;
  KORVANE_WIDE_TARGET Weights32(std::uint32_t red, std::uint32_t green, std::uint32_t blue)
      : highRG(Set32(static_cast<int>((red >> kCut) | ((green >> kCut) << 16)))),
        highB(Set32(static_cast<int>(blue >> kCut))),
        lowRG(Set32(static_cast<int>((red & ((1u << kCut) - 1)) | ((green & ((1u << kCut) - 1)) << 16)))),
        lowB(Set32(static_cast<int>(blue & ((1u << kCut) - 1)))) {}
};

// The two 32-bit halves of one 16-bit half's sums (pixels in their order
// after Pack32 of the two).
struct Sum32 {
  Vec first, second;
};

template <int kCut>
KORVANE_WIDE_TARGET KORVANE_ALWAYS_INLINE Vec WeightedSum32(const Weights32<kCut>& w, Vec rgPairs, Vec bPairs) {
  const Vec high = Add32(PairProducts(rgPairs, w.highRG), PairProducts(bPairs, w.highB));
  return Add32(Shl32<kCut>(high), Add32(PairProducts(rgPairs, w.lowRG), PairProducts(bPairs, w.lowB)));
}

// rg: red in the low byte and green in the high byte of each 16-bit lane; b: blue.
template <int kCut>
KORVANE_WIDE_TARGET KORVANE_ALWAYS_INLINE Sum32 WeightedSums32(const Weights32<kCut>& w, Vec rg, Vec b) {
  const Vec zero = Zero();
  return {WeightedSum32(w, Low8(rg, zero), Low16(b, zero)), WeightedSum32(w, High8(rg, zero), High16(b, zero))};
}

// GrayLevel's byte in 32-bit lanes: the sums by the weights' high and low
// parts (see GrayLevelInt), whose weights fit 16-bit multiplications as they
// are. rgPairs: (red, green) as 16-bit pairs; bPairs: (blue, 0).
KORVANE_WIDE_TARGET KORVANE_ALWAYS_INLINE Vec GrayLevels32(Vec rgPairs, Vec bPairs) {
  const Vec high = Add32(PairProducts(rgPairs, Set32(2449 | (4808 << 16))), PairProducts(bPairs, Set32(933)));
  const Vec low = Add32(PairProducts(rgPairs, Set32(6684 | (11536 << 16))), PairProducts(bPairs, Set32(14549)));
  return Sar32<13>(Add32(high, Sar32<14>(low)));
}

// The grey levels of one 16-bit half (rg: red in the low byte and green in
// the high byte of each lane; b: blue), as 16-bit lanes in pixel order.
KORVANE_WIDE_TARGET KORVANE_ALWAYS_INLINE Vec GrayLevels16(Vec rg, Vec b) {
  const Vec zero = Zero();
  return Pack32(GrayLevels32(Low8(rg, zero), Low16(b, zero)), GrayLevels32(High8(rg, zero), High16(b, zero)));
}

// The grey levels of one register of pixels per channel, as bytes.
KORVANE_WIDE_TARGET KORVANE_ALWAYS_INLINE Vec GrayLevelBytes(Vec r, Vec g, Vec b) {
  const Vec zero = Zero();
  return Pack(GrayLevels16(Low8(r, g), Low8(b, zero)), GrayLevels16(High8(r, g), High8(b, zero)));
}

// Runs `half(rg, b, out)` on one register of pixels per channel, split into
// the two halves whose bytes widen to 16 bits; out[0..2] are the new red,
// green and blue lanes of the half.
template <typename Half>
KORVANE_WIDE_TARGET KORVANE_ALWAYS_INLINE void ForHalves(Vec& r, Vec& g, Vec& b, const Half& half) {
  const Vec zero = Zero();
  Vec lo[3], hi[3];
  half(Low8(r, g), Low8(b, zero), lo);
  half(High8(r, g), High8(b, zero), hi);
  r = Pack(lo[0], hi[0]);
  g = Pack(lo[1], hi[1]);
  b = Pack(lo[2], hi[2]);
}

// A kernel's Block(r, g, b) over a chunk of planes.
template <std::size_t kCount, typename Kernel>
KORVANE_WIDE_TARGET KORVANE_ALWAYS_INLINE void OverPlanes(std::uint8_t* r, std::uint8_t* g, std::uint8_t* b,
                                                          const Kernel& kernel) {
  for (std::size_t i = 0; i < kCount; i += kBytes) {
    Vec vr = Load(r + i), vg = Load(g + i), vb = Load(b + i);
    kernel.Block(vr, vg, vb);
    Store(r + i, vr);
    Store(g + i, vg);
    Store(b + i, vb);
  }
}

}  // namespace digits
}  // namespace korvane
#endif
