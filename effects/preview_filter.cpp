#include "effects/preview_filter.h"

#include <cstddef>
#include <cstring>
#include <memory>
#include <new>

#include "effects/effect_chain.h"
#include "pipeline/rotate.h"

namespace korvane {
namespace {

// Exchanges the first and third byte of every pixel (B,G,R <-> R,G,B).
void SwapRedBlue(std::uint8_t* bytes, std::size_t pixels) {
  for (std::size_t i = 0; i < pixels; ++i, bytes += 3) {
    const std::uint8_t first = bytes[0];
    bytes[0] = bytes[2];
    bytes[2] = first;
  }
}

void CopySwapped(std::uint8_t* target, const std::uint8_t* source, std::size_t pixels) {
  for (std::size_t i = 0; i < pixels; ++i, target += 3, source += 3) {
    target[0] = source[2];
    target[1] = source[1];
    target[2] = source[0];
  }
}

// Turns or flips the picture in `rows` through a copy of it. Nothing
// happens when the copy cannot be made.
void RotateInPlace(int mode, bool singleChannel, std::uint8_t* const* rows, int width, int height) {
  const std::size_t rowBytes = static_cast<std::size_t>(width) * (singleChannel ? 1 : 3);
  std::unique_ptr<std::uint8_t[]> block(new (std::nothrow) std::uint8_t[rowBytes * height]);
  std::unique_ptr<const std::uint8_t*[]> copy(new (std::nothrow) const std::uint8_t*[height]);
  if (!block || !copy) return;
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = block.get() + rowBytes * y;
    std::memcpy(row, rows[y], rowBytes);
    copy[y] = row;
  }
  RotateRows(mode, singleChannel, rows, copy.get(), width, height);
}

}  // namespace

bool PreviewSettingsChanged(const OutputSettings& c, const OutputSettings& last) {
  return c.contrast != last.contrast || c.colorMode != last.colorMode || c.monoColor != last.monoColor ||
         c.rotation != last.rotation || c.blur != last.blur || c.vignetteOn != last.vignetteOn ||
         c.vignetteRgb != last.vignetteRgb || c.vignetteShape != last.vignetteShape ||
         c.vignetteThickness != last.vignetteThickness || c.specialEffect != last.specialEffect ||
         c.outlineShadow.Differs(last.outlineShadow);
}

void FilterPreviewBits(int height, const std::uint8_t* source, std::uint8_t* target, int width,
                       OutputSettings settings, OutlineShadowWorkspace& workspace) {
  if (width <= 0 || height <= 0) return;
  const bool singleChannel = settings.colorMode == kColorGrayscale;
  const int bytesPerPixel = singleChannel ? 1 : 3;
  const std::size_t pixels = static_cast<std::size_t>(width) * height;
  if (singleChannel)
    std::memcpy(target, source, pixels);
  else
    CopySwapped(target, source, pixels);

  // Row 0 on top: the buffer holds the bottom row first.
  std::unique_ptr<std::uint8_t*[]> rows(new (std::nothrow) std::uint8_t*[height]);
  if (rows) {
    const std::size_t rowBytes = static_cast<std::size_t>(width) * bytesPerPixel;
    for (int i = 0; i < height; ++i) rows[i] = target + rowBytes * (height - 1 - i);
    ApplyEffectChain(rows.get(), width, height, singleChannel, settings, workspace);
    const int turn = settings.rotation;
    const bool quarterTurn = turn == kRotateClockwise || turn == kRotateCounterClockwise;
    if (turn != kRotateNone && (!quarterTurn || width == height))
      RotateInPlace(turn, singleChannel, rows.get(), width, height);
  }
  if (!singleChannel) SwapRedBlue(target, pixels);
}

}  // namespace korvane
