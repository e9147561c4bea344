// Win32 files: CreateFileW with no sharing, as the converter wants sources and
// outputs to itself while it works on them.
#include <windows.h>

#include "platform/platform.h"

namespace korvane::platform {
namespace {

HANDLE AsHandle(std::intptr_t native) { return reinterpret_cast<HANDLE>(native); }
const wchar_t* Wide(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }

File FromHandle(HANDLE h) {
  return h == INVALID_HANDLE_VALUE ? File() : File(reinterpret_cast<std::intptr_t>(h));
}

}  // namespace

bool File::Read(void* buffer, std::uint32_t size, std::uint32_t* got) {
  DWORD n = 0;
  const BOOL ok = IsOpen() && ReadFile(AsHandle(native_), buffer, size, &n, nullptr);
  *got = ok ? n : 0;
  return ok != FALSE;
}

bool File::Write(const void* buffer, std::uint32_t size) {
  DWORD n = 0;
  return IsOpen() && WriteFile(AsHandle(native_), buffer, size, &n, nullptr) && n == size;
}

void File::Close() {
  if (IsOpen()) CloseHandle(AsHandle(native_));
  native_ = kInvalid;
}

File OpenForReading(const std::u16string& path) {
  return FromHandle(CreateFileW(Wide(path), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
}

File CreateForWriting(const std::u16string& path) {
  return FromHandle(CreateFileW(Wide(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool DeleteFileAt(const std::u16string& path) { return DeleteFileW(Wide(path)) != FALSE; }

}  // namespace korvane::platform
