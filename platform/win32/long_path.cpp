#include "platform/win32/long_path.h"

#include <windows.h>

namespace korvane::platform {
namespace {

// The longest folder path CreateDirectoryW takes in the usual form; file
// paths may be 12 units longer, but one threshold keeps the rule simple.
constexpr std::size_t kShortPathLimit = 248;

bool StartsWith(const std::u16string& text, const char16_t* head) {
  return text.rfind(head, 0) == 0;
}

}  // namespace

std::u16string ExtendedLengthPath(const std::u16string& path) {
  if (StartsWith(path, u"\\\\?\\") || StartsWith(path, u"\\\\.\\")) return path;
  const auto* wide = reinterpret_cast<const wchar_t*>(path.c_str());
  const DWORD need = GetFullPathNameW(wide, 0, nullptr, nullptr);
  if (need == 0) return path;
  std::u16string full(need, u'\0');
  const DWORD got = GetFullPathNameW(wide, need, reinterpret_cast<wchar_t*>(&full[0]), nullptr);
  if (got == 0 || got >= need) return path;
  full.resize(got);
  if (full.size() < kShortPathLimit) return path;
  if (StartsWith(full, u"\\\\")) return u"\\\\?\\UNC\\" + full.substr(2);  // \\server\share
  if (full.size() >= 3 && full[1] == u':' && full[2] == u'\\') return u"\\\\?\\" + full;
  return path;
}

}  // namespace korvane::platform
