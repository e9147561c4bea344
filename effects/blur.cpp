#include "effects/blur.h"

#include <cstddef>
#include <cstring>
#include "pipeline/image_rows.h"
#include "settings/output_settings.h"

namespace korvane {
namespace {

// Every window is separable: the weight of a sample is (row weight) x
// (column weight), and the part of a window inside the picture is a
// rectangle, so both the weighted sum and the sum of weights split into a
// vertical pass (into 32-bit column sums) and a horizontal one. Interior
// pixels divide by the full total with a shift; border pixels divide by
// (row weights inside) x (column weights inside).
//
// The picture is filtered in place, one output row at a time, with all
// channels interleaved (a channel's neighbours lie `kStep` bytes apart). The
// rows above the current one are read back from a small ring of copies of
// their original bytes.

struct Kernel {
  int before;  // window rows/columns before the centre
  int after;   // ... and after it
  std::uint32_t weight[7];
  int shift;  // log2 of the full weight
  bool box;   // 16 x 16 ones, summed with running sums
};

constexpr Kernel kBinomial3 = {1, 1, {1, 2, 1}, 4, false};
constexpr Kernel kBinomial5 = {2, 2, {1, 4, 6, 4, 1}, 8, false};
constexpr Kernel kBinomial7 = {3, 3, {1, 6, 15, 20, 15, 6, 1}, 12, false};
constexpr Kernel kBox16 = {7, 8, {}, 8, true};

std::uint32_t TapWeight(const Kernel& k, int tap) { return k.box ? 1 : k.weight[tap]; }

// Sum of the weights of the taps that land inside 0..size-1 around `pos`.
std::uint32_t WeightInside(const Kernel& k, std::int64_t pos, std::int64_t size) {
  std::uint32_t total = 0;
  for (int t = 0; t <= k.before + k.after; ++t) {
    const std::int64_t p = pos - k.before + t;
    if (p >= 0 && p < size) total += TapWeight(k, t);
  }
  return total;
}

// Scratch rows, taken from the same budget as the pictures themselves.
struct Scratch {
  ImageRows ring;    // (before + 1) original rows
  ImageRows column;  // vertical sums, one 16-bit value per byte of a row
  ImageRows window;  // box only: sums of 16 consecutive column sums

  bool Allocate(std::size_t ringRows, std::size_t rowBytes, bool box) {
    const auto bytes = static_cast<std::uint32_t>(rowBytes);
    return ring.Allocate(bytes, static_cast<std::uint32_t>(ringRows), 1) == RowAllocation::kAllocated &&
           column.Allocate(bytes, 1, 2) == RowAllocation::kAllocated &&
           (!box || window.Allocate(bytes, 1, 2) == RowAllocation::kAllocated);
  }
  std::uint8_t* Ring(std::size_t slot) const { return ring.rows()[slot]; }
  // malloc'd rows are aligned for any type.
  std::uint16_t* Column() const { return reinterpret_cast<std::uint16_t*>(column.rows()[0]); }
  std::uint16_t* Window() const { return reinterpret_cast<std::uint16_t*>(window.rows()[0]); }
};

template <int kStep>
class PlaneFilter {
 public:
  PlaneFilter(std::uint8_t* const* rows, std::size_t width, std::size_t height, const Kernel& k,
              bool soft, Scratch& s)
      : rows_(rows), width_(width), height_(height), n_(width * kStep), k_(k), soft_(soft),
        ringRows_(static_cast<std::size_t>(k.before) + 1), s_(s) {
    for (int t = 0; t <= k.before + k.after; ++t) full_ += TapWeight(k, t);
  }

  void Run() {
    for (std::size_t y = 0; y < height_; ++y) {
      if (k_.box) {
        BoxColumns(y);
      } else {
        BinomialColumns(y);
      }
      // Row y's original bytes are needed by the rows below it.
      std::memcpy(RingRow(y), rows_[y], n_);
      const std::uint32_t rowWeight = WeightInside(k_, static_cast<std::int64_t>(y),
                                                   static_cast<std::int64_t>(height_));
      if (k_.box) BoxWindows();
      if (soft_) {
        Horizontal<true>(rows_[y], rowWeight);
      } else {
        Horizontal<false>(rows_[y], rowWeight);
      }
    }
  }

 private:
  std::uint8_t* RingRow(std::size_t y) { return s_.Ring(y % ringRows_); }

  // The original bytes of row `y`, which may already be filtered in place.
  const std::uint8_t* Original(std::size_t y, std::size_t current) {
    return y < current ? RingRow(y) : rows_[y];
  }

