// The soak: one batch of 1,000 small files with every effect on. Every file
// must be converted and listed in the report, and the process's peak memory
// after the last file must stay within 10 % of its peak after the tenth (no
// leak, no growth from file to file). Prints both figures.
// Usage: soak_batch [FILES]   (POSIX: reads VmHWM from /proc/self/status)
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "batch/batch_worker.h"
#include "batch/result_report.h"
#include "platform/text.h"
#include "support/jpeg_fixtures.h"

namespace korvane {
namespace {

// Peak resident memory of this process so far, in kB.
long PeakKilobytes() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmHWM:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  return -1;
}

class SoakHost : public BatchHost {
 public:
  SoakHost(std::u16string folder, std::uint32_t count) : folder_(std::move(folder)), count_(count) {}
  std::u16string AppFolder() override { return folder_; }
  void ShowSummary(const std::u16string&) override {}
  void ShowIndex(const std::u16string&) override {}
  void ShowTotal(const std::u16string&) override {}
  void ShowFileName(const std::u16string&) override {}
  void EntryDone(const EntryResult& entry) override {
    if (entry.converted) ++converted;
    if (entry.index + 1 == 10) peakAfterTen = PeakKilobytes();
    if (entry.index + 1 == count_) peakAfterAll = PeakKilobytes();
  }
  void ShowError(const std::u16string& message) override { std::fprintf(stderr, "%s\n", Utf16ToUtf8(message).c_str()); }
  void OpenFolder(const std::u16string&) override {}
  void Beep() override {}
  void Finished() override {}

  std::uint32_t converted = 0;
  long peakAfterTen = -1;
  long peakAfterAll = -1;

 private:
  std::u16string folder_;
  std::uint32_t count_;
};

int Soak(std::uint32_t count) {
  testing::ScratchFolder scratch;
  const std::u16string sources = scratch.MakeSubfolder(u"sources");
  testing::FixtureOptions o;
  o.width = 160;
  o.height = 120;
  const std::vector<std::uint8_t> jpeg = testing::MakeJpeg(o);
  std::vector<std::u16string> paths;
  for (std::uint32_t i = 0; i < count; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "/photo_%04u.jpg", i);
    paths.push_back(sources + Utf8ToUtf16(name));
    if (!testing::WriteBytes(paths.back(), jpeg)) return 2;
  }

  // Every effect and a turn, so that each one's allocations are repeated.
  OutputSettings s;
  s.scale = 0;
  s.colorMode = kColorSepia1;
  s.contrast = kContrastAuto;
  s.blur = kBlurSoftFocus;
  s.vignetteOn = 1;
  s.specialEffect = kEffectOutlineShadow;
  s.rotation = kRotateClockwise;
  const SharedSettings settings(s);
  SoakHost host(scratch.path(), count);
  BatchWorker worker(DropList::FromShellDrop(platform::MakeShellDrop(paths)), settings, host);
  worker.Run();

  const BatchOutcome& out = worker.Outcome();
  std::u16string reportPath = out.dstFolder + u"/" + kReportFileName;
  for (char16_t& c : reportPath)
    if (c == u'\\') c = u'/';  // the joiner's separator, for the test's reader
  const std::u16string report = testing::ReadUtf16File(reportPath);
  std::uint32_t listed = 0;
  for (std::size_t at = report.find(u" -> "); at != std::u16string::npos; at = report.find(u" -> ", at + 1)) ++listed;
  std::printf("soak: %u files, %u converted, %u listed; peak memory %ld kB after 10 files, %ld kB after %u\n", count,
              host.converted, listed, host.peakAfterTen, host.peakAfterAll, count);
  const bool allDone = host.converted == count && listed == count && out.successCount == static_cast<int>(count);
  const bool flat = host.peakAfterTen > 0 && host.peakAfterAll * 10 <= host.peakAfterTen * 11;
  if (!allDone) std::printf("soak: FAILED, not every file was converted and listed\n");
  if (!flat) std::printf("soak: FAILED, peak memory grew by more than 10 %%\n");
  return allDone && flat ? 0 : 1;
}

}  // namespace
}  // namespace korvane

int main(int argc, char** argv) {
  const long count = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 1000;
  if (count < 10) return 2;
  return korvane::Soak(static_cast<std::uint32_t>(count));
}
