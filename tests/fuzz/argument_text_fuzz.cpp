// libFuzzer harness for the argument-text list and the path splits: any
// text gives count = quotes / 2, entries that are the exact texts between
// quote pairs, and program folders that are pieces of the command line.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "batch/drop_list.h"
#include "platform/text.h"

using namespace korvane;

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::u16string text =
      Utf16FromLeBytes(std::string_view(reinterpret_cast<const char*>(data), size));

  std::size_t quotes = 0;
  for (char16_t c : text) quotes += c == u'"';
  const DropList list = DropList::FromArgumentText(text);
  Check(list.Count() == quotes / 2);
  // Entries joined back with their quotes appear in order in the text.
  std::size_t at = 0;
  for (std::uint32_t i = 0; i < list.Count(); ++i) {
    const std::optional<std::u16string> name = list.Name(i);
    Check(name.has_value() && name->find(u'"') == std::u16string::npos);
    const std::u16string quoted = u"\"" + *name + u"\"";
    const std::size_t found = text.find(quoted, at);
    Check(found != std::u16string::npos);
    at = found + quoted.size();
  }
  Check(!list.Name(list.Count()).has_value());

  const std::size_t offset = FileNameOffset(text);
  Check(offset <= text.size());
  Check(offset == 0 || text[offset - 1] == u'\\' || text[offset - 1] == u'/');
  const std::u16string folder = AppFolderFromCommandLine(text);
  Check(folder.empty() || text.find(folder) != std::u16string::npos);
  Check(folder.find(u'"') == std::u16string::npos);
  return 0;
}
