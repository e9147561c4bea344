#include "pipeline/image_rows.h"

#include <atomic>
#include <cstdlib>

namespace korvane {
namespace {

// Shared by every thread that holds pictures (the batch and the preview).
std::atomic<std::uint64_t> bytesInUse{0};
std::atomic<std::uint64_t> budget{kImageBudgetBytes};

bool Charge(std::uint64_t bytes) {
  std::uint64_t used = bytesInUse.load();
  do {
    const std::uint64_t limit = budget.load();
    if (used > limit || bytes > limit - used) return false;
  } while (!bytesInUse.compare_exchange_weak(used, used + bytes));
  return true;
}

void Refund(std::uint64_t bytes) { bytesInUse.fetch_sub(bytes); }

}  // namespace

void SetImageBudget(std::uint64_t bytes) { budget.store(bytes); }

ImageRows& ImageRows::operator=(ImageRows&& other) noexcept {
  if (this != &other) {
    Free();
    rows_ = other.rows_;
    height_ = other.height_;
    charged_ = other.charged_;
    other.rows_ = nullptr;
    other.height_ = 0;
    other.charged_ = 0;
  }
  return *this;
}

RowAllocation ImageRows::Allocate(std::uint32_t width, std::uint32_t height, int bytesPerPixel) {
  Free();
  const std::uint64_t rowBytes = std::uint64_t{width} * static_cast<std::uint64_t>(bytesPerPixel);
  const std::uint64_t arrayBytes = std::uint64_t{height ? height : 1} * sizeof(std::uint8_t*);
  if (!Charge(arrayBytes)) return RowAllocation::kNoRowArray;
  auto** rows = static_cast<std::uint8_t**>(std::calloc(height ? height : 1, sizeof(std::uint8_t*)));
  if (rows == nullptr) {
    Refund(arrayBytes);
    return RowAllocation::kNoRowArray;
  }

  // The whole picture is checked against the budget before any row is taken,
  // so that a huge declared size fails at once instead of after filling memory.
  const bool fits = height == 0 || rowBytes <= UINT64_MAX / height;
  const std::uint64_t pixelBytes = fits ? rowBytes * height : UINT64_MAX;
  if (!fits || static_cast<std::size_t>(rowBytes) != rowBytes || !Charge(pixelBytes)) {
    std::free(rows);
    Refund(arrayBytes);
    return RowAllocation::kNoRow;
  }
  for (std::uint32_t y = 0; y < height; ++y) {
    rows[y] = static_cast<std::uint8_t*>(std::malloc(rowBytes ? static_cast<std::size_t>(rowBytes) : 1));
    if (rows[y] == nullptr) {
      while (y > 0) std::free(rows[--y]);
      std::free(rows);
      Refund(arrayBytes + pixelBytes);
      return RowAllocation::kNoRow;
    }
  }
  rows_ = rows;
  height_ = height;
  charged_ = arrayBytes + pixelBytes;
  return RowAllocation::kAllocated;
}

void ImageRows::Free() {
  if (rows_ == nullptr) return;
  for (std::uint32_t y = 0; y < height_; ++y) std::free(rows_[y]);
  std::free(rows_);
  Refund(charged_);
  rows_ = nullptr;
  height_ = 0;
  charged_ = 0;
}

}  // namespace korvane
