// POSIX files. There is no mandatory locking here, so "sharing nothing" is
// only asked for, not enforced; a non-regular file (a folder, a device) is
// refused at open, as the Windows call refuses a folder.
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>

#include "platform/platform.h"
#include "platform/write_hook.h"
#include "platform/posix/posix_path.h"

namespace korvane::platform {

bool File::Read(void* buffer, std::uint32_t size, std::uint32_t* got) {
  *got = 0;
  if (!IsOpen()) return false;
  auto* p = static_cast<char*>(buffer);
  while (*got < size) {
    const ssize_t n = ::read(static_cast<int>(native_), p + *got, size - *got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) break;
    *got += static_cast<std::uint32_t>(n);
  }
  return true;
}

bool File::Write(const void* buffer, std::uint32_t size) {
  if (!IsOpen() || WriteMustFail()) return false;
  const auto* p = static_cast<const char*>(buffer);
  std::uint32_t done = 0;
  while (done < size) {
    const ssize_t n = ::write(static_cast<int>(native_), p + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::uint32_t>(n);
  }
  return true;
}

void LimitFileSizeForTesting(std::int64_t bytes) {
  // The hard limit stays, so that the soft one can be raised again.
  static struct rlimit saved;
  static bool limited = false;
  if (bytes >= 0) {
    struct rlimit now;
    if (!limited && ::getrlimit(RLIMIT_FSIZE, &saved) != 0) return;
    now = saved;
    now.rlim_cur = static_cast<rlim_t>(bytes);
    if (now.rlim_max != RLIM_INFINITY && now.rlim_cur > now.rlim_max) now.rlim_cur = now.rlim_max;
    ::signal(SIGXFSZ, SIG_IGN);  // EFBIG from write instead of the signal
    limited = ::setrlimit(RLIMIT_FSIZE, &now) == 0;
  } else if (limited) {
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, SIG_DFL);
    limited = false;
  }
}

bool File::Size(std::uint64_t* size) {
  struct stat st;
  if (!IsOpen() || ::fstat(static_cast<int>(native_), &st) != 0) return false;
  *size = static_cast<std::uint64_t>(st.st_size);
  return true;
}

bool File::Seek(std::uint64_t offset) {
  return IsOpen() && ::lseek(static_cast<int>(native_), static_cast<off_t>(offset), SEEK_SET) >= 0;
}

bool File::Truncate() {
  if (!IsOpen()) return false;
  const off_t here = ::lseek(static_cast<int>(native_), 0, SEEK_CUR);
  return here >= 0 && ::ftruncate(static_cast<int>(native_), here) == 0;
}

void File::Close() {
  if (IsOpen()) ::close(static_cast<int>(native_));
  native_ = kInvalid;
}

File OpenForReading(const std::u16string& path) {
  const int fd = ::open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return File();
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return File();
  }
  return File(fd);
}

File CreateForWriting(const std::u16string& path) {
  const int fd = ::open(NativePath(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  return fd < 0 ? File() : File(fd);
}

// The lock stands in for Windows' "no sharing" between cooperating programs
// (two runs of the tool updating one history file), so that one of them fails
// to open instead of both writing.
File OpenOrCreateForUpdate(const std::u16string& path, bool* created) {
  const std::string native = NativePath(path);
  *created = false;
  int fd = -1;
  for (int attempt = 0; attempt < 4 && fd < 0; ++attempt) {
    fd = ::open(native.c_str(), O_RDWR | O_CLOEXEC);
    if (fd >= 0 || errno != ENOENT) break;
    fd = ::open(native.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd >= 0) *created = true;
    else if (errno != EEXIST) break;  // EEXIST: made by someone else meanwhile
  }
  if (fd < 0) return File();
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    if (*created) ::unlink(native.c_str());
    *created = false;
    return File();
  }
  return File(fd);
}

bool CreateFolder(const std::u16string& path) {
  return ::mkdir(NativePath(path).c_str(), 0755) == 0;
}

PathAttributes QueryAttributes(const std::u16string& path) {
  PathAttributes a;
  struct stat st;
  if (::stat(NativePath(path).c_str(), &st) == 0) {
    a.exists = true;
    a.directory = S_ISDIR(st.st_mode);
  }
  return a;
}

bool DeleteFileAt(const std::u16string& path) {
  return ::unlink(NativePath(path).c_str()) == 0;
}

bool ReplaceFileWith(const std::u16string& from, const std::u16string& to) {
  return ::rename(NativePath(from).c_str(), NativePath(to).c_str()) == 0;
}

}  // namespace korvane::platform
