// The readers: LoadSavedOptions, ReadViewMode and ParseHexColor. They take
// whatever the file holds (hand edits, cut or foreign files) and never read
// past it: what does not parse keeps its reset value.
#include "history/history_file.h"

#include <new>

#include "history/file_bytes.h"
#include "platform/text.h"

namespace korvane {
namespace {

// The newest entry sits at the top, so the head of a long log is enough.
constexpr std::uint64_t kHeadBytes = 1024 * 1024;

char16_t FoldAsciiUpper(char16_t c) {
  return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

bool EqualsFolded(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (FoldAsciiUpper(a[i]) != FoldAsciiUpper(b[i])) return false;
  return true;
}

// Walks the fields of a line: each runs to its terminator, the next starts
// two units later (past ", " or CR LF). Once a terminator is missing, every
// later field is missing too.
class FieldWalk {
 public:
  FieldWalk(std::u16string_view text, std::size_t start) : text_(text), pos_(start) {}

  bool Next(std::u16string_view terminators, std::u16string_view* field) {
    if (!ok_) return false;
    const std::size_t end = text_.find_first_of(terminators, pos_);
    if (end == std::u16string_view::npos) return ok_ = false;
    std::u16string_view f = text_.substr(pos_, end - pos_);
    // The field is compared as a terminated string: a stray zero ends it.
    const std::size_t zero = f.find(u'\0');
    *field = zero == std::u16string_view::npos ? f : f.substr(0, zero);
    pos_ = end + 2;
    return true;
  }

  // Moves just past the next `c`; false (and done) when there is none.
  bool SkipPast(char16_t c) {
    if (!ok_) return false;
    const std::size_t at = text_.find(c, pos_);
    if (at == std::u16string_view::npos) return ok_ = false;
    pos_ = at + 1;
    return true;
  }

 private:
  std::u16string_view text_;
  std::size_t pos_;
  bool ok_ = true;
};

// The index of the first label in the stretch that `key` + "=" + label
// matches, or -1.
int MatchKeyed(std::u16string_view field, std::u16string_view key, int base, int count) {
  for (int i = 0; i < count; ++i) {
    std::u16string expected(key);
    expected += u'=';
    expected += OptionLabel(base, count, i);
    if (EqualsFolded(field, expected)) return i;
  }
  return -1;
}

int MatchPlain(std::u16string_view field, int base, int count) {
  for (int i = 0; i < count; ++i)
    if (EqualsFolded(field, OptionLabel(base, count, i))) return i;
  return -1;
}

int MatchNumber(std::u16string_view field, std::u16string_view keyAndPrefix, const int* values,
                int count) {
  for (int i = 0; i < count; ++i)
    if (EqualsFolded(field, std::u16string(keyAndPrefix) + DecimalText(values[i]))) return i;
  return -1;
}

void SetIfFound(std::int32_t& setting, int index) {
  if (index >= 0) setting = index;
}

// Fields a to j of the newest entry, from the start of its settings line.
void ReadFields(std::u16string_view text, std::size_t start, OutputSettings& s) {
  FieldWalk walk(text, start);
  std::u16string_view f;
  const std::u16string_view comma = u",";
  const std::u16string_view lineEnd = u"\r\n";
  if (!walk.Next(comma, &f)) return;
  SetIfFound(s.scale, MatchNumber(f, u"縮小率=1/", scaleDenominators, kScaleCount));
  if (!walk.Next(comma, &f)) return;
  SetIfFound(s.colorMode, MatchKeyed(f, u"カラー", kColorModeLabelBase, kColorModeCount));
  if (!walk.Next(comma, &f)) return;
  s.monoColor = ParseHexColor(f);
  if (!walk.Next(comma, &f)) return;
  SetIfFound(s.contrast, MatchKeyed(f, u"コントラスト", kContrastLabelBase, kContrastModeCount));
  if (!walk.Next(comma, &f)) return;
  SetIfFound(s.blur, MatchKeyed(f, u"ぼかし", kBlurLabelBase, kBlurModeCount));
  if (!walk.Next(comma, &f)) return;
  SetIfFound(s.rotation, MatchKeyed(f, u"回転・反転", kRotationLabelBase, kRotationModeCount));
  if (!walk.Next(lineEnd, &f)) return;
  SetIfFound(s.quality, MatchNumber(f, u"クオリティ=", qualityValues, kQualityCount));

  // The vignette line: after its first colon.
  if (!walk.SkipPast(u':') || !walk.Next(comma, &f)) return;
  if (f == u"なし") {
    s.vignetteOn = 0;
  } else {
    s.vignetteOn = 1;
    s.vignetteRgb = ParseHexColor(f);
  }
  if (!walk.Next(comma, &f)) return;
  SetIfFound(s.vignetteShape, MatchPlain(f, kVignetteShapeLabelBase, kVignetteShapeCount));
  if (!walk.Next(lineEnd, &f)) return;
  SetIfFound(s.vignetteThickness,
             MatchPlain(f, kVignetteThicknessLabelBase, kVignetteThicknessCount));
}

}  // namespace

std::uint32_t ParseHexColor(std::u16string_view text) {
  if (text.size() != 6) return 0xFFFFFF;
  std::uint32_t value = 0;
  for (char16_t c : text) {
    std::uint32_t digit;
    if (c >= u'0' && c <= u'9') digit = c - u'0';
    else if (c >= u'A' && c <= u'F') digit = c - u'A' + 10;
    else if (c >= u'a' && c <= u'f') digit = c - u'a' + 10;
    else return 0xFFFFFF;
    value = value << 4 | digit;
  }
  return value;
}

void LoadSavedOptions(std::u16string_view appFolder, OutputSettings& settings) {
  settings.Reset();
  platform::File file = platform::OpenForReading(HistoryFilePath(appFolder));
  std::uint64_t size = 0;
  if (!file.IsOpen() || !file.Size(&size)) return;
  std::string bytes;
  if (!ReadBytes(file, size < kHeadBytes ? size : kHeadBytes, &bytes)) return;
  file.Close();

  std::u16string text;
  try {
    text = Utf16FromLeBytes(bytes);
  } catch (const std::bad_alloc&) {
    return;
  }
  ParseSavedOptions(text, settings);
}

void ParseSavedOptions(std::u16string_view text, OutputSettings& settings) {
  // The settings line of the newest entry follows the third line feed.
  std::size_t at = 0;
  for (int lf = 0; lf < 3; ++lf) {
    const std::size_t found = text.find(u'\n', at);
    if (found == std::u16string_view::npos) return;
    at = found + 1;
  }
  ReadFields(text, at, settings);
}

void ReadViewMode(std::u16string_view appFolder, OutputSettings& settings) {
  platform::File file = platform::OpenForReading(HistoryFilePath(appFolder));
  std::uint64_t size = 0;
  if (!file.IsOpen() || !file.Size(&size) || size < 2) return;
  // Only the last whole code unit counts; a trailing odd byte is ignored.
  const std::uint64_t last = (size / 2 - 1) * 2;
  std::string unit;
  if (!file.Seek(last) || !ReadBytes(file, 2, &unit)) return;
  settings.compactView = static_cast<unsigned char>(unit[0]) & 1;
}

}  // namespace korvane
