#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "batch/win32/processing_dialog.h"
#include "history/history_file.h"
#include "platform/platform.h"
#include "resource_ids.h"
#include "ui/ui_fixture.h"

namespace korvane::testing {
namespace {

namespace fs = std::filesystem;

// A drop handle as the shell makes it: DROPFILES, then the wide paths, each
// terminated, and one more terminator.
HDROP MakeDrop(const std::vector<std::u16string>& paths) {
  std::size_t units = 1;
  for (const auto& p : paths) units += p.size() + 1;
  HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + units * sizeof(wchar_t));
  auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
  header->pFiles = sizeof(DROPFILES);
  header->fWide = TRUE;
  auto* text = reinterpret_cast<wchar_t*>(header + 1);
  for (const auto& p : paths) {
    std::copy(p.begin(), p.end(), text);
    text += p.size() + 1;
  }
  GlobalUnlock(memory);
  return static_cast<HDROP>(memory);
}

// The batch output folders ("YYYY_MM_DD_HHMM_SS") in `folder`.
std::vector<fs::path> OutputFolders(const std::u16string& folder) {
  static const std::regex stamp("\\d{4}_\\d{2}_\\d{2}_\\d{4}_\\d{2}");
  std::vector<fs::path> out;
  for (const auto& e : fs::directory_iterator(fs::path(folder)))
    if (e.is_directory() && std::regex_match(e.path().filename().string(), stamp)) out.push_back(e.path());
  return out;
}

class DropTest : public MainWindowTest {
 protected:
  std::u16string Jpeg(const std::u16string& name, int width = 64, int height = 48) {
    FixtureOptions o;
    o.width = width;
    o.height = height;
    const std::u16string path = scratch_.MakeSubfolder(u"src") + u"\\" + name;
    EXPECT_TRUE(WriteBytes(path, MakeJpeg(o)));
    return path;
  }
  void Drop(const std::vector<std::u16string>& paths) {
    SendMessageW(window_, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(paths)), 0);
  }
  // Drops six large photos named PREFIX0.jpg .. PREFIX5.jpg at 1/1 and
  // cancels from the dialog (button or Esc) once entry 2 or later shows.
  void DropAndCancel(char16_t prefix, bool esc);
};

TEST_F(DropTest, ADropBecomesOneBatchWithReportAndHistory) {
  ASSERT_NE(Open(), nullptr);
  Command(IDM_SCALE_4);
  const std::vector<std::u16string> paths = {Jpeg(u"a.jpg"), scratch_.MakeSubfolder(u"src\\album"),
                                             Jpeg(u"b.JPG"), Jpeg(u"notes.txt")};
  Drop(paths);
  WaitForRunningBatch();
  const auto folders = OutputFolders(folder());
  ASSERT_EQ(folders.size(), 1u);
  EXPECT_TRUE(fs::exists(folders[0] / "a.jpg"));
  EXPECT_TRUE(fs::exists(folders[0] / "b.JPG"));
  const std::u16string report = ReadUtf16File((folders[0] / u"出力結果.txt").u16string());
  ASSERT_FALSE(report.empty());
  EXPECT_EQ(report[0], u'\xFEFF');
  EXPECT_NE(report.find(u"64 x 48 -> 16 x 12"), std::u16string::npos);
  EXPECT_NE(report.find(u"\tFOLDER"), std::u16string::npos);
  EXPECT_NE(report.find(u"UNSUPPORTED FILE"), std::u16string::npos);
  const std::u16string history = ReadUtf16File(HistoryFilePath(folder()));
  EXPECT_NE(history.find(u"2/4"), std::u16string::npos) << std::string(history.begin(), history.end());
  EXPECT_EQ(appState.progressDialog, nullptr);
}

// What the processing dialog showed while entry 2 was under way.
struct DialogView {
  std::wstring index, total, file, summary, title;
};
DialogView seen;

std::wstring ItemText(HWND dialog, int id) {
  wchar_t text[400] = {};
  GetDlgItemTextW(dialog, id, text, 400);
  return text;
}

// Presses "中断" (or Esc) in the processing dialog once it shows entry 2 or later.
HWND cancelTarget = nullptr;
bool cancelWithEsc = false;
void CALLBACK CancelAtSecondEntry(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND dialog = appState.progressDialog;
  if (dialog == nullptr) return;
  const std::wstring index = ItemText(dialog, IDC_PROGRESS_INDEX);
  if (index.empty() || index == L"0" || index == L"1") return;
  KillTimer(nullptr, timer);
  wchar_t title[64] = {};
  GetWindowTextW(dialog, title, 64);
  seen = {ItemText(dialog, IDC_PROGRESS_INDEX), ItemText(dialog, IDC_PROGRESS_TOTAL),
          ItemText(dialog, IDC_PROGRESS_FILE), ItemText(dialog, IDC_PROGRESS_SUMMARY), title};
  SaveScreenshot(cancelWithEsc ? "processing-esc" : "processing");
  HWND button = GetDlgItem(dialog, IDCANCEL);
  if (cancelWithEsc) {
    PostMessageW(button, WM_KEYDOWN, VK_ESCAPE, 0);
  } else {
    SendMessageW(button, BM_CLICK, 0, 0);
  }
  cancelTarget = dialog;
}