  void BinomialColumns(std::size_t y) {
    std::uint16_t* col = s_.Column();
    const int taps = k_.before + k_.after + 1;
    const std::int64_t top = static_cast<std::int64_t>(y) - k_.before;
    if (top >= 0 && top + taps <= static_cast<std::int64_t>(height_)) {
      const std::uint8_t* r[7];
      for (int t = 0; t < taps; ++t) r[t] = Original(static_cast<std::size_t>(top + t), y);
      if (taps == 3) {
        for (std::size_t i = 0; i < n_; ++i) col[i] = r[0][i] + 2u * r[1][i] + r[2][i];
      } else if (taps == 5) {
        for (std::size_t i = 0; i < n_; ++i)
          col[i] = r[0][i] + 4u * r[1][i] + 6u * r[2][i] + 4u * r[3][i] + r[4][i];
      } else {
        for (std::size_t i = 0; i < n_; ++i)
          col[i] = r[0][i] + 6u * r[1][i] + 15u * r[2][i] + 20u * r[3][i] + 15u * r[4][i] +
                   6u * r[5][i] + r[6][i];
      }
      return;
    }
    std::memset(col, 0, n_ * sizeof(std::uint16_t));
    for (int t = 0; t < taps; ++t) {
      const std::int64_t p = top + t;
      if (p < 0 || p >= static_cast<std::int64_t>(height_)) continue;
      const std::uint8_t* r = Original(static_cast<std::size_t>(p), y);
      const std::uint32_t w = k_.weight[t];
      for (std::size_t i = 0; i < n_; ++i) col[i] += w * r[i];
    }
  }

  // Box columns as running sums: add the row entering the window, drop the
  // one leaving it.
  void BoxColumns(std::size_t y) {
    std::uint16_t* col = s_.Column();
    const std::size_t after = static_cast<std::size_t>(k_.after);
    const std::size_t before = static_cast<std::size_t>(k_.before);
    if (y == 0) {
      std::memset(col, 0, n_ * sizeof(std::uint16_t));
      for (std::size_t p = 0; p <= after && p < height_; ++p) {
        const std::uint8_t* r = rows_[p];
        for (std::size_t i = 0; i < n_; ++i) col[i] += r[i];
      }
      return;
    }
    if (y + after < height_) {
      const std::uint8_t* r = rows_[y + after];
      for (std::size_t i = 0; i < n_; ++i) col[i] += r[i];
    }
    if (y >= before + 1) {
      const std::uint8_t* r = RingRow(y - before - 1);
      for (std::size_t i = 0; i < n_; ++i) col[i] -= r[i];
    }
  }

  // window[i] = column sums of bytes i, i + kStep, ..., i + 15 kStep (one
  // channel's 16 columns), by doubling: pairs, fours, eights, sixteens. Every
  // value stays below 16 x 16 x 255 < 2^16.
  void BoxWindows() {
    const std::uint16_t* col = s_.Column();
    std::uint16_t* t = s_.Window();
    constexpr std::size_t s = kStep;
    if (n_ < 16 * s) return;
    for (std::size_t i = 0; i + s < n_; ++i) t[i] = static_cast<std::uint16_t>(col[i] + col[i + s]);
    for (std::size_t i = 0; i + 3 * s < n_; ++i) t[i] = static_cast<std::uint16_t>(t[i] + t[i + 2 * s]);
    for (std::size_t i = 0; i + 7 * s < n_; ++i) t[i] = static_cast<std::uint16_t>(t[i] + t[i + 4 * s]);
    for (std::size_t i = 0; i + 15 * s < n_; ++i) t[i] = static_cast<std::uint16_t>(t[i] + t[i + 8 * s]);
  }

  // The weighted row sum at byte i (pixel x), taps inside the row only.
  std::uint32_t RowSum(std::size_t i, std::size_t x) const {
    const std::uint16_t* col = s_.Column();
    const std::size_t channel = i - x * kStep;
    std::uint32_t sum = 0;
    for (int t = 0; t <= k_.before + k_.after; ++t) {
      const std::int64_t p = static_cast<std::int64_t>(x) - k_.before + t;
      if (p >= 0 && p < static_cast<std::int64_t>(width_))
        sum += TapWeight(k_, t) * col[static_cast<std::size_t>(p) * kStep + channel];
    }
    return sum;
  }

  template <bool kSoft>
  static void Put(std::uint8_t* out, std::uint32_t q) {
    *out = static_cast<std::uint8_t>(kSoft ? (q + *out) >> 1 : q);
  }

