// The texts of a batch: the report "出力結果.txt" in the output folder and the
// option summary of the processing dialog.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "settings/output_settings.h"

namespace korvane {

extern const char16_t kReportFileName[];  // "出力結果.txt"

// The byte-order mark and the six header lines, each ending in CR LF.
std::u16string ReportHeaderText(const platform::LocalTime& batchTime,
                                std::u16string_view sourceFolderText, std::uint32_t count,
                                const OutputSettings& settings);

// "1/%d\n%d\n%s\n%s\n%s\n%s\n%s": scale, quality, the colour, contrast, blur
// and rotation labels, "あり" or "なし" for the vignette.
std::u16string ProgressSummaryText(const OutputSettings& settings);

}  // namespace korvane
