#include "effects/color_mode.h"

#include <cstddef>

#include "effects/gray_level.h"
#include "effects/ieee_double.h"

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

// Photographs repeat colours a lot (flat areas, neighbours), so the boost
// keeps the last results in a small direct-mapped cache keyed by the colour.
void ApplyBoost(std::uint8_t* const* rows, std::uint32_t width, std::uint32_t height, double u) {
  constexpr std::uint32_t kSlots = 4096;
  constexpr std::uint32_t kEmpty = 0xFFFFFFFFu;
  struct Slot {
    std::uint32_t key;
    BoostedPixel value;
  };
  Slot cache[kSlots];
  for (Slot& s : cache) s.key = kEmpty;
  ForEachPixel(rows, width, height, [&](std::uint8_t* px) {
    const std::uint8_t R = px[0], G = px[1], B = px[2];
    if (R == G && G == B) return;  // grey stays grey
    const std::uint32_t key = R | (G << 8) | (std::uint32_t{B} << 16);
    Slot& slot = cache[(key ^ (key >> 11) ^ (key >> 17)) & (kSlots - 1)];
    if (slot.key != key) {
      slot.key = key;
      slot.value = Boost(R, G, B, u);
    }
    px[0] = slot.value.r;
    px[1] = slot.value.g;
    px[2] = slot.value.b;
  });
}

// --- the integer modes -------------------------------------------------------

std::int32_t Luma21(const std::uint8_t* px) { return kLumR * px[0] + kLumG * px[1] + kLumB * px[2]; }

std::uint8_t Clamp255(std::int32_t v) { return static_cast<std::uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v)); }

template <int kGrayQuarters>  // how many quarters of the result are grey
void ApplyFade(std::uint8_t* const* rows, std::uint32_t width, std::uint32_t height) {
  ForEachPixel(rows, width, height, [](std::uint8_t* px) {
    const std::int32_t y = Luma21(px) >> 21;
    for (int c = 0; c < 3; ++c) {
      const std::int32_t v = px[c];
      if (kGrayQuarters == 1) px[c] = static_cast<std::uint8_t>((y + 3 * v) >> 2);
      if (kGrayQuarters == 2) px[c] = static_cast<std::uint8_t>((y + v) >> 1);
      if (kGrayQuarters == 3) px[c] = static_cast<std::uint8_t>((3 * y + v) >> 2);
      if (kGrayQuarters == 4) px[c] = static_cast<std::uint8_t>(y);
    }
  });
}

void ApplyNaturalSepia(std::uint8_t* const* rows, std::uint32_t width, std::uint32_t height) {
  ForEachPixel(rows, width, height, [](std::uint8_t* px) {
    const std::int32_t R = px[0], G = px[1], B = px[2];
    // At most 5666503 * 255 < 2^31.
    const std::int32_t r = (1648361 * R + 3225419 * G + 792723 * B) >> 22;
    const std::int32_t g = (1463812 * R + 2877292 * G + 704643 * B) >> 22;
    const std::int32_t b = (1140850 * R + 2239758 * G + 549453 * B) >> 22;
    px[0] = static_cast<std::uint8_t>(r > 255 ? 255 : r);
    px[1] = static_cast<std::uint8_t>(g > 255 ? 255 : g);
    px[2] = static_cast<std::uint8_t>(b > 255 ? 255 : b);
  });
}

// Luminance plus a fixed shift per channel, in units of 2^-21 levels.
void ApplyToned(std::uint8_t* const* rows, std::uint32_t width, std::uint32_t height,
                std::int32_t offR, std::int32_t offG, std::int32_t offB) {
  ForEachPixel(rows, width, height, [=](std::uint8_t* px) {
    const std::int32_t l = Luma21(px);  // < 2^29, so l + offset stays in range
    px[0] = Clamp255((l + offR) >> 21);  // arithmetic shift: floors negatives
    px[1] = Clamp255((l + offG) >> 21);
    px[2] = Clamp255((l + offB) >> 21);
  });
}

void ApplyMono(std::uint8_t* const* rows, std::uint32_t width, std::uint32_t height, ColorRef mono) {
  const std::int32_t m[3] = {static_cast<std::int32_t>(mono & 0xFF),
                             static_cast<std::int32_t>((mono >> 8) & 0xFF),
                             static_cast<std::int32_t>((mono >> 16) & 0xFF)};
  ForEachPixel(rows, width, height, [&](std::uint8_t* px) {
    const std::int32_t y = GrayLevel(px[0], px[1], px[2]);
    for (int c = 0; c < 3; ++c) px[c] = static_cast<std::uint8_t>((255 * y + m[c] * (255 - y)) >> 8);
  });
}

void ApplyNegative(std::uint8_t* const* rows, std::uint32_t width, std::uint32_t height) {
  for (std::uint32_t y = 0; y < height; ++y) {
    std::uint8_t* p = rows[y];
    const std::size_t n = std::size_t{width} * 3;
    for (std::size_t i = 0; i < n; ++i) p[i] = static_cast<std::uint8_t>(255 - p[i]);
  }
}

}  // namespace

void ApplyColorMode(std::uint8_t* const* rows, std::uint32_t width, std::uint32_t height,
                    std::int32_t mode, ColorRef monoColor) {
  if (width == 0 || height == 0) return;
  switch (mode) {
    case kColorVivid1: return ApplyBoost(rows, width, height, 0.1);
    case kColorVivid2: return ApplyBoost(rows, width, height, 0.2);
    case kColorVivid3: return ApplyBoost(rows, width, height, 0.3);
    case kColorVivid4: return ApplyBoost(rows, width, height, 0.4);
    case kColorFade1: return ApplyFade<1>(rows, width, height);
    case kColorFade2: return ApplyFade<2>(rows, width, height);
    case kColorFade3: return ApplyFade<3>(rows, width, height);
    case kColorFade4: return ApplyFade<4>(rows, width, height);
    case kColorNaturalSepia: return ApplyNaturalSepia(rows, width, height);
    case kColorBlueSepia: return ApplyToned(rows, width, height, -24746394, 14784922, -11072963);
    case kColorSepia1: return ApplyToned(rows, width, height, 41964012, -5158994, -86570432);
    case kColorSepia2: return ApplyToned(rows, width, height, 83928024, -10317988, -173140864);
    case kColorSepia3: return ApplyToned(rows, width, height, 125892036, -15476982, -259711296);
    case kColorMono: return ApplyMono(rows, width, height, monoColor);
    case kColorNegative: return ApplyNegative(rows, width, height);
    default: return;  // original, greyscale (decoded grey) and unknown values
  }
}

}  // namespace korvane
