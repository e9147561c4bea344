// POSIX stand-ins for the Windows shell: xdg-open, stderr for message boxes,
// a plain path list for a drop.
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <new>

#include "platform/platform.h"
#include "platform/posix/posix_path.h"
#include "platform/text.h"

extern char** environ;

namespace korvane::platform {
namespace {

bool HasDisplay() {
  const char* x = ::getenv("DISPLAY");
  const char* wayland = ::getenv("WAYLAND_DISPLAY");
  return (x != nullptr && *x != '\0') || (wayland != nullptr && *wayland != '\0');
}

void WriteAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n <= 0) return;
    done += static_cast<std::size_t>(n);
  }
}

}  // namespace

bool OpenWithShell(WindowHandle, const std::u16string& path) {
  std::string native = NativePath(path);
  if (!HasDisplay()) {
    WriteAll(2, "(no display) would open: " + native + "\n");
    return true;
  }
  char program[] = "xdg-open";
  char* argv[] = {program, &native[0], nullptr};
  pid_t pid;
  if (::posix_spawnp(&pid, program, nullptr, nullptr, argv, environ) != 0) return false;
  int status = 0;
  if (::waitpid(pid, &status, 0) < 0) return false;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void ShowErrorMessage(WindowHandle, const std::u16string& text) {
  WriteAll(2, "Error: " + Utf16ToUtf8(text) + "\n");
}

void InformationBeep() {}

// --- drops ------------------------------------------------------------------

namespace {

using PathList = std::vector<std::u16string>;
const PathList& ListOf(std::intptr_t native) { return *reinterpret_cast<const PathList*>(native); }

}  // namespace

std::uint32_t ShellDrop::Count() const {
  return native_ == 0 ? 0 : static_cast<std::uint32_t>(ListOf(native_).size());
}

bool ShellDrop::Name(std::uint32_t index, std::u16string* name) const {
  if (native_ == 0 || index >= ListOf(native_).size()) return false;
  *name = ListOf(native_)[index];
  return true;
}

void ShellDrop::Finish() {
  delete reinterpret_cast<PathList*>(native_);
  native_ = 0;
}

ShellDrop MakeShellDrop(const std::vector<std::u16string>& paths) {
  auto* list = new (std::nothrow) PathList;
  if (list == nullptr) return ShellDrop();
  for (const std::u16string& p : paths)
    if (!p.empty()) list->push_back(p);
  return ShellDrop(reinterpret_cast<std::intptr_t>(list));
}

// --- console ----------------------------------------------------------------

bool StderrIsTerminal() { return ::isatty(2) == 1; }
void WriteStdout(const std::u16string& text) {
  std::fflush(stdout);
  WriteAll(1, Utf16ToUtf8(text));
}
void WriteStderr(const std::u16string& text) { WriteAll(2, Utf16ToUtf8(text)); }

namespace {

void (*interruptHandler)() = nullptr;
const char* interruptNotice = nullptr;

// Only async-signal-safe calls here: the flag, then write(2).
void OnSignal(int) {
  if (interruptHandler != nullptr) interruptHandler();
  if (interruptNotice != nullptr) {
    std::size_t n = 0;
    while (interruptNotice[n] != '\0') ++n;
    const ssize_t ignored = ::write(2, interruptNotice, n);
    (void)ignored;
  }
}

}  // namespace

void OnFirstInterrupt(void (*handler)(), const char* notice) {
  interruptHandler = handler;
  interruptNotice = notice;
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESETHAND;  // the second Ctrl+C ends the process
  ::sigaction(SIGINT, &action, nullptr);
}

}  // namespace korvane::platform
