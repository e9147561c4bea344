#include "history/option_text.h"

#include "platform/text.h"

namespace korvane {

std::u16string ZeroPadded(long long value, int width) {
  std::u16string digits = DecimalText(value < 0 ? -value : value);
  const int sign = value < 0 ? 1 : 0;
  if (static_cast<int>(digits.size()) + sign < width)
    digits.insert(0, static_cast<std::size_t>(width - sign) - digits.size(), u'0');
  if (sign) digits.insert(0, 1, u'-');
  return digits;
}

std::u16string FormatHex6(std::uint32_t value) {
  static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
  std::u16string out;
  do {
    out.insert(out.begin(), kDigits[value & 0xF]);
    value >>= 4;
  } while (value != 0);
  if (out.size() < 6) out.insert(0, 6 - out.size(), u'0');
  return out;
}

std::u16string FormatDateTime(const platform::LocalTime& t) {
  return ZeroPadded(t.year, 4) + u"/" + ZeroPadded(t.month, 2) + u"/" + ZeroPadded(t.day, 2) +
         u" " + ZeroPadded(t.hour, 2) + u":" + ZeroPadded(t.minute, 2) + u":" +
         ZeroPadded(t.second, 2);
}

std::u16string FormatFolderStamp(const platform::LocalTime& t) {
  return ZeroPadded(t.year, 4) + u"_" + ZeroPadded(t.month, 2) + u"_" + ZeroPadded(t.day, 2) +
         u"_" + ZeroPadded(t.hour, 2) + ZeroPadded(t.minute, 2) + u"_" + ZeroPadded(t.second, 2);
}

std::u16string FormatSettingsText(const OutputSettings& s) {
  std::u16string t = u"縮小率=1/";
  t += DecimalText(ScaleDenominator(s.scale));
  t += u", カラー=";
  t += ColorModeLabel(s.colorMode);
  t += u", ";
  t += FormatHex6(s.monoColor);
  t += u", コントラスト=";
  t += ContrastLabel(s.contrast);
  t += u", ぼかし=";
  t += BlurLabel(s.blur);
  t += u", 回転・反転=";
  t += RotationLabel(s.rotation);
  t += u", クオリティ=";
  t += DecimalText(QualityValue(s.quality));
  return t;
}

std::u16string FormatVignetteText(const OutputSettings& s) {
  if (!s.vignetteOn) return u"なし, -, -";
  return FormatHex6(s.vignetteRgb) + u", " + VignetteShapeLabel(s.vignetteShape) + u", " +
         VignetteThicknessLabel(s.vignetteThickness);
}

}  // namespace korvane
