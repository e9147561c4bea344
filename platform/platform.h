// The one OS layer the core calls. Two implementations: Win32 (the product)
// and POSIX (tests and the command-line tool). Paths are UTF-16; "\" and "/"
// both separate.
#pragma once

#include <cstdint>
#include <string>

namespace korvane::platform {

// An open file, closed when the owner goes away. Move-only.
class File {
 public:
  File() = default;
  explicit File(std::intptr_t native) : native_(native) {}
  ~File() { Close(); }
  File(File&& other) noexcept : native_(other.native_) { other.native_ = kInvalid; }
  File& operator=(File&& other) noexcept {
    if (this != &other) {
      Close();
      native_ = other.native_;
      other.native_ = kInvalid;
    }
    return *this;
  }
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  bool IsOpen() const { return native_ != kInvalid; }
  // Reads up to `size` bytes; false on an error, `*got` holds what came.
  bool Read(void* buffer, std::uint32_t size, std::uint32_t* got);
  // Writes `size` bytes; false unless all of them were written.
  bool Write(const void* buffer, std::uint32_t size);
  void Close();

  static constexpr std::intptr_t kInvalid = -1;

 private:
  std::intptr_t native_ = kInvalid;
};

// Opens an existing regular file for reading, sharing it with nobody.
File OpenForReading(const std::u16string& path);
// Creates (or empties) a file for writing, sharing it with nobody.
File CreateForWriting(const std::u16string& path);
bool DeleteFileAt(const std::u16string& path);

}  // namespace korvane::platform
