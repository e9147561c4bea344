// UTF-16 text helpers shared by the core and both platform layers.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace korvane {

std::string Utf16ToUtf8(std::u16string_view text);
std::u16string Utf8ToUtf16(std::string_view text);

// Decimal digits of `value`.
std::u16string DecimalText(long long value);

// Copies `text` into a buffer of `capacity` units, always terminated; a cut
// never splits a surrogate pair.
void CopyToBuffer(char16_t* buffer, std::size_t capacity, std::u16string_view text);

}  // namespace korvane
