#include "cli/options.h"

#include <cstdint>

#include "platform/text.h"

namespace korvane::cli {
namespace {

struct Name {
  const char16_t* text;
  int value;
};

// English names in the spirit of the English menu; several may share a value.
const Name kScaleNames[] = {{u"1/1", 0}, {u"1/2", 1}, {u"1/4", 2}, {u"1/8", 3}};
const Name kColorNames[] = {
    {u"original", 0}, {u"vivid1", 1}, {u"vivid2", 2}, {u"vivid3", 3}, {u"vivid4", 4},
    {u"fade1", 5}, {u"fade2", 6}, {u"fade3", 7}, {u"fade4", 8}, {u"natural-sepia", 9},
    {u"blue-sepia", 10}, {u"sepia1", 11}, {u"sepia2", 12}, {u"sepia3", 13}, {u"mono", 14},
    {u"mono-color", 14}, {u"negative", 15}, {u"grayscale", 16}, {u"greyscale", 16},
    {u"gray", 16}, {u"grey", 16}};
const Name kContrastNames[] = {{u"original", 0}, {u"auto", 1}, {u"level1", 2}, {u"level2", 3},
                               {u"level3", 4}, {u"level4", 5}, {u"level5", 6}, {u"level6", 7}};
const Name kBlurNames[] = {{u"none", 0}, {u"soft-focus", 1}, {u"super-soft-focus", 2},
                           {u"light", 3}, {u"medium", 4}, {u"strong", 5}};
const Name kRotationNames[] = {
    {u"none", 0}, {u"cw", 1}, {u"clockwise", 1}, {u"right", 1}, {u"ccw", 2},
    {u"counter-clockwise", 2}, {u"left", 2}, {u"180", 3}, {u"flip-h", 4},
    {u"mirror", 4}, {u"horizontal", 4}, {u"flip-v", 5}, {u"vertical", 5}};
const Name kShapeNames[] = {{u"frame", 0}, {u"outer", 1}, {u"outer-ellipse", 1},
                            {u"inner", 2}, {u"inner-ellipse", 2}};
const Name kThicknessNames[] = {{u"thin", 0}, {u"medium", 1}, {u"thick", 2}};
const Name kEffectNames[] = {{u"none", 0}, {u"outline-shadow", 1}};
const Name kFillNames[] = {{u"original", 0}, {u"none", 0}, {u"white", 1}, {u"black", 2},
                           {u"custom", 3}, {u"random-vivid", 4}, {u"random-pale", 5}};
const Name kViewNames[] = {{u"large", 0}, {u"compact", 1}};

char16_t Lower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

bool SameText(const std::u16string& a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

bool ParseIndex(const std::u16string& text, int count, int* value) {
  if (text.empty() || text.size() > 3) return false;
  int v = 0;
  for (char16_t c : text) {
    if (c < u'0' || c > u'9') return false;
    v = v * 10 + (c - u'0');
  }
  if (v >= count) return false;
  *value = v;
  return true;
}

template <std::size_t N>
std::u16string NameList(const Name (&names)[N]) {
  std::u16string list;
  int last = -1;
  for (const Name& n : names) {
    if (n.value == last) continue;  // the first name of each value
    if (!list.empty()) list += u", ";
    list += n.text;
    last = n.value;
  }
  return list;
}

// An English name, the program's label (labelBase < 0: none) or an index.
template <std::size_t N>
bool ParseChoice(const std::u16string& text, const Name (&names)[N], int labelBase, int count,
                 int* value) {
  for (const Name& n : names)
    if (SameText(text, n.text)) return (*value = n.value), true;
  if (labelBase >= 0)
    for (int i = 0; i < count; ++i)
      if (SameText(text, OptionLabel(labelBase, count, i))) return (*value = i), true;
  return ParseIndex(text, count, value);
}

bool ParseQuality(const std::u16string& text, int* index) {
  for (int i = 0; i < kQualityCount; ++i)
    if (text == DecimalText(qualityValues[i])) return (*index = i), true;
  return ParseIndex(text, kQualityCount, index);  // 0-9 cannot be a quality value
}

bool ParseFlag(const std::u16string& text, std::uint8_t* flag) {
  for (const char16_t* on : {u"on", u"yes", u"true", u"1"})
    if (SameText(text, on)) return (*flag = 1), true;
  for (const char16_t* off : {u"off", u"no", u"false", u"0"})
    if (SameText(text, off)) return (*flag = 0), true;
  return false;
}

bool ParseLevel(const std::u16string& text, std::int32_t* level) {
  int v = 0;
  if (!ParseIndex(text, 256, &v)) return false;
  *level = v;
  return true;
}

std::vector<std::u16string> Split(const std::u16string& text, char16_t separator) {
  std::vector<std::u16string> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t at = text.find(separator, start);
    parts.push_back(text.substr(start, at == std::u16string::npos ? std::u16string::npos : at - start));
    if (at == std::u16string::npos) return parts;
    start = at + 1;
  }
}

using Change = std::function<void(OutputSettings&)>;

// "none" | COLOR[,SHAPE[,THICKNESS]]
bool ParseVignette(const std::u16string& text, Change* change, std::u16string* error) {
  if (SameText(text, u"none") || SameText(text, u"off") || text == u"なし") {
    *change = [](OutputSettings& s) { s.vignetteOn = 0; };
    return true;
  }
  const std::vector<std::u16string> parts = Split(text, u',');
  ColorRef color = 0;
  int shape = -1;
  int thickness = -1;
  if (parts.size() > 3 || !ParseColorArgument(parts[0], &color)) {
    *error = u"--vignette: expected none or COLOR[,SHAPE[,THICKNESS]], got \"" + text + u"\"";
    return false;
  }
  if (parts.size() > 1 &&
      !ParseChoice(parts[1], kShapeNames, kVignetteShapeLabelBase, kVignetteShapeCount, &shape)) {
    *error = u"--vignette: unknown shape \"" + parts[1] + u"\" (" + NameList(kShapeNames) + u")";
    return false;
  }
  if (parts.size() > 2 && !ParseChoice(parts[2], kThicknessNames, kVignetteThicknessLabelBase,
                                       kVignetteThicknessCount, &thickness)) {
    *error = u"--vignette: unknown thickness \"" + parts[2] + u"\" (" +
             NameList(kThicknessNames) + u")";
    return false;
  }
  *change = [color, shape, thickness](OutputSettings& s) {
    s.vignetteOn = 1;
    s.vignetteRgb = color;
    if (shape >= 0) s.vignetteShape = shape;
    if (thickness >= 0) s.vignetteThickness = thickness;
  };
  return true;
}

// KEY=VALUE[,KEY=VALUE...] over the outline-and-shadow parameters.
bool ParseOutlineShadow(const std::u16string& text, std::vector<Change>* changes,
                        std::u16string* error) {
  for (const std::u16string& item : Split(text, u',')) {
    const std::size_t eq = item.find(u'=');
    const std::u16string key = item.substr(0, eq);
    const std::u16string value = eq == std::u16string::npos ? std::u16string() : item.substr(eq + 1);
    int fill = 0;
    ColorRef color = 0;
    std::int32_t level = 0;
    std::uint8_t flag = 0;
    bool ok = true;
    Change c;
    auto fillOf = [&](std::int32_t OutlineShadowSettings::*field) {
      ok = ParseChoice(value, kFillNames, -1, kFillChoiceCount, &fill);
      c = [field, fill](OutputSettings& s) { s.outlineShadow.*field = fill; };
    };
    auto colorOf = [&](ColorRef OutlineShadowSettings::*field) {
      ok = ParseColorArgument(value, &color);
      c = [field, color](OutputSettings& s) { s.outlineShadow.*field = color; };
    };
    auto levelOf = [&](std::int32_t OutlineShadowSettings::*field) {
      ok = ParseLevel(value, &level);
      c = [field, level](OutputSettings& s) { s.outlineShadow.*field = level; };
    };
    auto flagOf = [&](std::uint8_t OutlineShadowSettings::*field) {
      ok = ParseFlag(value, &flag);
      c = [field, flag](OutputSettings& s) { s.outlineShadow.*field = flag; };
    };
    if (key == u"background") fillOf(&OutlineShadowSettings::background);
    else if (key == u"background-color") colorOf(&OutlineShadowSettings::backgroundRgb);
    else if (key == u"outline") fillOf(&OutlineShadowSettings::outline);
    else if (key == u"outline-color") colorOf(&OutlineShadowSettings::outlineRgb);
    else if (key == u"outline-level") levelOf(&OutlineShadowSettings::outlineLevel);
    else if (key == u"outline-grouping") flagOf(&OutlineShadowSettings::outlineGrouping);
    else if (key == u"outline-smoothing") flagOf(&OutlineShadowSettings::outlineSmoothing);
    else if (key == u"outline-before-blur") flagOf(&OutlineShadowSettings::outlineBeforeBlur);
    else if (key == u"shadow") fillOf(&OutlineShadowSettings::shadow);
    else if (key == u"shadow-color") colorOf(&OutlineShadowSettings::shadowRgb);
    else if (key == u"shadow-level") levelOf(&OutlineShadowSettings::shadowLevel);
    else if (key == u"shadow-grouping") flagOf(&OutlineShadowSettings::shadowGrouping);
    else if (key == u"shadow-smoothing") flagOf(&OutlineShadowSettings::shadowSmoothing);
    else if (key == u"shadow-before-blur") flagOf(&OutlineShadowSettings::shadowBeforeBlur);
    else if (key == u"outline-under-shadow") flagOf(&OutlineShadowSettings::outlineUnderShadow);
    else if (key == u"shadow-takes-outline-color")
      flagOf(&OutlineShadowSettings::shadowTakesOutlineColor);
    else {
      *error = u"--outline-shadow: unknown parameter \"" + key + u"\" (see --help)";
      return false;
    }
    if (!ok) {
      *error = u"--outline-shadow: bad value \"" + value + u"\" for " + key;
      return false;
    }
    changes->push_back(c);
  }
  return true;
}

}  // namespace

bool ParseColorArgument(const std::u16string& text, ColorRef* color) {
  const Name named[] = {{u"white", 0xFFFFFF}, {u"black", 0x000000}, {u"red", 0x0000FF},
                        {u"green", 0x00FF00}, {u"blue", 0xFF0000}};
  for (const Name& n : named)
    if (SameText(text, n.text)) return (*color = static_cast<ColorRef>(n.value)), true;
  std::u16string hex = !text.empty() && text[0] == u'#' ? text.substr(1) : text;
  if (hex.size() != 6) return false;
  std::uint32_t rgb = 0;
  for (char16_t c : hex) {
    const char16_t l = Lower(c);
    std::uint32_t d;
    if (l >= u'0' && l <= u'9') d = l - u'0';
    else if (l >= u'a' && l <= u'f') d = l - u'a' + 10;
    else return false;
    rgb = rgb << 4 | d;
  }
  // Red first on the command line; red in the lowest byte when stored.
  *color = ((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16);
  return true;
}

bool ParseArguments(const std::vector<std::u16string>& args, CliOptions* options,
                    std::u16string* error) {
  bool filesOnly = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::u16string arg = args[i];
    if (filesOnly || arg.size() < 2 || arg[0] != u'-') {
      options->files.push_back(arg);
      continue;
    }
    if (arg == u"--") {
      filesOnly = true;
      continue;
    }
    std::u16string value;
    bool hasValue = false;
    const std::size_t eq = arg.find(u'=');
    if (arg.compare(0, 2, u"--") == 0 && eq != std::u16string::npos) {
      value = arg.substr(eq + 1);
      arg = arg.substr(0, eq);
      hasValue = true;
    }
    auto takeValue = [&]() {
      if (hasValue) return true;
      if (i + 1 >= args.size()) {
        *error = arg + u" needs a value (see --help)";
        return false;
      }
      value = args[++i];
      return true;
    };
    auto choice = [&](const auto& names, int labelBase, int count, std::int32_t OutputSettings::*field) {
      if (!takeValue()) return false;
      int v = 0;
      if (!ParseChoice(value, names, labelBase, count, &v)) {
        *error = arg + u": unknown value \"" + value + u"\" (" + NameList(names) +
                 u", or an index from 0 to " + DecimalText(count - 1) + u")";
        return false;
      }
      options->changes.push_back([field, v](OutputSettings& s) { s.*field = v; });
      return true;
    };

    bool ok = true;
    if (arg == u"-h" || arg == u"--help") {
      options->help = true;
    } else if (arg == u"--no-open") {
      options->noOpen = true;
    } else if (arg == u"--reset") {
      options->reset = true;
    } else if (arg == u"-d" || arg == u"--folder") {
      ok = takeValue();
      if (ok && value.empty()) {
        *error = u"--folder needs a folder name";
        ok = false;
      }
      options->programFolder = value;
    } else if (arg == u"--scale") {
      ok = choice(kScaleNames, -1, kScaleCount, &OutputSettings::scale);
    } else if (arg == u"--color" || arg == u"--colour") {
      ok = choice(kColorNames, kColorModeLabelBase, kColorModeCount, &OutputSettings::colorMode);
    } else if (arg == u"--contrast") {
      ok = choice(kContrastNames, kContrastLabelBase, kContrastModeCount, &OutputSettings::contrast);
    } else if (arg == u"--blur") {
      ok = choice(kBlurNames, kBlurLabelBase, kBlurModeCount, &OutputSettings::blur);
    } else if (arg == u"--rotate") {
      ok = choice(kRotationNames, kRotationLabelBase, kRotationModeCount, &OutputSettings::rotation);
    } else if (arg == u"--effect") {
      ok = choice(kEffectNames, kSpecialEffectLabelBase, kSpecialEffectCount,
                  &OutputSettings::specialEffect);
    } else if (arg == u"--quality") {
      int q = 0;
      ok = takeValue();
      if (ok && !ParseQuality(value, &q)) {
        *error = u"--quality: expected 100, 90, ..., 10 (or an index from 0 to 9), got \"" + value + u"\"";
        ok = false;
      }
      if (ok) options->changes.push_back([q](OutputSettings& s) { s.quality = q; });
    } else if (arg == u"--mono-color" || arg == u"--mono-colour") {
      ColorRef color = 0;
      ok = takeValue();
      if (ok && !ParseColorArgument(value, &color)) {
        *error = u"--mono-color: expected RRGGBB (red first) or white, black, red, green, blue";
        ok = false;
      }
      if (ok) options->changes.push_back([color](OutputSettings& s) { s.monoColor = color; });
    } else if (arg == u"--vignette") {
      Change c;
      ok = takeValue() && ParseVignette(value, &c, error);
      if (ok) options->changes.push_back(c);
    } else if (arg == u"--outline-shadow") {
      ok = takeValue() && ParseOutlineShadow(value, &options->changes, error);
    } else if (arg == u"--view") {
      int v = 0;
      ok = takeValue();
      if (ok && !ParseChoice(value, kViewNames, -1, 2, &v)) {
        *error = u"--view: expected compact or large";
        ok = false;
      }
      if (ok) options->changes.push_back([v](OutputSettings& s) { s.compactView = static_cast<std::uint8_t>(v); });
    } else {
      *error = u"unknown option " + arg + u" (see --help)";
      ok = false;
    }
    if (!ok) return false;
  }
  return true;
}

std::u16string HelpText() {
  return uR"(Usage: korvane-resize [OPTIONS] FILE...

Converts the JPEG FILEs as one batch, exactly as a drop on the program's
window would: a new folder named from the local time (YYYY_MM_DD_hhmm_ss)
inside the program folder receives the converted files under their own names
and the report 出力結果.txt; the history file 履歴.txt in the program folder
gets the batch's entry. Folders among the FILEs are listed in the report but
not entered. The options start from those of the history file's newest entry
(the last batch); the options below change them for this batch, and the
batch's entry then saves them for the next one.

Options:
  -d, --folder DIR     the program folder (default: the working directory)
      --scale S        1/1, 1/2, 1/4, 1/8
      --color C        original, vivid1..vivid4, fade1..fade4, natural-sepia,
                       blue-sepia, sepia1..sepia3, mono, negative, grayscale
      --mono-color RGB the colour of --color mono: RRGGBB, red first (0000FF)
      --contrast C     original, auto, level1..level6
      --blur B         none, soft-focus, super-soft-focus, light, medium, strong
      --rotate R       none, cw, ccw, 180, flip-h (mirror), flip-v
      --vignette V     none, or COLOR[,SHAPE[,THICKNESS]]: COLOR white, black or
                       RRGGBB; SHAPE frame, outer, inner; THICKNESS thin,
                       medium, thick (e.g. --vignette white,frame,thick)
      --quality Q      100, 90, 80, ..., 10
      --effect E       none, outline-shadow
      --outline-shadow KEY=VALUE[,KEY=VALUE...]
                       the outline-and-shadow parameters: background, outline,
                       shadow (original/none, white, black, custom,
                       random-vivid, random-pale); background-color,
                       outline-color, shadow-color (RRGGBB); outline-level,
                       shadow-level (0-255); outline-grouping,
                       outline-smoothing, outline-before-blur, shadow-grouping,
                       shadow-smoothing, shadow-before-blur,
                       outline-under-shadow, shadow-takes-outline-color (on/off)
      --view V         compact or large: the window's view mode kept in the
                       history file
      --reset          start from the reset options, not the saved ones
      --no-open        do not open the output folder when done
  -h, --help           show this text

Every choice also takes the program's own label (e.g. セピアx2) or its index
in the program's list (e.g. --color 12). The effect and its parameters are not
kept in the history file. Ctrl+C stops after the file being converted; the
report and the history entry then say so.

Exit status: 0 when every FILE was converted, 1 when some were not (or the
batch was stopped), 2 when the batch could not start.
)";
}

}  // namespace korvane::cli
