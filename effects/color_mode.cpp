#include "effects/color_mode.h"

#include <cstddef>
#include <memory>
#include <new>

#include "effects/gray_level.h"
#include "effects/ieee_double.h"
#include "effects/planar_chunks.h"
#include "effects/wide_path.h"

namespace korvane {
namespace {

// Fixed-point luminance weights: 0.299, 0.587, 0.114 at 2^21 (they sum to
// 2^21 - 1, so a white pixel stays below 255 after the shift).
constexpr std::int32_t kLumR = 627048, kLumG = 1231028, kLumB = 239075;

template <typename PixelOp>
void ForEachPixel(std::uint8_t* const* rows, std::uint32_t width, std::uint32_t height, PixelOp op) {
  for (std::uint32_t y = 0; y < height; ++y) {
    std::uint8_t* p = rows[y];
    std::uint8_t* const end = p + std::size_t{width} * 3;
    for (; p != end; p += 3) op(p);
  }
}

// --- saturation boost: RGB -> HSV, S grown by u, back, all in double ---------

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

void ApplyBoost(std::uint8_t* const* rows, std::uint32_t width, std::uint32_t height, int strength) {
  const double u = strength == 1 ? 0.1 : (strength == 2 ? 0.2 : (strength == 3 ? 0.3 : 0.4));
  const BoostTables* t = TablesFor(strength);
  if (!t) {  // no memory for the tables: the plain steps
    ForEachPixel(rows, width, height, [&](std::uint8_t* px) {
      if (px[0] == px[1] && px[1] == px[2]) return;
      const BoostedPixel b = Boost(px[0], px[1], px[2], u);
      px[0] = b.r, px[1] = b.g, px[2] = b.b;
    });
    return;
  }
  // Photographs repeat colours a lot: a direct-mapped cache of results by
  // colour, up to 2^18 entries (2 MB) for large pictures, where 96% of a
  // camera picture's pixels hit it (81% with 2^16; 2^20 no longer fits the
  // processor's caches and is slower).
  struct Slot {
    std::uint32_t key;
    std::uint8_t rgb[3];
  };
  constexpr std::uint32_t kNoColor = 0xFFFFFFFFu;
  const std::uint64_t pixels = std::uint64_t{width} * height;
  int cacheBits = 10;
  while (cacheBits < 18 && (std::uint64_t{1} << (cacheBits + 2)) < pixels) ++cacheBits;
  std::unique_ptr<Slot[]> cache(new (std::nothrow) Slot[std::size_t{1} << cacheBits]);
  if (cache)
    for (std::size_t i = 0; i < (std::size_t{1} << cacheBits); ++i) cache[i].key = kNoColor;
  const double offsets[3] = {0, 2, 4};
  ForEachPixel(rows, width, height, [&](std::uint8_t* px) {
    const unsigned R = px[0], G = px[1], B = px[2];
    if (R == G && G == B) return;  // grey stays grey
    const std::uint32_t key = R | (G << 8) | (B << 16);
    Slot* slot = nullptr;
    if (cache) {
      slot = &cache[(key * 2654435761u) >> (32 - cacheBits)];
      if (slot->key == key) {
        px[0] = slot->rgb[0];
        px[1] = slot->rgb[1];
        px[2] = slot->rgb[2];
        return;
      }
    }
    const unsigned mx = R > G ? (R > B ? R : B) : (G > B ? G : B);
    const unsigned mn = R < G ? (R < B ? R : B) : (G < B ? G : B);
    // Hue numerator by the first largest channel, tested red first.
    const unsigned which = R == mx ? 0 : (G == mx ? 1 : 2);
    const unsigned a = which == 0 ? G : (which == 1 ? B : R);
    const unsigned b = which == 0 ? B : (which == 1 ? R : G);
    const double d = t->level[mx] - t->level[mn];
    double h = (t->level[a] - t->level[b]) / d + offsets[which];  // + 0 changes nothing
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
    if (slot) {
      slot->key = key;
      slot->rgb[0] = px[0];
      slot->rgb[1] = px[1];
      slot->rgb[2] = px[2];
    }
  });
}

// --- the integer modes -------------------------------------------------------
// Each is a functor on one pixel, run by a plain indexed loop that the
// compiler vectorizes (with the wide instruction set when there is one).

std::int32_t Clamp255(std::int32_t v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }

template <int kGrayQuarters>  // how many quarters of the result are grey
struct Fade {
  void operator()(std::uint8_t* px) const {
    const std::int32_t R = px[0], G = px[1], B = px[2];
    const std::int32_t y = (kLumR * R + kLumG * G + kLumB * B) >> 21;
    const auto f = [y](std::int32_t c) {
      if (kGrayQuarters == 1) return (y + 3 * c) >> 2;
      if (kGrayQuarters == 2) return (y + c) >> 1;
      if (kGrayQuarters == 3) return (3 * y + c) >> 2;
      return y;
    };
    px[0] = static_cast<std::uint8_t>(f(R));
    px[1] = static_cast<std::uint8_t>(f(G));
    px[2] = static_cast<std::uint8_t>(f(B));
  }
};

struct NaturalSepia {
  void operator()(std::uint8_t* px) const {
    const std::int32_t R = px[0], G = px[1], B = px[2];
    // At most 5666503 * 255 < 2^31.
    const std::int32_t r = (1648361 * R + 3225419 * G + 792723 * B) >> 22;
    const std::int32_t g = (1463812 * R + 2877292 * G + 704643 * B) >> 22;
    const std::int32_t b = (1140850 * R + 2239758 * G + 549453 * B) >> 22;
    px[0] = static_cast<std::uint8_t>(r > 255 ? 255 : r);
    px[1] = static_cast<std::uint8_t>(g > 255 ? 255 : g);
    px[2] = static_cast<std::uint8_t>(b > 255 ? 255 : b);
  }
};

// Luminance plus a fixed shift per channel, in units of 2^-21 levels.
struct Toned {
  std::int32_t offR, offG, offB;
  void operator()(std::uint8_t* px) const {
    const std::int32_t l = kLumR * px[0] + kLumG * px[1] + kLumB * px[2];  // < 2^29
    px[0] = static_cast<std::uint8_t>(Clamp255((l + offR) >> 21));  // arithmetic shift: floors
    px[1] = static_cast<std::uint8_t>(Clamp255((l + offG) >> 21));
    px[2] = static_cast<std::uint8_t>(Clamp255((l + offB) >> 21));
  }
};

struct Mono {
  std::int32_t m0, m1, m2;
  void operator()(std::uint8_t* px) const {
    const std::int32_t y = GrayLevelInt(px[0], px[1], px[2]);  // vectorizes better than doubles
    px[0] = static_cast<std::uint8_t>((255 * y + m0 * (255 - y)) >> 8);
    px[1] = static_cast<std::uint8_t>((255 * y + m1 * (255 - y)) >> 8);
    px[2] = static_cast<std::uint8_t>((255 * y + m2 * (255 - y)) >> 8);
  }
};

struct Negative {
  void operator()(std::uint8_t* px) const {
    px[0] = static_cast<std::uint8_t>(255 - px[0]);
    px[1] = static_cast<std::uint8_t>(255 - px[1]);
    px[2] = static_cast<std::uint8_t>(255 - px[2]);
  }
};

template <typename Op>
KORVANE_ALWAYS_INLINE void PixelLoop(std::uint8_t* const* rows, std::uint32_t width, std::uint32_t height,
                                     const Op& op) {
  for (std::uint32_t y = 0; y < height; ++y) {
    std::uint8_t* p = rows[y];
    for (std::size_t x = 0; x < width; ++x) op(p + 3 * x);
  }
}

template <typename Op>
KORVANE_WIDE_TARGET void PixelLoopWide(std::uint8_t* const* rows, std::uint32_t width, std::uint32_t height,
                                       const Op& op) {
  PixelLoop(rows, width, height, op);
}

template <typename Op>
void RunPerPixel(std::uint8_t* const* rows, std::uint32_t width, std::uint32_t height, const Op& op) {
  if (WideCpu()) {
    PixelLoopWide(rows, width, height, op);
  } else {
    PixelLoop(rows, width, height, op);
  }
}

// A pixel functor run over chunks of planes: the same arithmetic on the
// same bytes, only laid out so that it vectorizes well.
template <typename PixelOp>
struct OnPlanes {
  PixelOp op;
  KORVANE_ALWAYS_INLINE void operator()(Planes& q) const {
    for (std::size_t i = 0; i < kChunk; ++i) {
      std::uint8_t px[3] = {q.r[i], q.g[i], q.b[i]};
      op(px);
      q.r[i] = px[0];
      q.g[i] = px[1];
      q.b[i] = px[2];
    }
  }
};

template <typename PixelOp>
void RunOnPlanes(std::uint8_t* const* rows, std::uint32_t width, std::uint32_t height, const PixelOp& op) {
  RunPlanar(rows, width, height, OnPlanes<PixelOp>{op});
}

Mono MonoFor(ColorRef mono) {
  return {static_cast<std::int32_t>(mono & 0xFF), static_cast<std::int32_t>((mono >> 8) & 0xFF),
          static_cast<std::int32_t>((mono >> 16) & 0xFF)};
}

}  // namespace

void ApplyColorMode(std::uint8_t* const* rows, std::uint32_t width, std::uint32_t height,
                    std::int32_t mode, ColorRef monoColor) {
  if (width == 0 || height == 0) return;
  switch (mode) {
    case kColorVivid1: return ApplyBoost(rows, width, height, 1);
    case kColorVivid2: return ApplyBoost(rows, width, height, 2);
    case kColorVivid3: return ApplyBoost(rows, width, height, 3);
    case kColorVivid4: return ApplyBoost(rows, width, height, 4);
    case kColorFade1: return RunOnPlanes(rows, width, height, Fade<1>{});
    case kColorFade2: return RunOnPlanes(rows, width, height, Fade<2>{});
    case kColorFade3: return RunOnPlanes(rows, width, height, Fade<3>{});
    case kColorFade4: return RunOnPlanes(rows, width, height, Fade<4>{});
    case kColorNaturalSepia: return RunOnPlanes(rows, width, height, NaturalSepia{});
    case kColorBlueSepia: return RunOnPlanes(rows, width, height, Toned{-24746394, 14784922, -11072963});
    case kColorSepia1: return RunOnPlanes(rows, width, height, Toned{41964012, -5158994, -86570432});
    case kColorSepia2: return RunOnPlanes(rows, width, height, Toned{83928024, -10317988, -173140864});
    case kColorSepia3: return RunOnPlanes(rows, width, height, Toned{125892036, -15476982, -259711296});
    case kColorMono: return RunOnPlanes(rows, width, height, MonoFor(monoColor));
    case kColorNegative: return RunPerPixel(rows, width, height, Negative{});
    default: return;  // original, greyscale (decoded grey) and unknown values
  }
}

}  // namespace korvane
