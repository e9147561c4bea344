// The ordered list of paths of one batch, from a shell drop or from the
// program's argument text, and the program folder the batch writes into.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace korvane {

// Read-only once made; move-only, since a shell drop is handed back once.
class DropList {
 public:
  DropList() = default;
  DropList(DropList&&) = default;
  DropList& operator=(DropList&&) = default;
  DropList(const DropList&) = delete;
  DropList& operator=(const DropList&) = delete;

  static DropList FromShellDrop(platform::ShellDrop drop);
  // The texts between pairs of double quotes, left to right. There is no
  // escape: every quote opens or closes; an unmatched last one is dropped.
  static DropList FromArgumentText(std::u16string_view text);

  std::uint32_t Count() const;
  // The full path of entry `index`, or nothing when it cannot be had.
  std::optional<std::u16string> Name(std::uint32_t index) const;
  // Hands a shell drop back to the shell; nothing for the argument text.
  void Release();

 private:
  platform::ShellDrop drop_;
  std::vector<std::u16string> quoted_;
};

// Index of the first unit after the last "\" or "/"; 0 without a separator.
std::size_t FileNameOffset(std::u16string_view path);

// The program folder. With an empty argument text: the working directory.
// Otherwise the folder part (with its final separator) of the first quoted
// text of the full command line, normally the program's own path.
std::u16string QueryAppFolder(std::u16string_view commandArgs);
// The rule above on a given full command line.
std::u16string AppFolderFromCommandLine(std::u16string_view commandLine);

// `folder`, one "\", then `name`. Two separators in a row (a folder already
// ending in one) read as one on both platforms.
std::u16string JoinPath(std::u16string_view folder, std::u16string_view name);

}  // namespace korvane
