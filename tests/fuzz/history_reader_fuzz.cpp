// libFuzzer harness for the history reader: any bytes as the history file's
// head must parse without a fault and leave every option inside its table.
// The first byte also picks options for a write-then-read round trip.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "history/history_file.h"
#include "platform/text.h"

using namespace korvane;

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

void CheckInRange(const OutputSettings& s) {
  Check(s.scale >= 0 && s.scale < kScaleCount);
  Check(s.colorMode >= 0 && s.colorMode < kColorModeCount);
  Check(s.contrast >= 0 && s.contrast < kContrastModeCount);
  Check(s.blur >= 0 && s.blur < kBlurModeCount);
  Check(s.rotation >= 0 && s.rotation < kRotationModeCount);
  Check(s.quality >= 0 && s.quality < kQualityCount);
  Check(s.vignetteShape >= 0 && s.vignetteShape < kVignetteShapeCount);
  Check(s.vignetteThickness >= 0 && s.vignetteThickness < kVignetteThicknessCount);
  Check(s.monoColor <= 0xFFFFFF && s.vignetteRgb <= 0xFFFFFF);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::u16string text = Utf16FromLeBytes(bytes);

  OutputSettings parsed;
  ParseSavedOptions(text, parsed);
  CheckInRange(parsed);
  ParseHexColor(std::u16string_view(text).substr(0, 8));

  // Options from the input, written as an entry on top of the input, read back.
  if (size >= 12) {
    OutputSettings s;
    s.scale = data[0] % kScaleCount;
    s.colorMode = data[1] % kColorModeCount;
    s.contrast = data[2] % kContrastModeCount;
    s.blur = data[3] % kBlurModeCount;
    s.rotation = data[4] % kRotationModeCount;
    s.quality = data[5] % kQualityCount;
    s.vignetteOn = data[6] & 1;
    s.vignetteShape = data[7] % kVignetteShapeCount;
    s.vignetteThickness = data[8] % kVignetteThicknessCount;
    s.monoColor = (data[9] << 16 | data[10] << 8 | data[11]) & 0xFFFFFF;
    s.vignetteRgb = s.monoColor ^ 0x00FF00;
    const std::u16string file =
        u"\xFEFF" + HistoryEntryText(s, 1, 2, data[6] & 2, text.substr(0, 40), {2011, 3, 5, 1, 2, 3}) +
        u"\r\n" + text;
    OutputSettings back;
    ParseSavedOptions(file, back);
    // A source text holding line feeds moves the settings line; only a clean
    // one must come back whole.
    if (text.substr(0, 40).find_first_of(u"\r\n") == std::u16string::npos) {
      Check(back.scale == s.scale && back.colorMode == s.colorMode && back.contrast == s.contrast);
      Check(back.blur == s.blur && back.rotation == s.rotation && back.quality == s.quality);
      Check(back.monoColor == s.monoColor && back.vignetteOn == s.vignetteOn);
      if (s.vignetteOn)
        Check(back.vignetteRgb == s.vignetteRgb && back.vignetteShape == s.vignetteShape &&
              back.vignetteThickness == s.vignetteThickness);
    }
  }
  return 0;
}
