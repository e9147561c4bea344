// The history file "履歴.txt" in the program folder: the log of batches
// (newest first), the saved options (the newest entry) and the view mode
// (the parity of its last character). UTF-16LE, CR LF. Every operation opens
// the file sharing nothing and closes it before returning; failures are
// silent, the operation skips what it cannot do.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "settings/output_settings.h"

namespace korvane {

extern const char16_t kHistoryFileName[];  // "履歴.txt"

// `appFolder` joined with the history file's name.
std::u16string HistoryFilePath(std::u16string_view appFolder);

// Puts one entry at the top of the file (creating it when missing), keeping
// a single byte-order mark at the very start, then rewrites the view letter
// from `settings.compactView`. `sourceText` is the folder of the batch's first
// item, or nothing for Save Options ("設定保存"). False when the entry could
// not be written; the file is then as it was.
bool PrependHistoryEntry(std::u16string_view appFolder, const OutputSettings& settings,
                         int successCount, int totalCount, bool aborted,
                         const std::optional<std::u16string>& sourceText,
                         const platform::LocalTime& time);

// Resets `settings`, then reads fields scale..quality back from the newest
// entry. Fields that do not parse keep their reset values.
void LoadSavedOptions(std::u16string_view appFolder, OutputSettings& settings);

// Sets `settings.compactView` from the file's last character; leaves it as it
// is when the file is missing or holds no whole character.
void ReadViewMode(std::u16string_view appFolder, OutputSettings& settings);

// Rewrites the file's last character from `compactView` (odd letter: compact),
// creating the file with the welcome block when it does not exist.
void WriteViewLetter(std::u16string_view appFolder, bool compactView);

// Six hexadecimal digits, most significant first; 0xFFFFFF for anything else.
std::uint32_t ParseHexColor(std::u16string_view text);

// --- the pieces, for the writers and their tests ------------------------------

// The reading of LoadSavedOptions on the file's code units, without the
// reset: fields that are found overwrite `settings`.
void ParseSavedOptions(std::u16string_view text, OutputSettings& settings);
// Lines 1 to 5 (and the cancel line) of one entry, each ending in CR LF.
std::u16string HistoryEntryText(const OutputSettings& settings, int successCount, int totalCount,
                                bool aborted, const std::optional<std::u16string>& sourceText,
                                const platform::LocalTime& time);
// "Welcome to Korvane_resize!\r\n" and the creation time.
std::u16string WelcomeBlockText(const platform::LocalTime& time);
// A + (second mod 25), moved on by one when its lowest bit is not `compactView`.
char16_t ViewLetter(bool compactView, int second);

// "---------- 処理が中断されました -----------\r\n", the cancel line of the
// report and the history entry (35 units).
extern const char16_t kCancelLine[];

}  // namespace korvane
