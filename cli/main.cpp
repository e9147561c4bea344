// korvane-resize: converts JPEG files as one batch (see --help).
#include <string>
#include <vector>

#include "cli/run.h"
#include "platform/text.h"

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
  std::vector<std::u16string> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(reinterpret_cast<const char16_t*>(argv[i]));
  return korvane::cli::RunCommandLine(args);
}
#else
int main(int argc, char** argv) {
  std::vector<std::u16string> args;
  for (int i = 1; i < argc; ++i) args.push_back(korvane::Utf8ToUtf16(argv[i]));
  return korvane::cli::RunCommandLine(args);
}
#endif
