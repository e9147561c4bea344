#include "effects/outline_shadow.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "effects/digit_sums.h"
#include "effects/gray_level.h"
#include "effects/planar_chunks.h"
#include "effects/rank_filter.h"
#include "platform/platform.h"
#include "effects/wide_path.h"  // last: it sets the floating-point mode

namespace korvane {
namespace {

constexpr std::uint8_t kGroupBits = 0xC0;  // four levels: 0, 64, 128, 192

// A fill choice outside 0..5 counts as 0: no layer, or the photograph itself
// as the background.
std::int32_t Choice(std::int32_t c) { return c < kFillOriginal || c > kFillRandomPale ? 0 : c; }

ColorRef FillColor(std::int32_t choice, ColorRef custom, ColorRef random) {
  switch (choice) {
    case kFillWhite: return 0xFFFFFF;
    case kFillBlack: return 0;
    case kFillCustom: return custom;
    default: return random;
  }
}

bool EnsurePlane(ImageRows& plane, std::uint32_t width, std::uint32_t height) {
  if (plane.empty()) plane.Allocate(width, height, 1);
  return !plane.empty();
}

// A workspace follows the picture's size: planes of another size are dropped.
void FitWorkspace(OutlineShadowWorkspace& ws, std::uint32_t width, std::uint32_t height) {
  if (ws.width != width || ws.height != height) {
    ws.Free();
    ws.width = width;
    ws.height = height;
  }
}

// The grey plane of a picture: GrayLevel spelled out so that it vectorizes
// (its products and sums are exact, so any evaluation gives the same byte).
KORVANE_ALWAYS_INLINE void GrayRows(std::uint8_t* const* rows, std::uint8_t* const* g, std::uint32_t width,
                                    std::uint32_t height, bool singleChannel, std::uint8_t group) {
  for (std::uint32_t y = 0; y < height; ++y) {
    const std::uint8_t* src = rows[y];
    std::uint8_t* dst = g[y];
    if (singleChannel) {
      for (std::uint32_t x = 0; x < width; ++x) dst[x] = static_cast<std::uint8_t>(src[x] & group);
    } else {
      for (std::size_t x = 0; x < width; ++x) {
        const auto v = static_cast<std::int32_t>(src[3 * x] * static_cast<double>(0.299f) +
                                                 src[3 * x + 1] * static_cast<double>(0.587f) +
                                                 src[3 * x + 2] * static_cast<double>(0.114f));
        dst[x] = static_cast<std::uint8_t>(v & group);
      }
    }
  }
}
// On the wide path a colour picture's rows are split into planes a chunk at
// a time and their grey levels computed in integer vector lanes.
KORVANE_WIDE_TARGET void GrayRowsWide(std::uint8_t* const* rows, std::uint8_t* const* g, std::uint32_t width,
                                      std::uint32_t height, bool singleChannel, std::uint8_t group) {
#if defined(KORVANE_DIGIT_SUMS) && defined(KORVANE_PLANAR_SHUFFLES)
  if (!singleChannel) {
    Planes q{};  // entries past a row's end are read, never stored
    alignas(32) std::uint8_t levels[kChunk];
    const digits::Vec mask = digits::Set16(group | (group << 8));
    for (std::uint32_t y = 0; y < height; ++y) {
      const std::uint8_t* src = rows[y];
      for (std::size_t x = 0; x < width; x += kChunk) {
        const std::size_t n = width - x < kChunk ? width - x : kChunk;
        SplitPixelsWide(src + 3 * x, n, q);
        for (std::size_t i = 0; i < kChunk; i += digits::kBytes) {
          const digits::Vec v = digits::GrayLevelBytes(digits::Load(q.r + i), digits::Load(q.g + i),
                                                       digits::Load(q.b + i));
          digits::Store(levels + i, digits::And(v, mask));
        }
        std::memcpy(g[y] + x, levels, n);
      }
    }
    return;
  }
#endif
  GrayRows(rows, g, width, height, singleChannel, group);
}

struct LayerOptions {
  bool grouping;
  bool smoothing;
};

// Makes a layer's grey plane (and its smoothed copy) from the picture as it
// is now; returns the plane the layer's mask reads, or nullptr without
// memory for it.
std::uint8_t* const* MakeLayerPlane(std::uint8_t* const* rows, std::uint32_t width, std::uint32_t height,
                                    bool singleChannel, LayerOptions o, ImageRows& gray,
                                    ImageRows& smooth) {
  if (!EnsurePlane(gray, width, height)) return nullptr;
  std::uint8_t* const* g = gray.rows();
  const std::uint8_t group = o.grouping ? kGroupBits : 0xFF;
  if (WideCpu()) {
    GrayRowsWide(rows, g, width, height, singleChannel, group);
  } else {
    GrayRows(rows, g, width, height, singleChannel, group);
  }
  if (!o.smoothing) return g;
  if (!EnsurePlane(smooth, width, height)) return nullptr;
  // The filter only ever selects a sample of its window (or keeps the source
  // value), so a grouped plane stays grouped and needs no second mask.
  RankFilter(g, smooth.rows(), width, height);
  return smooth.rows();
}

struct Layers {
  bool outlineNow;
  bool shadowNow;
};

// Makes the planes of the layers due in this stage. The shadow reads the
// outline's plane when both would be made from the same picture the same way.
void MakeDuePlanes(std::uint8_t* const* rows, std::uint32_t width, std::uint32_t height,
                   bool singleChannel, const OutlineShadowSettings& s, Layers due,
                   OutlineShadowWorkspace& ws) {
  const LayerOptions outline = {s.outlineGrouping != 0, s.outlineSmoothing != 0};
  const LayerOptions shadow = {s.shadowGrouping != 0, s.shadowSmoothing != 0};
  if (due.outlineNow)
    ws.outlineSource = MakeLayerPlane(rows, width, height, singleChannel, outline, ws.outlineGray,
                                      ws.outlineSmooth);
  if (due.shadowNow) {
    if (due.outlineNow && ws.outlineSource != nullptr && outline.grouping == shadow.grouping &&
        outline.smoothing == shadow.smoothing) {
      ws.shadowSource = ws.outlineSource;
    } else {
      ws.shadowSource = MakeLayerPlane(rows, width, height, singleChannel, shadow, ws.shadowGray,
                                       ws.shadowSmooth);
    }
  }
}

// 0 where the source is darker by more than `level` than the truncated mean
// of its 3 x 3 neighbourhood (the part inside the plane), else 255.
KORVANE_ALWAYS_INLINE void OutlineMaskRows(std::uint8_t* const* src, std::uint8_t* const* mask,
                                           std::uint32_t width, std::uint32_t height, std::int32_t level,
                                           std::uint16_t* column) {
  // Beyond +-256 the answer no longer changes; clamping keeps the sums small.
  const std::int32_t lv = level < -256 ? -256 : (level > 256 ? 256 : level);
  for (std::uint32_t y = 0; y < height; ++y) {
    const std::uint32_t r0 = y > 0 ? y - 1 : 0, r1 = y + 1 < height ? y + 1 : y;
    const std::uint32_t rowsIn = r1 - r0 + 1;
    const std::uint8_t *top = src[r0], *mid = src[y], *bottom = src[r1];
    if (rowsIn == 3) {
      for (std::uint32_t x = 0; x < width; ++x) column[x] = static_cast<std::uint16_t>(top[x] + mid[x] + bottom[x]);
    } else if (rowsIn == 2) {
      const std::uint8_t* other = r0 == y ? bottom : top;
      for (std::uint32_t x = 0; x < width; ++x) column[x] = static_cast<std::uint16_t>(mid[x] + other[x]);
    } else {
      for (std::uint32_t x = 0; x < width; ++x) column[x] = mid[x];
    }
    const std::uint8_t* s = src[y];
    std::uint8_t* m = mask[y];
    const auto put = [&](std::uint32_t x, std::uint32_t sum, std::uint32_t count) {
      const std::int32_t mean = static_cast<std::int32_t>(sum / count);
      m[x] = static_cast<std::uint8_t>(s[x] < mean - lv ? 0 : 255);
    };
    if (width < 3) {
      for (std::uint32_t x = 0; x < width; ++x) {
        std::uint32_t sum = 0;
        for (std::uint32_t c = 0; c < width; ++c) sum += column[c];
        put(x, sum, rowsIn * width);
      }
      continue;
    }
    put(0, column[0] + column[1], rowsIn * 2);
    put(width - 1, column[width - 2] + column[width - 1], rowsIn * 2);
    if (rowsIn == 3) {
      for (std::uint32_t x = 1; x + 1 < width; ++x) {
        const std::int32_t mean = (column[x - 1] + column[x] + column[x + 1]) / 9;
        m[x] = static_cast<std::uint8_t>(s[x] < mean - lv ? 0 : 255);
      }
    } else {
      const std::uint32_t count = rowsIn * 3;
      for (std::uint32_t x = 1; x + 1 < width; ++x)
        put(x, column[x - 1] + column[x] + column[x + 1], count);
    }
  }
}

KORVANE_WIDE_TARGET void OutlineMaskRowsWide(std::uint8_t* const* src, std::uint8_t* const* mask,
                                             std::uint32_t width, std::uint32_t height, std::int32_t level,
                                             std::uint16_t* column) {
  OutlineMaskRows(src, mask, width, height, level, column);
}

void MakeOutlineMask(std::uint8_t* const* src, std::uint8_t* const* mask, std::uint32_t width,
                     std::uint32_t height, std::int32_t level, std::uint16_t* column) {
  if (WideCpu()) {
    OutlineMaskRowsWide(src, mask, width, height, level, column);
  } else {
    OutlineMaskRows(src, mask, width, height, level, column);
  }
}

void MakeShadowMask(std::uint8_t* const* src, std::uint8_t* const* mask, std::uint32_t width,
                    std::uint32_t height, std::int32_t level) {
  for (std::uint32_t y = 0; y < height; ++y) {
    const std::uint8_t* s = src[y];
    std::uint8_t* m = mask[y];
    for (std::uint32_t x = 0; x < width; ++x) m[x] = static_cast<std::uint8_t>(s[x] < level ? 0 : 255);
  }
}

struct Paint {
  std::uint8_t c[3];
};

Paint PaintOf(ColorRef color, bool singleChannel) {
  const auto r = static_cast<std::uint8_t>(color & 0xFF);
  const auto g = static_cast<std::uint8_t>((color >> 8) & 0xFF);
  const auto b = static_cast<std::uint8_t>((color >> 16) & 0xFF);
  if (singleChannel) {
    const std::uint8_t k = GrayLevel(r, g, b);
    return {{k, k, k}};
  }
  return {{r, g, b}};
}

void FillPicture(std::uint8_t* const* rows, std::uint32_t width, std::uint32_t height,
                 bool singleChannel, Paint p) {
  const std::size_t bytes = std::size_t{width} * (singleChannel ? 1 : 3);
  for (std::uint32_t y = 0; y < height; ++y) {
    std::uint8_t* d = rows[y];
    if (singleChannel) {
      std::memset(d, p.c[0], width);
    } else if (y > 0) {
      std::memcpy(d, rows[0], bytes);
    } else {
      for (std::uint32_t x = 0; x < width; ++x, d += 3) {
        d[0] = p.c[0];
        d[1] = p.c[1];
        d[2] = p.c[2];
      }
    }
  }
}

KORVANE_ALWAYS_INLINE void PaintRows(std::uint8_t* const* rows, std::uint8_t* const* mask, std::uint32_t width,
                                     std::uint32_t height, bool singleChannel, Paint p) {
  for (std::uint32_t y = 0; y < height; ++y) {
    std::uint8_t* d = rows[y];
    const std::uint8_t* m = mask[y];
    if (singleChannel) {
      for (std::uint32_t x = 0; x < width; ++x) {
        const auto keep = static_cast<std::uint8_t>(m[x] == 0 ? 0 : 0xFF);
        d[x] = static_cast<std::uint8_t>((d[x] & keep) | (p.c[0] & ~keep));
      }
    } else {
      // Branch-free: mask edges are far too irregular to predict.
      for (std::size_t x = 0; x < width; ++x) {
        const auto keep = static_cast<std::uint8_t>(m[x] == 0 ? 0 : 0xFF);
        d[3 * x] = static_cast<std::uint8_t>((d[3 * x] & keep) | (p.c[0] & ~keep));
        d[3 * x + 1] = static_cast<std::uint8_t>((d[3 * x + 1] & keep) | (p.c[1] & ~keep));
        d[3 * x + 2] = static_cast<std::uint8_t>((d[3 * x + 2] & keep) | (p.c[2] & ~keep));
      }
    }
  }
}

KORVANE_WIDE_TARGET void PaintRowsWide(std::uint8_t* const* rows, std::uint8_t* const* mask, std::uint32_t width,
                                       std::uint32_t height, bool singleChannel, Paint p) {
  PaintRows(rows, mask, width, height, singleChannel, p);
}

void PaintLayer(std::uint8_t* const* rows, std::uint8_t* const* mask, std::uint32_t width,
                std::uint32_t height, bool singleChannel, Paint p) {
  if (WideCpu()) {
    PaintRowsWide(rows, mask, width, height, singleChannel, p);
  } else {
    PaintRows(rows, mask, width, height, singleChannel, p);
  }
}

}  // namespace

// --- random colours --------------------------------------------------------------

ColorRef HueColor(std::uint32_t hue, std::uint32_t saturation) {
  const std::uint32_t h6 = 6 * (hue & 0xFF), s = saturation & 0xFF;
  const std::uint32_t sector = h6 >> 8, f = h6 & 255;
  const std::uint32_t p = 255 - s, q = 255 - ((s * f) >> 8), t = 255 - ((s * (256 - f)) >> 8);
  std::uint32_t r, g, b;
  switch (sector) {
    case 0: r = 255, g = t, b = p; break;
    case 1: r = q, g = 255, b = p; break;
    case 2: r = p, g = 255, b = t; break;
    case 3: r = p, g = q, b = 255; break;
    case 4: r = t, g = p, b = 255; break;
    default: r = 255, g = p, b = q; break;
  }
  return r | (g << 8) | (b << 16);
}

void PickRandomColors(OutlineShadowSettings& s) {
  std::srand(platform::QueryTickCount());
  const std::uint32_t h0 = platform::QueryTickCount() & 0xFF;
  const auto r1 = static_cast<std::uint32_t>(std::rand());
  const auto r2 = static_cast<std::uint32_t>(std::rand());
  const std::uint32_t h1 = (h0 + 32 + r1 % 192) % 256;
  const std::uint32_t h2 = (h0 + 32 + r2 % 192) % 256;
  const auto saturation = [](std::int32_t choice) { return choice == kFillRandomVivid ? 255u : 128u; };
  s.backgroundRandomRgb = HueColor(h0, saturation(s.background));
  s.outlineRandomRgb = HueColor(h1, saturation(s.outline));
  s.shadowRandomRgb = HueColor(h2, saturation(s.shadow));
}

// --- the two stages -----------------------------------------------------------------

void PrepareOutlineShadow(std::uint8_t* const* rows, std::uint32_t width, std::uint32_t height,
                          bool singleChannel, bool blurOn, const OutlineShadowSettings& s,
                          OutlineShadowWorkspace& ws) {
  FitWorkspace(ws, width, height);
  ws.outlineSource = ws.shadowSource = nullptr;
  if (width == 0 || height == 0) return;
  // A layer without a fill never reads its plane, so it is not made.
  const Layers due = {Choice(s.outline) != 0 && (s.outlineBeforeBlur || !blurOn),
                      Choice(s.shadow) != 0 && (s.shadowBeforeBlur || !blurOn)};
  MakeDuePlanes(rows, width, height, singleChannel, s, due, ws);
}

void ApplyOutlineShadow(std::uint8_t* const* rows, std::uint32_t width, std::uint32_t height,
                        bool singleChannel, bool blurOn, const OutlineShadowSettings& s,
                        OutlineShadowWorkspace& ws) {
  if (ws.width != width || ws.height != height) {
    // No first stage for this size: nothing made earlier may be used.
    FitWorkspace(ws, width, height);
    ws.outlineSource = ws.shadowSource = nullptr;
  }
  if (width == 0 || height == 0) return;
  const std::int32_t outline = Choice(s.outline), shadow = Choice(s.shadow),
                     background = Choice(s.background);
  const Layers due = {outline != 0 && !s.outlineBeforeBlur && blurOn,
                      shadow != 0 && !s.shadowBeforeBlur && blurOn};
  MakeDuePlanes(rows, width, height, singleChannel, s, due, ws);

  bool outlineMasked = false, shadowMasked = false;
  if (outline != 0 && ws.outlineSource != nullptr && EnsurePlane(ws.outlineMask, width, height)) {
    std::unique_ptr<std::uint16_t[]> column(new (std::nothrow) std::uint16_t[width]);
    if (column) {
      MakeOutlineMask(ws.outlineSource, ws.outlineMask.rows(), width, height, s.outlineLevel,
                      column.get());
      outlineMasked = true;
    }
  }
  if (shadow != 0 && ws.shadowSource != nullptr && EnsurePlane(ws.shadowMask, width, height)) {
    MakeShadowMask(ws.shadowSource, ws.shadowMask.rows(), width, height, s.shadowLevel);
    shadowMasked = true;
  }
  // Planes belong to this picture only.
  ws.outlineSource = ws.shadowSource = nullptr;

  if (background != 0)
    FillPicture(rows, width, height, singleChannel,
                PaintOf(FillColor(background, s.backgroundRgb, s.backgroundRandomRgb), singleChannel));
  const ColorRef outlineColor = FillColor(outline, s.outlineRgb, s.outlineRandomRgb);
  const ColorRef shadowColor = s.shadowTakesOutlineColor ? outlineColor
                                                         : FillColor(shadow, s.shadowRgb, s.shadowRandomRgb);
  const bool paintShadow = shadowMasked && (!s.shadowTakesOutlineColor || outline != 0);
  const bool paintOutline = outlineMasked;
  const auto paintShadowLayer = [&] {
    if (paintShadow)
      PaintLayer(rows, ws.shadowMask.rows(), width, height, singleChannel, PaintOf(shadowColor, singleChannel));
  };
  const auto paintOutlineLayer = [&] {
    if (paintOutline)
      PaintLayer(rows, ws.outlineMask.rows(), width, height, singleChannel,
                 PaintOf(outlineColor, singleChannel));
  };
  if (s.outlineUnderShadow) {
    paintOutlineLayer();
    paintShadowLayer();
  } else {
    paintShadowLayer();
    paintOutlineLayer();
  }
}

}  // namespace korvane
