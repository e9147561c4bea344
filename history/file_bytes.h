// Whole-file reads and writes of byte strings over the platform's files.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace korvane {

// Reads `size` bytes from the current position into `*bytes`. False when the
// memory cannot be had or the file ends early.
bool ReadBytes(platform::File& file, std::uint64_t size, std::string* bytes);
// Writes all of `bytes`, in pieces a 32-bit call can take.
bool WriteBytes(platform::File& file, std::string_view bytes);
// The UTF-16LE bytes of `text`.
bool WriteText(platform::File& file, std::u16string_view text);

}  // namespace korvane
