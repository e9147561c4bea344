// korvane-resize: converts JPEG files with the default options into a folder.
// Usage: korvane-resize --out FOLDER FILE...
#include <cstdio>
#include <string>
#include <vector>

#include "pipeline/process_image.h"
#include "platform/text.h"

using namespace korvane;

namespace {

int Run(const std::vector<std::u16string>& args) {
  std::u16string outFolder;
  std::vector<std::u16string> files;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == u"--out" && i + 1 < args.size()) {
      outFolder = args[++i];
    } else if (args[i] == u"--help" || args[i] == u"-h") {
      std::puts("Usage: korvane-resize --out FOLDER FILE...\n"
                "Converts each JPEG FILE with the default options (1/2 size, quality 100)\n"
                "into FOLDER, keeping its name, and prints one result line per file.");
      return 0;
    } else {
      files.push_back(args[i]);
    }
  }
  if (outFolder.empty() || files.empty()) {
    std::fputs("korvane-resize: needs --out FOLDER and at least one FILE (see --help)\n", stderr);
    return 2;
  }
  int failures = 0;
  for (const std::u16string& file : files) {
    char16_t result[kResultTextUnits];
    const bool ok = ProcessImage(result, file, outFolder, OutputSettings{});
    if (!ok) ++failures;
    std::printf("%s\t%s\n", Utf16ToUtf8(file).c_str(), Utf16ToUtf8(result).c_str());
  }
  return failures == 0 ? 0 : 1;
}

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
  std::vector<std::u16string> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(reinterpret_cast<const char16_t*>(argv[i]));
  return Run(args);
}
#else
int main(int argc, char** argv) {
  std::vector<std::u16string> args;
  for (int i = 1; i < argc; ++i) args.push_back(Utf8ToUtf16(argv[i]));
  return Run(args);
}
#endif
