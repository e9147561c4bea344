// For ThreadSanitizer: the live preview's filter chain runs on this thread
// while a batch converts on its worker thread with the same effects, and the
// interface side changes the shared options between renderings, as the
// program allows. Any data race is ThreadSanitizer's report and exit status.
// Usage: preview_with_batch [FILES]
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "batch/batch_worker.h"
#include "effects/preview_filter.h"
#include "platform/text.h"
#include "support/jpeg_fixtures.h"

namespace korvane {
namespace {

class QuietHost : public BatchHost {
 public:
  explicit QuietHost(std::u16string folder) : folder_(std::move(folder)) {}
  std::u16string AppFolder() override { return folder_; }
  void ShowSummary(const std::u16string&) override {}
  void ShowIndex(const std::u16string&) override {}
  void ShowTotal(const std::u16string&) override {}
  void ShowFileName(const std::u16string&) override {}
  void ShowError(const std::u16string&) override {}
  void OpenFolder(const std::u16string&) override {}
  void Beep() override {}
  void Finished() override {}

 private:
  std::u16string folder_;
};

// The settings of rendering `i`: every colour mode, blur, vignette shape and
// the special effect come round.
OutputSettings Variant(int i) {
  OutputSettings s;
  s.colorMode = i % kColorModeCount;
  s.contrast = i % kContrastModeCount;
  s.blur = i % kBlurModeCount;
  s.rotation = i % kRotationModeCount;
  s.vignetteOn = i % 3 != 0;
  s.vignetteShape = i % kVignetteShapeCount;
  s.vignetteThickness = (i / 3) % kVignetteThicknessCount;
  s.vignetteRgb = 0x102030u * static_cast<unsigned>(i % 7);
  s.specialEffect = i % 2;
  return s;
}

// The batch's options: full size, the special effect and a vignette always on.
OutputSettings BatchVariant(int i) {
  OutputSettings s = Variant(i);
  s.scale = 0;
  s.specialEffect = kEffectOutlineShadow;
  s.vignetteOn = 1;
  return s;
}

int Run(int files) {
  testing::ScratchFolder scratch;
  testing::FixtureOptions o;
  o.width = 220;
  o.height = 165;
  const std::vector<std::uint8_t> jpeg = testing::MakeJpeg(o);
  std::vector<std::u16string> paths;
  for (int i = 0; i < files; ++i) {
    paths.push_back(scratch.File(u"photo_" + DecimalText(i) + u".jpg"));
    if (!testing::WriteBytes(paths.back(), jpeg)) return 2;
  }

  SharedSettings settings(BatchVariant(1));
  QuietHost host(scratch.path());
  BatchWorker worker(DropList::FromShellDrop(platform::MakeShellDrop(paths)), settings, host);
  if (!worker.Start()) return 2;

  // The 220 x 220 sample as the preview holds it, filtered until the batch ends.
  const int side = 220;
  std::vector<std::uint8_t> sample(std::size_t(side) * side * 3);
  for (std::size_t k = 0; k < sample.size(); ++k) sample[k] = static_cast<std::uint8_t>(k * 7 + k / 660);
  std::vector<std::uint8_t> target(sample.size());
  OutlineShadowWorkspace workspace;
  int renderings = 0;
  int during = 0;  // renderings that began while the batch was converting
  while (!worker.Done() || renderings < 20) {
    if (!worker.Done()) ++during;
    FilterPreviewBits(side, sample.data(), target.data(), side, Variant(renderings), workspace);
    if (renderings % 5 == 0) settings.Set(BatchVariant(renderings));
    ++renderings;
  }
  worker.Wait();
  workspace.Free();
  const BatchOutcome& out = worker.Outcome();
  std::printf("preview with batch: %d renderings, %d of them while the batch converted %d of %u files\n",
              renderings, during, out.successCount, out.count);
  return out.successCount == files && during > 0 ? 0 : 1;
}

}  // namespace
}  // namespace korvane

int main(int argc, char** argv) {
  return korvane::Run(argc > 1 ? static_cast<int>(std::strtol(argv[1], nullptr, 10)) : 150);
}
