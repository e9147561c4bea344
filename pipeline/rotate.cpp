#include "pipeline/rotate.h"

#include <cstring>

#include "settings/output_settings.h"

namespace korvane {
namespace {

template <int N>
inline void CopyPixel(std::uint8_t* dst, const std::uint8_t* src) {
  for (int k = 0; k < N; ++k) dst[k] = src[k];
}

// Quarter turns read the source down a column for every target row; going
// through square tiles keeps both sides in cache.
constexpr int kTile = 64;

template <int N>
void QuarterTurn(bool clockwise, std::uint8_t* const* target, const std::uint8_t* const* source,
                 int width, int height) {
  // Target is height wide and width high.
  for (int ty0 = 0; ty0 < width; ty0 += kTile) {
    const int ty1 = ty0 + kTile < width ? ty0 + kTile : width;
    for (int tx0 = 0; tx0 < height; tx0 += kTile) {
      const int tx1 = tx0 + kTile < height ? tx0 + kTile : height;
      for (int ty = ty0; ty < ty1; ++ty) {
        std::uint8_t* out = target[ty];
        for (int tx = tx0; tx < tx1; ++tx) {
          // clockwise: the bottom-left corner becomes the top-left;
          // counter-clockwise: the top-right corner becomes the top-left.
          const std::uint8_t* in =
              clockwise ? source[height - 1 - tx] + std::size_t(ty) * N
                        : source[tx] + std::size_t(width - 1 - ty) * N;
          CopyPixel<N>(out + std::size_t(tx) * N, in);
        }
      }
    }
  }
}

template <int N>
void MirrorRow(std::uint8_t* out, const std::uint8_t* in, int width) {
  for (int x = 0; x < width; ++x) CopyPixel<N>(out + std::size_t(x) * N, in + std::size_t(width - 1 - x) * N);
}

template <int N>
void Rotate(int mode, std::uint8_t* const* target, const std::uint8_t* const* source, int width,
            int height) {
  const std::size_t rowBytes = std::size_t(width) * N;
  switch (mode) {
    case kRotateClockwise:
      QuarterTurn<N>(true, target, source, width, height);
      break;
    case kRotateCounterClockwise:
      QuarterTurn<N>(false, target, source, width, height);
      break;
    case kRotate180:
      for (int y = 0; y < height; ++y) MirrorRow<N>(target[y], source[height - 1 - y], width);
      break;
    case kFlipHorizontal:
      for (int y = 0; y < height; ++y) MirrorRow<N>(target[y], source[y], width);
      break;
    default:  // kFlipVertical and anything unknown
      for (int y = 0; y < height; ++y) std::memcpy(target[y], source[height - 1 - y], rowBytes);
      break;
  }
}

}  // namespace

void RotateRows(int mode, bool singleChannel, std::uint8_t* const* target,
                const std::uint8_t* const* source, int width, int height) {
  if (width <= 0 || height <= 0) return;
  if (singleChannel)
    Rotate<1>(mode, target, source, width, height);
  else
    Rotate<3>(mode, target, source, width, height);
}

}  // namespace korvane
