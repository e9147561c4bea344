#pragma once

#include <string>

namespace korvane::platform {

// UTF-8 path for POSIX calls: "\" becomes "/", so joined Windows-style paths work.
std::string NativePath(const std::u16string& path);

}  // namespace korvane::platform
