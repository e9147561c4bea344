// The one OS layer the core calls. Two implementations: Win32 (the product)
// and POSIX (tests and the command-line tool). Paths are UTF-16; "\" and "/"
// both separate.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace korvane::platform {

// An open file, closed when the owner goes away. Move-only.
class File {
 public:
  File() = default;
  explicit File(std::intptr_t native) : native_(native) {}
  ~File() { Close(); }
  File(File&& other) noexcept : native_(other.native_) { other.native_ = kInvalid; }
  File& operator=(File&& other) noexcept {
    if (this != &other) {
      Close();
      native_ = other.native_;
      other.native_ = kInvalid;
    }
    return *this;
  }
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  bool IsOpen() const { return native_ != kInvalid; }
  // Reads up to `size` bytes; false on an error, `*got` holds what came.
  bool Read(void* buffer, std::uint32_t size, std::uint32_t* got);
  // Writes `size` bytes; false unless all of them were written.
  bool Write(const void* buffer, std::uint32_t size);
  // Size in bytes; false when it cannot be had.
  bool Size(std::uint64_t* size);
  // Moves the read/write position to `offset` bytes from the start.
  bool Seek(std::uint64_t offset);
  // Cuts the file at the current position.
  bool Truncate();
  void Close();

  static constexpr std::intptr_t kInvalid = -1;

 private:
  std::intptr_t native_ = kInvalid;
};

// Makes one File::Write fail, the one after `afterWrites` more that succeed
// (a disk filling up, for tests); negative: none fails.
void FailOneWriteForTesting(int afterWrites);
// Lets no file grow past `bytes` (negative: no limit again), as a disk that
// fills up: a write that would cross the limit writes what fits and fails.
// POSIX: the process's real file size limit (RLIMIT_FSIZE, SIGXFSZ ignored
// meanwhile). Win32: a limit File::Write checks, for tests.
void LimitFileSizeForTesting(std::int64_t bytes);

// Opens an existing regular file for reading, sharing it with nobody.
File OpenForReading(const std::u16string& path);
// Creates (or empties) a file for writing, sharing it with nobody.
File CreateForWriting(const std::u16string& path);
// Opens a file for reading and writing, creating it when missing, sharing it
// with nobody. `*created` tells whether this call made it.
File OpenOrCreateForUpdate(const std::u16string& path, bool* created);
bool DeleteFileAt(const std::u16string& path);
// Gives file `from` the name `to`, replacing a file of that name; false, with
// both left as they were, when it cannot be done.
bool ReplaceFileWith(const std::u16string& from, const std::u16string& to);

// Creates one folder; fails when anything of that name exists already.
bool CreateFolder(const std::u16string& path);

struct PathAttributes {
  bool exists = false;
  bool directory = false;
};
PathAttributes QueryAttributes(const std::u16string& path);

// --- process ----------------------------------------------------------------

// The working directory, without a final separator except for a root.
std::u16string QueryCurrentDirectory();
// `path` made absolute against the working directory (unchanged when it
// already is, or when it cannot be done).
std::u16string FullPath(const std::u16string& path);
// `path` as this system writes paths for people (POSIX: "\" as "/").
std::u16string DisplayPath(const std::u16string& path);
// The whole command line as the OS keeps it, program path first. On POSIX,
// made from the argument vector: each argument in double quotes, the program
// as its full path.
std::u16string QueryFullCommandLine();

// --- time -------------------------------------------------------------------

struct LocalTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};
// The local date and time, or what the test source set below returns.
LocalTime QueryLocalTime();
// Replaces the clock of QueryLocalTime (nullptr: the real one again), so that
// folder names and time stamps are predictable in tests.
void SetLocalTimeSourceForTesting(LocalTime (*source)());
// Milliseconds since some fixed moment; wraps after 49 days.
std::uint32_t QueryTickCount();

// --- threads ----------------------------------------------------------------

// One thread running `body`. Move-only; the owner joins it (the destructor
// waits for a thread still running).
class Thread {
 public:
  Thread() = default;
  ~Thread() { Join(); }
  Thread(Thread&& other) noexcept;
  Thread& operator=(Thread&& other) noexcept;
  Thread(const Thread&) = delete;
  Thread& operator=(const Thread&) = delete;

  // False when the thread could not be started; nothing runs then.
  bool Start(std::function<void()> body);
  bool Joinable() const { return native_ != 0; }
  void Join();

 private:
  std::intptr_t native_ = 0;
};

// --- shell and user interface -------------------------------------------------

// A native window handle (HWND on Win32); 0 for none.
using WindowHandle = std::intptr_t;

// Asks the shell to open a folder or file ("open", shown normally). POSIX:
// xdg-open when a display exists, otherwise a line on stderr naming it.
bool OpenWithShell(WindowHandle owner, const std::u16string& path);
// A modal error message with caption "Error" (POSIX: a line on stderr).
void ShowErrorMessage(WindowHandle owner, const std::u16string& text);
// The information sound (POSIX: nothing).
void InformationBeep();

// A drop of files from the shell (an HDROP on Win32), handed back to the
// shell by Finish or the destructor. Move-only.
class ShellDrop {
 public:
  ShellDrop() = default;
  explicit ShellDrop(std::intptr_t native) : native_(native) {}
  ~ShellDrop() { Finish(); }
  ShellDrop(ShellDrop&& other) noexcept : native_(other.native_) { other.native_ = 0; }
  ShellDrop& operator=(ShellDrop&& other) noexcept {
    if (this != &other) {
      Finish();
      native_ = other.native_;
      other.native_ = 0;
    }
    return *this;
  }
  ShellDrop(const ShellDrop&) = delete;
  ShellDrop& operator=(const ShellDrop&) = delete;

  bool IsHeld() const { return native_ != 0; }
  std::uint32_t Count() const;
  // The full path of entry `index`; false when the shell refuses it.
  bool Name(std::uint32_t index, std::u16string* name) const;
  void Finish();

 private:
  std::intptr_t native_ = 0;
};

// A drop made by the program itself, as the shell would deliver it (Win32:
// a real HDROP block), for tests and for handing a path list to a batch.
// Empty paths are left out: a drop cannot carry them.
ShellDrop MakeShellDrop(const std::vector<std::u16string>& paths);

// --- console (command-line tool) ------------------------------------------------

bool StderrIsTerminal();
// Writes text to the standard streams: wide console output on a Windows
// console, UTF-8 otherwise.
void WriteStdout(const std::u16string& text);
void WriteStderr(const std::u16string& text);
// Calls `handler` on the first interrupt (Ctrl+C) and writes `notice` (ASCII)
// to stderr; a second one ends the process as usual. `handler` must only set
// flags; `notice` must outlive the process's use of it.
void OnFirstInterrupt(void (*handler)(), const char* notice);

}  // namespace korvane::platform