  template <bool kSoft>
  void Horizontal(std::uint8_t* out, std::uint32_t rowWeight) {
    const std::size_t before = static_cast<std::size_t>(k_.before);
    const std::size_t after = static_cast<std::size_t>(k_.after);
    const std::size_t innerBegin = before * kStep;
    const std::size_t innerEnd = (width_ - after) * kStep;  // width >= window here
    // Border columns: general sums and divisions.
    for (std::size_t x = 0; x < width_; ++x) {
      if (x >= before && x + after < width_) {
        x = width_ - after - 1;  // skip the interior, done below
        continue;
      }
      const std::uint32_t div =
          rowWeight * WeightInside(k_, static_cast<std::int64_t>(x), static_cast<std::int64_t>(width_));
      for (std::size_t c = 0; c < kStep; ++c) {
        const std::size_t i = x * kStep + c;
        Put<kSoft>(out + i, RowSum(i, x) / div);
      }
    }
    if (rowWeight != full_) {
      const std::uint32_t div = rowWeight * full_;
      for (std::size_t i = innerBegin; i < innerEnd; ++i)
        Put<kSoft>(out + i, InnerSum(i) / div);
      return;
    }
    const int shift = k_.shift;
    if (k_.box) {
      // The window of the pixel at byte i starts seven pixels before it.
      const std::uint16_t* t = s_.Window();
      for (std::size_t i = innerBegin; i < innerEnd; ++i) Put<kSoft>(out + i, t[i - innerBegin] >> shift);
      return;
    }
    const std::uint16_t* c = s_.Column();
    constexpr std::size_t s = kStep;
    if (k_.before == 1) {
      for (std::size_t i = innerBegin; i < innerEnd; ++i)
        Put<kSoft>(out + i, (c[i - s] + 2u * c[i] + c[i + s]) >> 4);
    } else if (k_.before == 2) {
      for (std::size_t i = innerBegin; i < innerEnd; ++i)
        Put<kSoft>(out + i,
                   (c[i - 2 * s] + 4u * c[i - s] + 6u * c[i] + 4u * c[i + s] + c[i + 2 * s]) >> 8);
    } else {
      for (std::size_t i = innerBegin; i < innerEnd; ++i) {
        // Mirrored taps first: each pair stays below 2^16.
        const std::uint32_t p3 = static_cast<std::uint16_t>(c[i - 3 * s] + c[i + 3 * s]);
        const std::uint32_t p2 = static_cast<std::uint16_t>(c[i - 2 * s] + c[i + 2 * s]);
        const std::uint32_t p1 = static_cast<std::uint16_t>(c[i - s] + c[i + s]);
        Put<kSoft>(out + i, (p3 + 6u * p2 + 15u * p1 + 20u * c[i]) >> 12);
      }
    }
  }

  // The full-window row sum at an interior byte.
  std::uint32_t InnerSum(std::size_t i) const { return RowSum(i, i / kStep); }

  std::uint8_t* const* rows_;
  std::size_t width_, height_, n_;
  const Kernel& k_;
  bool soft_;
  std::size_t ringRows_;
  Scratch& s_;
  std::uint32_t full_ = 0;
};

}  // namespace

void ApplyBlur(std::uint8_t* const* rows, std::uint32_t width, std::uint32_t height,
               bool singleChannel, std::int32_t mode) {
  const Kernel* k = nullptr;
  bool soft = false;
  switch (mode) {
    case kBlurSoftFocus: k = &kBinomial7; soft = true; break;
    case kBlurSuperSoftFocus: k = &kBox16; soft = true; break;
    case kBlurLight: k = &kBinomial3; break;
    case kBlurMedium: k = &kBinomial5; break;
    case kBlurStrong: k = &kBinomial7; break;
    default: return;
  }
  const std::uint32_t window = static_cast<std::uint32_t>(k->before + k->after + 1);
  if (width < window || height < window) return;

  const std::size_t step = singleChannel ? 1 : 3;
  const std::size_t rowBytes = std::size_t{width} * step;
  if (rowBytes > 0x7FFFFFFF / 4) return;  // column sums must fit one row
  Scratch scratch;
  if (!scratch.Allocate(static_cast<std::size_t>(k->before) + 1, rowBytes, k->box)) return;
  if (singleChannel) {
    PlaneFilter<1>(rows, width, height, *k, soft, scratch).Run();
  } else {
    PlaneFilter<3>(rows, width, height, *k, soft, scratch).Run();
  }
}

}  // namespace korvane
