#include "batch/result_report.h"

#include "history/option_text.h"
#include "platform/text.h"

namespace korvane {

const char16_t kReportFileName[] = u"出力結果.txt";

std::u16string ReportHeaderText(const platform::LocalTime& batchTime,
                                std::u16string_view sourceFolderText, std::uint32_t count,
                                const OutputSettings& s) {
  // The blanks line the colons up when full-width characters take two columns.
  std::u16string t(1, u'\xFEFF');
  t += u"     処理時刻:" + FormatDateTime(batchTime) + u"\r\n";
  t += u"   元画像場所:";
  t += sourceFolderText;
  t += u"\r\n   ファイル数:" + DecimalText(count) + u"\r\n";
  t += u"         設定:" + FormatSettingsText(s) + u"\r\n";
  t += u"         ふち:" + FormatVignetteText(s) + u"\r\n";
  t += u"\r\n";
  return t;
}

std::u16string ProgressSummaryText(const OutputSettings& s) {
  std::u16string t = u"1/" + DecimalText(ScaleDenominator(s.scale)) + u"\n";
  t += DecimalText(QualityValue(s.quality)) + u"\n";
  t += ColorModeLabel(s.colorMode);
  t += u"\n";
  t += ContrastLabel(s.contrast);
  t += u"\n";
  t += BlurLabel(s.blur);
  t += u"\n";
  t += RotationLabel(s.rotation);
  t += u"\n";
  t += s.vignetteOn ? u"あり" : u"なし";
  return t;
}

}  // namespace korvane
