// Splitting a path into folder, file name and extension. "\" and "/" both
// separate; the extension is whatever follows the last ".".
#pragma once

#include <cstddef>
#include <string_view>

namespace korvane {

// Index where the file name starts: just after the last separator, or 0.
std::size_t FileNameStart(std::u16string_view path);
// The text after the last "." of `fileName`; the whole name when it has none.
std::u16string_view ExtensionOf(std::u16string_view fileName);
// True when the file name's extension is a JPEG one, ignoring ASCII case.
bool HasJpegExtension(std::u16string_view path);

}  // namespace korvane
