// POSIX process facts, clock and threads.
#include <limits.h>
#include <pthread.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <memory>

#include "platform/platform.h"
#include "platform/text.h"

namespace korvane::platform {

std::u16string QueryCurrentDirectory() {
  std::string buffer(PATH_MAX, '\0');
  while (::getcwd(&buffer[0], buffer.size()) == nullptr) {
    if (buffer.size() > (1u << 20)) return std::u16string();
    buffer.resize(buffer.size() * 2);
  }
  buffer.resize(std::char_traits<char>::length(buffer.c_str()));
  return Utf8ToUtf16(buffer);
}

std::u16string FullPath(const std::u16string& path) {
  if (path.empty() || path[0] == u'/' || path[0] == u'\\') return path;
  const std::u16string cwd = QueryCurrentDirectory();
  if (cwd.empty()) return path;
  return cwd.back() == u'/' ? cwd + path : cwd + u"/" + path;
}

std::u16string DisplayPath(const std::u16string& path) {
  std::u16string out = path;
  for (char16_t& c : out)
    if (c == u'\\') c = u'/';
  return out;
}

std::u16string QueryFullCommandLine() {
  std::string args;
  if (std::FILE* f = std::fopen("/proc/self/cmdline", "rb")) {
    char chunk[4096];
    std::size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) args.append(chunk, n);
    std::fclose(f);
  }
  std::string program;
  if (char* real = ::realpath("/proc/self/exe", nullptr)) {
    program = real;
    ::free(real);
  }
  // Arguments are NUL-separated; the first is the program as it was started.
  std::u16string line;
  std::size_t start = 0;
  bool first = true;
  while (start < args.size()) {
    std::size_t end = args.find('\0', start);
    if (end == std::string::npos) end = args.size();
    const std::string arg = first && !program.empty() ? program : args.substr(start, end - start);
    if (!first) line += u' ';
    line += u'"';
    line += Utf8ToUtf16(arg);
    line += u'"';
    first = false;
    start = end + 1;
  }
  return line;
}

namespace {

std::atomic<LocalTime (*)()> testTimeSource{nullptr};

}  // namespace

LocalTime QueryLocalTime() {
  if (LocalTime (*source)() = testTimeSource.load()) return source();
  const time_t now = ::time(nullptr);
  struct tm t {};
  ::localtime_r(&now, &t);
  LocalTime lt;
  lt.year = t.tm_year + 1900;
  lt.month = t.tm_mon + 1;
  lt.day = t.tm_mday;
  lt.hour = t.tm_hour;
  lt.minute = t.tm_min;
  lt.second = t.tm_sec > 59 ? 59 : t.tm_sec;  // a leap second reads as :59, as on Windows
  return lt;
}

void SetLocalTimeSourceForTesting(LocalTime (*source)()) { testTimeSource.store(source); }

std::uint32_t QueryTickCount() {
  struct timespec ts {};
  ::clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<std::uint32_t>(static_cast<std::uint64_t>(ts.tv_sec) * 1000u +
                                    static_cast<std::uint64_t>(ts.tv_nsec) / 1000000u);
}

// --- threads ----------------------------------------------------------------

namespace {

void* ThreadMain(void* arg) {
  std::unique_ptr<std::function<void()>> body(static_cast<std::function<void()>*>(arg));
  (*body)();
  return nullptr;
}

}  // namespace

bool Thread::Start(std::function<void()> body) {
  Join();
  auto* heap = new (std::nothrow) std::function<void()>(std::move(body));
  if (heap == nullptr) return false;
  pthread_t id;
  if (::pthread_create(&id, nullptr, ThreadMain, heap) != 0) {
    delete heap;
    return false;
  }
  static_assert(sizeof(pthread_t) <= sizeof(std::intptr_t), "pthread_t must fit");
  native_ = static_cast<std::intptr_t>(id);
  return true;
}

void Thread::Join() {
  if (native_ == 0) return;
  ::pthread_join(static_cast<pthread_t>(native_), nullptr);
  native_ = 0;
}

}  // namespace korvane::platform