void DropTest::DropAndCancel(char16_t prefix, bool esc) {
  Command(IDM_SCALE_1);
  std::vector<std::u16string> paths;
  for (int i = 0; i < 6; ++i)
    paths.push_back(Jpeg(std::u16string(1, prefix) + std::u16string(1, u'0' + i) + u".jpg", 3000, 2000));
  cancelWithEsc = esc;
  cancelTarget = nullptr;
  SetTimer(nullptr, 0, 150, CancelAtSecondEntry);
  Drop(paths);
}

TEST_F(DropTest, CancelClosesTheDialogAndTheReportSaysSo) {
  for (bool esc : {false, true}) {
    ASSERT_NE(Open(), nullptr);
    DropAndCancel(u'p', esc);
    EXPECT_NE(cancelTarget, nullptr);
    EXPECT_FALSE(IsWindow(cancelTarget));  // closed while the worker finishes
    ASSERT_EQ(seen.index.size(), 1u);
    EXPECT_GE(seen.index[0], L'2');
    EXPECT_LE(seen.index[0], L'5');  // the last entry cannot be cancelled
    EXPECT_EQ(seen.total, L"/6");
    EXPECT_EQ(seen.file.rfind(L"p", 0), 0u);  // the worker writes the name right after the index
    EXPECT_EQ(seen.summary.rfind(L"1/1\n100\n", 0), 0u) << seen.summary.size();
    EXPECT_TRUE(std::regex_match(seen.title, std::wregex(L"Processing\\.{0,10}")));
    WaitForRunningBatch();
    const auto folders = OutputFolders(folder());
    ASSERT_EQ(folders.size(), 1u);
    const std::u16string report = ReadUtf16File((folders[0] / u"出力結果.txt").u16string());
    EXPECT_NE(report.find(u"---------- 処理が中断されました -----------"), std::u16string::npos);
    // The entry under way was finished.
    EXPECT_NE(report.find(u"p" + std::u16string(1, char16_t(seen.index[0] - 1)) + u".jpg"), std::u16string::npos);
    EXPECT_EQ(report.find(u"p5.jpg"), std::u16string::npos);
    Close();
    fs::remove_all(folders[0]);
  }
}

// A clock a second further on at every reading, so that batches started one
// right after the other get folders of their own.
platform::LocalTime TickingClock() {
  static int n = 0;
  ++n;
  return {2030, 1, 2, 3, n / 60 % 60, n % 60};
}

TEST_F(DropTest, ADropWhileACancelledBatchFinishesWaitsForIt) {
  platform::SetLocalTimeSourceForTesting(TickingClock);
  ASSERT_NE(Open(), nullptr);
  DropAndCancel(u'q', false);  // its worker is still converting the entry under way
  ASSERT_NE(cancelTarget, nullptr);
  Drop({Jpeg(u"after.jpg")});
  WaitForRunningBatch();
  const auto folders = OutputFolders(folder());
  ASSERT_EQ(folders.size(), 2u);
  int cancelled = 0, whole = 0;
  for (const auto& f : folders) {
    const std::u16string report = ReadUtf16File((f / u"出力結果.txt").u16string());
    if (report.find(u"処理が中断されました") != std::u16string::npos) {
      ++cancelled;
      EXPECT_TRUE(fs::exists(f / ("q" + std::string(1, char(seen.index[0] - 1)) + ".jpg")));  // not cut short
    } else {
      ++whole;
      EXPECT_TRUE(fs::exists(f / "after.jpg"));
    }
  }
  EXPECT_EQ(cancelled, 1);
  EXPECT_EQ(whole, 1);
  platform::SetLocalTimeSourceForTesting(nullptr);
}

TEST_F(DropTest, ExitRightAfterACancelStillCompletesTheHistoryEntry) {
  ASSERT_NE(Open(), nullptr);
  DropAndCancel(u'r', true);
  ASSERT_NE(cancelTarget, nullptr);
  Key(VK_ESCAPE);  // the window goes; the program then waits for the worker
  Close();
  const std::u16string history = ReadUtf16File(HistoryFilePath(folder()));
  EXPECT_NE(history.find(u"処理が中断されました"), std::u16string::npos);
  const auto folders = OutputFolders(folder());
  ASSERT_EQ(folders.size(), 1u);
  const DecodedJpeg d =
      DecodeJpeg(ReadBytes((folders[0] / ("r" + std::string(1, char(seen.index[0] - 1)) + ".jpg")).u16string()));
  EXPECT_EQ(d.width, 3000);  // the file under way was written whole
}

}  // namespace
}  // namespace korvane::testing
