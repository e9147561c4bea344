// The writers: PrependHistoryEntry and WriteViewLetter.
#include "history/history_file.h"

#include <new>

#include "batch/drop_list.h"
#include "history/file_bytes.h"
#include "history/option_text.h"
#include "platform/text.h"

namespace korvane {

const char16_t kHistoryFileName[] = u"履歴.txt";
const char16_t kCancelLine[] = u"---------- 処理が中断されました -----------\r\n";

namespace {

constexpr char16_t kByteOrderMark = u'\xFEFF';
// Beyond this the old content is not read into memory: the entry is dropped,
// as when its buffer cannot be had.
constexpr std::uint64_t kMaxHistoryBytes = 256ull * 1024 * 1024;

}  // namespace

std::u16string HistoryFilePath(std::u16string_view appFolder) {
  return JoinPath(appFolder, kHistoryFileName);
}

std::u16string HistoryEntryText(const OutputSettings& s, int successCount, int totalCount,
                                bool aborted, const std::optional<std::u16string>& sourceText,
                                const platform::LocalTime& time) {
  std::u16string t = FormatDateTime(time) + u"\r\n";
  t += sourceText ? *sourceText : std::u16string(u"設定保存");
  t += u"\r\n画像数 " + DecimalText(successCount) + u"/" + DecimalText(totalCount) + u"\r\n";
  t += FormatSettingsText(s) + u"\r\n";
  t += u"ふち:" + FormatVignetteText(s) + u"\r\n";
  if (aborted) t += kCancelLine;
  return t;
}

std::u16string WelcomeBlockText(const platform::LocalTime& time) {
  return u"Welcome to Korvane_resize!\r\n" + FormatDateTime(time) + u"\r\n";
}

char16_t ViewLetter(bool compactView, int second) {
  const int s = second < 0 ? 0 : second;
  char16_t letter = static_cast<char16_t>(u'A' + s % 25);
  if (((letter & 1) != 0) != compactView) ++letter;
  return letter;
}

void WriteViewLetter(std::u16string_view appFolder, bool compactView) {
  bool created = false;
  platform::File file = platform::OpenOrCreateForUpdate(HistoryFilePath(appFolder), &created);
  if (!file.IsOpen()) return;
  const platform::LocalTime now = platform::QueryLocalTime();
  // Whether the file existed comes from the same open that writes, so a file
  // held by someone else a moment earlier never gets a second welcome block.
  if (created) {
    if (!WriteText(file, WelcomeBlockText(now))) return;
  } else {
    // The last whole code unit, where the reader looks: a trailing odd byte
    // (a damaged file) must not make the letter straddle two units.
    std::uint64_t size = 0;
    if (!file.Size(&size) || !file.Seek(size >= 2 ? (size / 2 - 1) * 2 : 0)) return;
  }
  WriteText(file, std::u16string(1, ViewLetter(compactView, now.second)));
}

bool PrependHistoryEntry(std::u16string_view appFolder, const OutputSettings& settings,
                         int successCount, int totalCount, bool aborted,
                         const std::optional<std::u16string>& sourceText,
                         const platform::LocalTime& time) {
  std::string old;
  std::string fresh;
  {
    bool created = false;
    platform::File file = platform::OpenOrCreateForUpdate(HistoryFilePath(appFolder), &created);
    if (!file.IsOpen()) return false;
    std::uint64_t size = 0;
    if (!file.Size(&size) || size > kMaxHistoryBytes || !ReadBytes(file, size, &old)) return false;

    try {
      std::u16string head(1, kByteOrderMark);
      head += HistoryEntryText(settings, successCount, totalCount, aborted, sourceText, time);
      // A file without a letter yet (missing, or emptied) gets a stand-in
      // for WriteViewLetter to replace, so the entry stays whole.
      head += old.empty() ? u"A" : u"\r\n";
      fresh = Utf16LeBytes(head);
    } catch (const std::bad_alloc&) {
      return false;
    }
    // The old content, without its own byte-order mark, follows the new
    // entry; the file only grows, so nothing needs cutting.
    std::string_view rest(old);
    if (rest.size() >= 2 && rest[0] == '\xFF' && rest[1] == '\xFE') rest.remove_prefix(2);
    if (!file.Seek(0) || !WriteBytes(file, fresh) || !WriteBytes(file, rest)) {
      // A write that failed half-way (a full disk) would leave the log cut:
      // put the old bytes back, at the old length.
      if (file.Seek(0) && WriteBytes(file, old) && file.Seek(old.size())) file.Truncate();
      return false;
    }
  }
  WriteViewLetter(appFolder, settings.compactView != 0);
  return true;
}

}  // namespace korvane
