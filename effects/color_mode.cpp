#include "effects/color_mode.h"

#include <cstddef>

#include "effects/digit_sums.h"
#include "effects/gray_level.h"
#include "effects/ieee_double.h"
#include "effects/planar_chunks.h"
#include "effects/saturation_boost.h"
#include "effects/wide_path.h"

namespace korvane {
namespace {

// Fixed-point luminance weights: 0.299, 0.587, 0.114 at 2^21 (they sum to
// 2^21 - 1, so a white pixel stays below 255 after the shift).
constexpr std::int32_t kLumR = 627048, kLumG = 1231028, kLumB = 239075;

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

#ifdef KORVANE_DIGIT_SUMS
// The integer modes again, for the wide path: the same floors of the same
// weighted sums, computed by digits in 16-bit lanes over a chunk of planes.
namespace wide {
using digits::Vec;

struct Channels {
  Vec r, g, b;
};

KORVANE_WIDE_TARGET KORVANE_ALWAYS_INLINE Channels Widened(Vec rg, Vec b) {
  return {digits::And(rg, digits::Set16(0xFF)), digits::Shr<8>(rg), b};
}

// Luminance at 2^21 (kLumR, kLumG, kLumB), floored.
struct LumaWeights : digits::Weights<4> {
  KORVANE_WIDE_TARGET LumaWeights() : Weights(kLumR, kLumG, kLumB) {}
};

template <int kGrayQuarters>
struct FadeKernel {
  LumaWeights luma;
  KORVANE_WIDE_TARGET KORVANE_ALWAYS_INLINE void Block(Vec& vr, Vec& vg, Vec& vb) const {
    using namespace digits;
    ForHalves(vr, vg, vb, [this](Vec rg, Vec b, Vec* out) KORVANE_WIDE_TARGET {
      const Vec y = Floor<3>(DigitSums(luma, rg, b), static_cast<const Offset<4>*>(nullptr));
      const Channels c = Widened(rg, b);
      const auto f = [y](Vec v) KORVANE_WIDE_TARGET {
        if (kGrayQuarters == 1) return Shr<2>(Add(y, Add(v, Add(v, v))));
        if (kGrayQuarters == 2) return Shr<1>(Add(y, v));
        if (kGrayQuarters == 3) return Shr<2>(Add(Add(y, Add(y, y)), v));
        return y;
      };
      out[0] = f(c.r);
      out[1] = f(c.g);
      out[2] = f(c.b);
    });
  }
};

// With a separate offset per channel, the luminance in 32-bit lanes and one
// shift per channel is fewer steps than carrying digits three times.
struct TonedKernel {
  digits::Weights32<7> luma{kLumR, kLumG, kLumB};
  Vec offR, offG, offB;
  KORVANE_WIDE_TARGET TonedKernel(std::int32_t r, std::int32_t g, std::int32_t b)
      : offR(digits::Set32(r)), offG(digits::Set32(g)), offB(digits::Set32(b)) {}
  KORVANE_WIDE_TARGET KORVANE_ALWAYS_INLINE void Block(Vec& vr, Vec& vg, Vec& vb) const {
    using namespace digits;
    ForHalves(vr, vg, vb, [this](Vec rg, Vec b, Vec* out) KORVANE_WIDE_TARGET {
      const Sum32 l = WeightedSums32(luma, rg, b);
      const auto level = [&l](Vec offset) KORVANE_WIDE_TARGET {
        return Pack32(Sar32<21>(Add32(l.first, offset)), Sar32<21>(Add32(l.second, offset)));
      };
      out[0] = level(offR);
      out[1] = level(offG);
      out[2] = level(offB);
    });
  }
};

struct NaturalSepiaKernel {
  digits::Weights<4> red{1648361, 3225419, 792723}, green{1463812, 2877292, 704643}, blue{1140850, 2239758, 549453};
  KORVANE_WIDE_TARGET NaturalSepiaKernel() {}
  KORVANE_WIDE_TARGET KORVANE_ALWAYS_INLINE void Block(Vec& vr, Vec& vg, Vec& vb) const {
    using namespace digits;
    ForHalves(vr, vg, vb, [this](Vec rg, Vec b, Vec* out) KORVANE_WIDE_TARGET {
      const Offset<4>* none = nullptr;
      out[0] = Floor<4>(DigitSums(red, rg, b), none);
      out[1] = Floor<4>(DigitSums(green, rg, b), none);
      out[2] = Floor<4>(DigitSums(blue, rg, b), none);
    });
  }
};

// The grey level of GrayLevelInt tinted.
struct MonoKernel {
  Vec keep[3], tint[3];  // 255 - m and 255 m per channel
  KORVANE_WIDE_TARGET explicit MonoKernel(const Mono& m) {
    const std::int32_t tints[3] = {m.m0, m.m1, m.m2};
    for (int c = 0; c < 3; ++c) {
      keep[c] = digits::Set16(255 - tints[c]);
      tint[c] = digits::Set16(255 * tints[c]);
    }
  }
  KORVANE_WIDE_TARGET KORVANE_ALWAYS_INLINE void Block(Vec& vr, Vec& vg, Vec& vb) const {
    using namespace digits;
    ForHalves(vr, vg, vb, [this](Vec rg, Vec b, Vec* out) KORVANE_WIDE_TARGET {
      const Vec y = GrayLevels16(rg, b);
      // 255 y + m (255 - y) = y (255 - m) + 255 m, at most 255 x 255.
      for (int c = 0; c < 3; ++c) out[c] = Shr<8>(Add(Mul(y, keep[c]), tint[c]));
    });
  }
};

// A kernel's blocks over a chunk of planes.
template <typename Kernel>
struct Chunked : Kernel {
  using Kernel::Kernel;
  KORVANE_WIDE_TARGET KORVANE_ALWAYS_INLINE void operator()(Planes& q) const {
    digits::OverPlanes<kChunk>(q.r, q.g, q.b, static_cast<const Kernel&>(*this));
  }
};

template <typename Kernel, typename... Args>
KORVANE_WIDE_TARGET void RunKernel(std::uint8_t* const* rows, std::uint32_t width, std::uint32_t height,
                                   const Args&... args) {
  const Chunked<Kernel> kernel(args...);
  PlanarRowsWide(rows, width, height, kernel);
}
}  // namespace wide

// The wide kernel where the processor has the wide instructions, else the
// pixel functor on planes.
template <typename Kernel, typename PixelOp, typename... Args>
void RunMode(std::uint8_t* const* rows, std::uint32_t width, std::uint32_t height, const PixelOp& op,
             const Args&... args) {
  if (WideCpu()) return wide::RunKernel<Kernel>(rows, width, height, args...);
  RunOnPlanes(rows, width, height, op);
}
#else
namespace wide {  // no wide kernels on this processor family
template <int>
struct FadeKernel {};
struct TonedKernel {};
struct NaturalSepiaKernel {};
struct MonoKernel {};
}  // namespace wide

template <typename Kernel, typename PixelOp, typename... Args>
void RunMode(std::uint8_t* const* rows, std::uint32_t width, std::uint32_t height, const PixelOp& op,
             const Args&...) {
  RunOnPlanes(rows, width, height, op);
}
#endif

Mono MonoFor(ColorRef mono) {
  return {static_cast<std::int32_t>(mono & 0xFF), static_cast<std::int32_t>((mono >> 8) & 0xFF),
          static_cast<std::int32_t>((mono >> 16) & 0xFF)};
}

void RunToned(std::uint8_t* const* rows, std::uint32_t width, std::uint32_t height, const Toned& op) {
  RunMode<wide::TonedKernel>(rows, width, height, op, op.offR, op.offG, op.offB);
}

}  // namespace

void ApplyColorMode(std::uint8_t* const* rows, std::uint32_t width, std::uint32_t height,
                    std::int32_t mode, ColorRef monoColor) {
  if (width == 0 || height == 0) return;
  switch (mode) {
    case kColorVivid1: return ApplySaturationBoost(rows, width, height, 1);
    case kColorVivid2: return ApplySaturationBoost(rows, width, height, 2);
    case kColorVivid3: return ApplySaturationBoost(rows, width, height, 3);
    case kColorVivid4: return ApplySaturationBoost(rows, width, height, 4);
    case kColorFade1: return RunMode<wide::FadeKernel<1>>(rows, width, height, Fade<1>{});
    case kColorFade2: return RunMode<wide::FadeKernel<2>>(rows, width, height, Fade<2>{});
    case kColorFade3: return RunMode<wide::FadeKernel<3>>(rows, width, height, Fade<3>{});
    case kColorFade4: return RunMode<wide::FadeKernel<4>>(rows, width, height, Fade<4>{});
    case kColorNaturalSepia: return RunMode<wide::NaturalSepiaKernel>(rows, width, height, NaturalSepia{});
    case kColorBlueSepia: return RunToned(rows, width, height, Toned{-24746394, 14784922, -11072963});
    case kColorSepia1: return RunToned(rows, width, height, Toned{41964012, -5158994, -86570432});
    case kColorSepia2: return RunToned(rows, width, height, Toned{83928024, -10317988, -173140864});
    case kColorSepia3: return RunToned(rows, width, height, Toned{125892036, -15476982, -259711296});
    case kColorMono: {
      const Mono mono = MonoFor(monoColor);
      return RunMode<wide::MonoKernel>(rows, width, height, mono, mono);
    }
    case kColorNegative: return RunPerPixel(rows, width, height, Negative{});
    default: return;  // original, greyscale (decoded grey) and unknown values
  }
}

}  // namespace korvane
