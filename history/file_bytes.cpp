#include "history/file_bytes.h"

#include <new>

#include "platform/text.h"

namespace korvane {

bool ReadBytes(platform::File& file, std::uint64_t size, std::string* bytes) {
  if (size > bytes->max_size()) return false;
  try {
    bytes->assign(static_cast<std::size_t>(size), '\0');
  } catch (const std::bad_alloc&) {
    return false;
  }
  std::size_t done = 0;
  while (done < bytes->size()) {
    const std::size_t left = bytes->size() - done;
    const std::uint32_t piece = left > (1u << 30) ? (1u << 30) : static_cast<std::uint32_t>(left);
    std::uint32_t got = 0;
    if (!file.Read(&(*bytes)[done], piece, &got) || got == 0) {
      bytes->resize(done);
      return false;
    }
    done += got;
  }
  return true;
}

bool WriteBytes(platform::File& file, std::string_view bytes) {
  while (!bytes.empty()) {
    const std::uint32_t piece =
        bytes.size() > (1u << 30) ? (1u << 30) : static_cast<std::uint32_t>(bytes.size());
    if (!file.Write(bytes.data(), piece)) return false;
    bytes.remove_prefix(piece);
  }
  return true;
}

bool WriteText(platform::File& file, std::u16string_view text) {
  try {
    return WriteBytes(file, Utf16LeBytes(text));
  } catch (const std::bad_alloc&) {
    return false;
  }
}

}  // namespace korvane
