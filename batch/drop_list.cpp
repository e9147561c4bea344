#include "batch/drop_list.h"

#include "pipeline/file_name.h"

namespace korvane {

DropList DropList::FromShellDrop(platform::ShellDrop drop) {
  DropList list;
  list.drop_ = std::move(drop);
  return list;
}

DropList DropList::FromArgumentText(std::u16string_view text) {
  DropList list;
  std::size_t open = std::u16string_view::npos;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != u'"') continue;
    if (open == std::u16string_view::npos) {
      open = i + 1;
    } else {
      list.quoted_.emplace_back(text.substr(open, i - open));
      open = std::u16string_view::npos;
    }
  }
  return list;
}

std::uint32_t DropList::Count() const {
  return drop_.IsHeld() ? drop_.Count() : static_cast<std::uint32_t>(quoted_.size());
}

std::optional<std::u16string> DropList::Name(std::uint32_t index) const {
  if (drop_.IsHeld()) {
    std::u16string name;
    if (!drop_.Name(index, &name)) return std::nullopt;
    return name;
  }
  if (index >= quoted_.size()) return std::nullopt;
  return quoted_[index];
}

void DropList::Release() { drop_.Finish(); }

std::size_t FileNameOffset(std::u16string_view path) { return FileNameStart(path); }

std::u16string AppFolderFromCommandLine(std::u16string_view line) {
  const std::size_t quote = line.find(u'"');
  if (quote == std::u16string_view::npos) return std::u16string();
  const std::size_t start = quote + 1;
  std::size_t end = line.find(u'"', start);
  if (end == std::u16string_view::npos) end = line.size();
  const std::size_t cut = start + FileNameStart(line.substr(start, end - start));
  return std::u16string(line.substr(start, cut - start));
}

std::u16string QueryAppFolder(std::u16string_view commandArgs) {
  if (commandArgs.empty()) return platform::QueryCurrentDirectory();
  return AppFolderFromCommandLine(platform::QueryFullCommandLine());
}

std::u16string JoinPath(std::u16string_view folder, std::u16string_view name) {
  std::u16string path;
  path.reserve(folder.size() + 1 + name.size());
  path.append(folder).append(u"\\").append(name);
  return path;
}

}  // namespace korvane
