// The texts the report and the history file share: time stamps, colours and
// the options in their written form.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"
#include "settings/output_settings.h"

namespace korvane {

// "%0*d": `value` in decimal, zero-padded to at least `width` digits.
std::u16string ZeroPadded(long long value, int width);
// "%06X" of a colour: its stored 0x00BBGGRR value, so blue comes first.
std::u16string FormatHex6(std::uint32_t value);

// "%04d/%02d/%02d %02d:%02d:%02d"
std::u16string FormatDateTime(const platform::LocalTime& t);
// "%04d_%02d_%02d_%02d%02d_%02d", the name of a batch's output folder.
std::u16string FormatFolderStamp(const platform::LocalTime& t);

// "縮小率=1/%d, カラー=%s, %06X, コントラスト=%s, ぼかし=%s, 回転・反転=%s, クオリティ=%d"
std::u16string FormatSettingsText(const OutputSettings& s);
// "%s, %s, %s": colour, shape and thickness when the vignette is on,
// otherwise "なし", "-", "-".
std::u16string FormatVignetteText(const OutputSettings& s);

}  // namespace korvane
