// UTF-16 text helpers shared by the core and both platform layers.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace korvane {

std::string Utf16ToUtf8(std::u16string_view text);
std::u16string Utf8ToUtf16(std::string_view text);

// The code units of `text` as little-endian bytes, as the files hold them.
std::string Utf16LeBytes(std::u16string_view text);
// Little-endian bytes back to code units; a trailing odd byte is dropped.
std::u16string Utf16FromLeBytes(std::string_view bytes);

// Decimal digits of `value`.
std::u16string DecimalText(long long value);

// Copies `text` into a buffer of `capacity` units, always terminated; a cut
// never splits a surrogate pair.
void CopyToBuffer(char16_t* buffer, std::size_t capacity, std::u16string_view text);

}  // namespace korvane
