#include "cli/console_host.h"

#include "platform/platform.h"
#include "platform/text.h"

namespace korvane::cli {
namespace {

constexpr std::size_t kLineColumns = 78;  // fits an 80-column terminal

bool IsWide(char16_t c) {
  return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) ||
         (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
         (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
         (c >= 0xFFE0 && c <= 0xFFE6);
}

// The name cut in the middle so that it takes at most `columns`.
std::u16string Shortened(const std::u16string& name, std::size_t columns) {
  if (DisplayColumns(name) <= columns || columns < 8) return name;
  const std::size_t half = (columns - 3) / 2;
  std::u16string head, tail;
  std::size_t used = 0;
  for (char16_t c : name) {
    const std::size_t w = IsWide(c) ? 2 : 1;
    if (used + w > half) break;
    head += c;
    used += w;
  }
  used = 0;
  for (std::size_t i = name.size(); i-- > 0;) {
    const std::size_t w = IsWide(name[i]) ? 2 : 1;
    if (used + w > columns - 3 - half) break;
    tail.insert(tail.begin(), name[i]);
    used += w;
  }
  return head + u"..." + tail;
}

std::u16string Tenths(std::uint32_t value10) {
  return DecimalText(value10 / 10) + u"." + DecimalText(value10 % 10);
}

}  // namespace

std::size_t DisplayColumns(std::u16string_view text) {
  std::size_t columns = 0;
  for (char16_t c : text) {
    if (c >= 0xDC00 && c < 0xE000) continue;  // the second half of a pair
    columns += IsWide(c) ? 2 : 1;
  }
  return columns;
}

ConsoleHost::ConsoleHost(std::u16string appFolder, bool openFolder, bool terminal)
    : appFolder_(std::move(appFolder)),
      openFolder_(openFolder),
      terminal_(terminal),
      startTick_(platform::QueryTickCount()) {}

void ConsoleHost::ShowSummary(const std::u16string& text) {
  // The dialog's seven values, one a line; here on one line with their names.
  static const char16_t* const kNames[] = {u"scale", u"quality", u"color", u"contrast",
                                           u"blur", u"rotation", u"vignette"};
  std::u16string line = u"Options:";
  std::size_t start = 0;
  for (int i = 0; i < 7 && start <= text.size(); ++i) {
    std::size_t end = text.find(u'\n', start);
    if (end == std::u16string::npos) end = text.size();
    line += (i == 0 ? u" " : u", ") + std::u16string(kNames[i]) + u" " +
            text.substr(start, end - start);
    start = end + 1;
  }
  platform::WriteStderr(line + u"\n");
  startTick_ = platform::QueryTickCount();
}

std::u16string ConsoleHost::Timing(std::uint32_t done) const {
  const std::uint32_t ms = platform::QueryTickCount() - startTick_;
  std::u16string t = Tenths(ms / 100) + u" s";
  if (done > 0 && ms > 0) {
    const std::uint64_t perMinute10 = std::uint64_t{done} * 600000u / ms;  // tenths of a file a minute
    t += ms >= 1000 * done ? u", " + Tenths(static_cast<std::uint32_t>(perMinute10)) + u" files/min"
                           : u", " + Tenths(static_cast<std::uint32_t>(perMinute10 / 60)) + u" files/s";
  }
  return t;
}

void ConsoleHost::Draw(const std::u16string& line) {
  std::u16string out = u"\r" + line;
  const std::size_t columns = DisplayColumns(line);
  if (columns < drawnColumns_) out.append(drawnColumns_ - columns, u' ');
  drawnColumns_ = columns;
  platform::WriteStderr(out);
}

void ConsoleHost::EndLine() {
  if (drawnColumns_ == 0) return;
  Draw(u"");
  platform::WriteStderr(u"\r");
  drawnColumns_ = 0;
}

void ConsoleHost::ShowFileName(const std::u16string& text) {
  fileName_ = text;
  if (!terminal_) return;
  std::uint32_t n = 0;
  for (char16_t c : index_) n = n * 10 + static_cast<std::uint32_t>(c - u'0');
  const std::u16string head = u"[" + index_ + total_ + u"] ";
  std::u16string tail = u"  " + Timing(n > 0 ? n - 1 : 0);
  if (worker_ != nullptr && worker_->CancelRequested()) tail += u"  (stopping after this file)";
  const std::size_t room = kLineColumns > DisplayColumns(head + tail)
                               ? kLineColumns - DisplayColumns(head + tail) : 8;
  Draw(head + Shortened(fileName_, room) + tail);
}

void ConsoleHost::EntryDone(const EntryResult& entry) {
  const std::u16string head = u"[" + DecimalText(entry.index + 1ll) + total_ + u"] ";
  std::u16string note;
  if (entry.folder) note = u"a folder: listed, not converted";
  else if (!entry.converted) note = entry.resultText;
  if (terminal_) {
    // Failures stay on the screen above the progress line.
    if (!note.empty()) {
      EndLine();
      platform::WriteStderr(head + entry.fileName + u": " + note + u"\n");
    }
    return;
  }
  platform::WriteStderr(head + entry.fileName + u": " + (note.empty() ? entry.resultText : note) +
                        u" (" + Timing(entry.index + 1) + u")\n");
}

void ConsoleHost::ShowError(const std::u16string& message) {
  EndLine();
  platform::WriteStderr(u"korvane-resize: " + message + u"\n");
}

void ConsoleHost::OpenFolder(const std::u16string& folder) {
  if (openFolder_) platform::OpenWithShell(0, folder);
}

void ConsoleHost::Finished() { EndLine(); }

}  // namespace korvane::cli
