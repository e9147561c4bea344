// POSIX files. There is no mandatory locking here, so "sharing nothing" is
// only asked for, not enforced; a non-regular file (a folder, a device) is
// refused at open, as the Windows call refuses a folder.
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/platform.h"
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
  if (!IsOpen()) return false;
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

bool DeleteFileAt(const std::u16string& path) {
  return ::unlink(NativePath(path).c_str()) == 0;
}

}  // namespace korvane::platform
