// Win32 files: CreateFileW with no sharing, as the converter wants sources and
// outputs to itself while it works on them. Long paths take the "\\?\" form.
#include <windows.h>

#include <atomic>
#include <string>

#include "platform/platform.h"
#include "platform/win32/long_path.h"
#include "platform/write_hook.h"

namespace korvane::platform {
namespace {

HANDLE AsHandle(std::intptr_t native) { return reinterpret_cast<HANDLE>(native); }

std::wstring NativePath(const std::u16string& path) {
  const std::u16string native = ExtendedLengthPath(path);
  return std::wstring(native.begin(), native.end());
}

std::atomic<std::int64_t> fileSizeLimit{-1};

// How many of `size` bytes may be written at the handle's position under the
// test limit.
DWORD RoomUnderLimit(HANDLE h, DWORD size) {
  const std::int64_t limit = fileSizeLimit.load();
  if (limit < 0) return size;
  LARGE_INTEGER here{};
  if (!SetFilePointerEx(h, LARGE_INTEGER{}, &here, FILE_CURRENT)) return size;
  const std::int64_t room = limit - here.QuadPart;
  return room <= 0 ? 0 : room < size ? static_cast<DWORD>(room) : size;
}

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
  if (!IsOpen() || WriteMustFail()) return false;
  const DWORD room = RoomUnderLimit(AsHandle(native_), size);
  if (room < size) {
    if (room > 0) WriteFile(AsHandle(native_), buffer, room, &n, nullptr);
    SetLastError(ERROR_DISK_FULL);
    return false;
  }
  return WriteFile(AsHandle(native_), buffer, size, &n, nullptr) && n == size;
}

void LimitFileSizeForTesting(std::int64_t bytes) { fileSizeLimit.store(bytes < 0 ? -1 : bytes); }

bool File::Size(std::uint64_t* size) {
  LARGE_INTEGER n;
  if (!IsOpen() || !GetFileSizeEx(AsHandle(native_), &n)) return false;
  *size = static_cast<std::uint64_t>(n.QuadPart);
  return true;
}

bool File::Seek(std::uint64_t offset) {
  LARGE_INTEGER to;
  to.QuadPart = static_cast<LONGLONG>(offset);
  return IsOpen() && SetFilePointerEx(AsHandle(native_), to, nullptr, FILE_BEGIN);
}

bool File::Truncate() { return IsOpen() && SetEndOfFile(AsHandle(native_)); }

void File::Close() {
  if (IsOpen()) CloseHandle(AsHandle(native_));
  native_ = kInvalid;
}

File OpenForReading(const std::u16string& path) {
  return FromHandle(CreateFileW(NativePath(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
}

File CreateForWriting(const std::u16string& path) {
  return FromHandle(CreateFileW(NativePath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
}

File OpenOrCreateForUpdate(const std::u16string& path, bool* created) {
  // Made first, so that nothing comes between the open and its error code.
  const std::wstring native = NativePath(path);
  const HANDLE h = CreateFileW(native.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
  *created = h != INVALID_HANDLE_VALUE && GetLastError() != ERROR_ALREADY_EXISTS;
  return FromHandle(h);
}

bool CreateFolder(const std::u16string& path) {
  return CreateDirectoryW(NativePath(path).c_str(), nullptr) != FALSE;
}

PathAttributes QueryAttributes(const std::u16string& path) {
  PathAttributes a;
  const DWORD attributes = GetFileAttributesW(NativePath(path).c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    a.exists = true;
    a.directory = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  }
  return a;
}

bool DeleteFileAt(const std::u16string& path) { return DeleteFileW(NativePath(path).c_str()) != FALSE; }

bool ReplaceFileWith(const std::u16string& from, const std::u16string& to) {
  return MoveFileExW(NativePath(from).c_str(), NativePath(to).c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
}

}  // namespace korvane::platform
