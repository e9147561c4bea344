// ImageRows: a picture as an array of row pointers, row 0 on top, each row
// `width` pixels of 3 bytes (R, G, B) or 1 grey byte. This owner allocates
// every row separately and frees them row by row, then the array.
#pragma once

#include <cstddef>
#include <cstdint>

namespace korvane {

// Picture bytes (rows and row arrays) the process may hold at once: on a
// 64-bit build a stand-in for the address space of the 32-bit product, where
// allocations this large fail by themselves.
constexpr std::uint64_t kImageBudgetBytes = 1536ull * 1024 * 1024;

// Sets the budget (tests use a small one to reach the out-of-memory paths).
void SetImageBudget(std::uint64_t bytes);

enum class RowAllocation { kAllocated, kNoRowArray, kNoRow };

class ImageRows {
 public:
  ImageRows() = default;
  ~ImageRows() { Free(); }
  ImageRows(ImageRows&& other) noexcept { *this = static_cast<ImageRows&&>(other); }
  ImageRows& operator=(ImageRows&& other) noexcept;
  ImageRows(const ImageRows&) = delete;
  ImageRows& operator=(const ImageRows&) = delete;

  // Allocates `height` rows of `width` x `bytesPerPixel` bytes, top to bottom.
  // On failure nothing stays allocated.
  RowAllocation Allocate(std::uint32_t width, std::uint32_t height, int bytesPerPixel);
  void Free();

  std::uint8_t** rows() const { return rows_; }
  std::uint32_t height() const { return height_; }
  bool empty() const { return rows_ == nullptr; }

 private:
  std::uint8_t** rows_ = nullptr;
  std::uint32_t height_ = 0;
  std::uint64_t charged_ = 0;  // bytes taken from the budget
};

}  // namespace korvane
