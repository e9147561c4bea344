// Win32 process facts, clock and threads.
#include <windows.h>
#include <process.h>

#include <atomic>
#include <memory>
#include <new>

#include "platform/platform.h"

namespace korvane::platform {
namespace {

std::u16string FromWide(const wchar_t* text, std::size_t length) {
  return std::u16string(reinterpret_cast<const char16_t*>(text), length);
}

}  // namespace

std::u16string QueryCurrentDirectory() {
  // The length the call asks for includes the terminator; a directory that
  // changes between the two calls is asked for again.
  for (int attempt = 0; attempt < 4; ++attempt) {
    const DWORD need = GetCurrentDirectoryW(0, nullptr);
    if (need == 0) return std::u16string();
    std::wstring buffer(need, L'\0');
    const DWORD got = GetCurrentDirectoryW(need, &buffer[0]);
    if (got == 0) return std::u16string();
    if (got < need) return FromWide(buffer.c_str(), got);
  }
  return std::u16string();
}

std::u16string FullPath(const std::u16string& path) {
  const wchar_t* wide = reinterpret_cast<const wchar_t*>(path.c_str());
  const DWORD need = GetFullPathNameW(wide, 0, nullptr, nullptr);
  if (need == 0) return path;
  std::wstring buffer(need, L'\0');
  const DWORD got = GetFullPathNameW(wide, need, &buffer[0], nullptr);
  return got == 0 || got >= need ? path : FromWide(buffer.c_str(), got);
}

std::u16string DisplayPath(const std::u16string& path) { return path; }

std::u16string QueryFullCommandLine() {
  const wchar_t* line = GetCommandLineW();
  return line == nullptr ? std::u16string() : FromWide(line, wcslen(line));
}

namespace {

std::atomic<LocalTime (*)()> testTimeSource{nullptr};

}  // namespace

LocalTime QueryLocalTime() {
  if (LocalTime (*source)() = testTimeSource.load()) return source();
  SYSTEMTIME t;
  GetLocalTime(&t);
  LocalTime lt;
  lt.year = t.wYear;
  lt.month = t.wMonth;
  lt.day = t.wDay;
  lt.hour = t.wHour;
  lt.minute = t.wMinute;
  lt.second = t.wSecond;
  return lt;
}

void SetLocalTimeSourceForTesting(LocalTime (*source)()) { testTimeSource.store(source); }

std::uint32_t QueryTickCount() { return GetTickCount(); }

// --- threads ----------------------------------------------------------------

namespace {

unsigned __stdcall ThreadMain(void* arg) {
  std::unique_ptr<std::function<void()>> body(static_cast<std::function<void()>*>(arg));
  (*body)();
  return 0;
}

}  // namespace

bool Thread::Start(std::function<void()> body) {
  Join();
  auto* heap = new (std::nothrow) std::function<void()>(std::move(body));
  if (heap == nullptr) return false;
  // The C runtime's thread start, so that the runtime's per-thread data is set up.
  const std::uintptr_t handle = _beginthreadex(nullptr, 0, ThreadMain, heap, 0, nullptr);
  if (handle == 0) {
    delete heap;
    return false;
  }
  native_ = static_cast<std::intptr_t>(handle);
  return true;
}

void Thread::Join() {
  if (native_ == 0) return;
  const HANDLE h = reinterpret_cast<HANDLE>(native_);
  WaitForSingleObject(h, INFINITE);
  CloseHandle(h);
  native_ = 0;
}

}  // namespace korvane::platform
