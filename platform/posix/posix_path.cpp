#include "platform/posix/posix_path.h"

#include "platform/text.h"

namespace korvane::platform {

std::string NativePath(const std::u16string& path) {
  std::string out = Utf16ToUtf8(path);
  for (char& c : out)
    if (c == '\\') c = '/';
  return out;
}

}  // namespace korvane::platform
