// The real program started as its own process: a first batch from the
// command line, and the single-instance rule.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/app_state.h"
#include "history/history_file.h"
#include "platform/text.h"
#include "support/jpeg_fixtures.h"

namespace korvane::testing {
namespace {

namespace fs = std::filesystem;

const std::wstring kClass = L"Korvane\u30EA\u30B5\u30A4\u30BA\u7121\u6599\u5B8C\u5168\u7248";

struct Process {
  PROCESS_INFORMATION info{};
  bool ok = false;
  ~Process() {
    if (ok) {
      CloseHandle(info.hThread);
      CloseHandle(info.hProcess);
    }
  }
  DWORD Wait(DWORD ms) {
    if (WaitForSingleObject(info.hProcess, ms) != WAIT_OBJECT_0) return STILL_ACTIVE;
    DWORD code = 0;
    GetExitCodeProcess(info.hProcess, &code);
    return code;
  }
};

// Starts the program with exactly `commandLine`, in `directory`.
void Start(Process& p, std::wstring commandLine, const std::wstring& directory) {
  STARTUPINFOW si{};
  si.cb = sizeof si;
  p.ok = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, directory.c_str(), &si,
                        &p.info) != FALSE;
}

// The texts of a window's static children (a message box's text among them).
BOOL CALLBACK AddStaticText(HWND child, LPARAM out) {
  wchar_t name[16] = {}, text[256] = {};
  GetClassNameW(child, name, 16);
  if (_wcsicmp(name, L"Static") == 0 && GetWindowTextW(child, text, 256) > 0)
    *reinterpret_cast<std::wstring*>(out) += std::wstring(text) + L"\n";
  return TRUE;
}

std::wstring StaticTexts(HWND window) {
  std::wstring all;
  EnumChildWindows(window, AddStaticText, reinterpret_cast<LPARAM>(&all));
  return all;
}

HWND WaitForWindow(DWORD ms) {
  for (DWORD waited = 0; waited < ms; waited += 50) {
    if (HWND w = FindWindowW(kClass.c_str(), nullptr)) return w;
    Sleep(50);
  }
  return nullptr;
}

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    exe_ = Wide(scratch_.path()) + L"\\KorvaneResize.exe";
    fs::copy_file(fs::path(KORVANE_APP_EXE), fs::path(exe_));
    FixtureOptions o;
    src_ = scratch_.MakeSubfolder(u"src dir");
    ASSERT_TRUE(WriteBytes(src_ + u"\\a.jpg", MakeJpeg(o)));
    ASSERT_TRUE(WriteBytes(src_ + u"\\b.jpg", MakeJpeg(o)));
  }
  int OutputFolderCount() {
    int n = 0;
    for (const auto& e : fs::directory_iterator(fs::path(scratch_.path())))
      if (e.is_directory() && e.path().filename().u16string().rfind(u"20", 0) == 0) ++n;
    return n;
  }

  ScratchFolder scratch_;
  std::wstring exe_;
  std::u16string src_;
};

TEST_F(ProgramTest, QuotedPathsOnTheCommandLineRunABatchBeforeTheWindowShows) {
  // Saved options: 1/8 and the compact view, from an earlier Save Options.
  OutputSettings saved;
  saved.scale = 3;
  saved.compactView = 1;
  ASSERT_TRUE(PrependHistoryEntry(scratch_.path(), saved, 0, 0, false, std::nullopt, platform::QueryLocalTime()));

  Process p;
  Start(p, L"\"" + exe_ + L"\" \"" + Wide(src_) + L"\\a.jpg\" unquoted \"" + Wide(src_) + L"\\b.jpg\"",
        Wide(scratch_.path()));
  ASSERT_TRUE(p.ok);
  HWND window = WaitForWindow(20000);
  ASSERT_NE(window, nullptr);
  // The batch runs inside the window's creation; its history entry is its
  // last step.
  for (int i = 0; i < 200 && ReadUtf16File(HistoryFilePath(scratch_.path())).find(u"2/2") == std::u16string::npos; ++i)
    Sleep(50);
  ASSERT_EQ(OutputFolderCount(), 1);
  fs::path out;
  for (const auto& e : fs::directory_iterator(fs::path(scratch_.path())))
    if (e.is_directory() && e.path().filename().u16string().rfind(u"20", 0) == 0) out = e.path();
  const DecodedJpeg d = DecodeJpeg(ReadBytes((out / "a.jpg").u16string()));
  EXPECT_EQ(d.width, 8);  // 64 x 48 at the saved 1/8
  EXPECT_TRUE(fs::exists(out / "b.jpg"));
  RECT client{};
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, 220);  // the saved compact view
  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(p.Wait(20000), 0u);
}

// The quoted program path names the program folder; here it runs through a
// regular file, so nothing can be written there (root included). The first
// batch says so, the history is left alone, and the program runs on and ends
// normally.
TEST_F(ProgramTest, AProgramFolderThatCannotBeWrittenFailsTheBatchWithAMessageOnly) {
  ASSERT_TRUE(WriteBytes(scratch_.path() + u"\\blocker", {'x'}));
  const std::wstring program = Wide(scratch_.path()) + L"\\blocker\\KorvaneResize.exe";
  std::wstring line = L"\"" + program + L"\" \"" + Wide(src_) + L"\\a.jpg\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  Process p;
  p.ok = CreateProcessW(exe_.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        Wide(scratch_.path()).c_str(), &si, &p.info) != FALSE;
  ASSERT_TRUE(p.ok);
  HWND box = nullptr;
  for (int i = 0; i < 400 && box == nullptr; ++i) {
    box = FindWindowW(L"#32770", L"Error");
    if (box == nullptr) Sleep(50);
  }
  ASSERT_NE(box, nullptr);
  EXPECT_NE(StaticTexts(box).find(L"Fail to create a new folder."), std::wstring::npos);
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  HWND window = WaitForWindow(20000);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(OutputFolderCount(), 0);
  EXPECT_EQ(ReadBytes(scratch_.path() + u"\\blocker"), std::vector<std::uint8_t>{'x'});
  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(p.Wait(20000), 0u);
}

TEST_F(ProgramTest, ASecondCopyBringsTheFirstForwardAndEnds) {
  Process first;
  Start(first, L"\"" + exe_ + L"\"", Wide(scratch_.path()));
  ASSERT_TRUE(first.ok);
  HWND window = WaitForWindow(20000);
  ASSERT_NE(window, nullptr);

  Process second;
  Start(second, L"\"" + exe_ + L"\" \"" + Wide(src_) + L"\\a.jpg\"", Wide(scratch_.path()));
  ASSERT_TRUE(second.ok);
  EXPECT_EQ(second.Wait(20000), 0u);
  EXPECT_EQ(OutputFolderCount(), 0);  // the second copy's files are not converted
  EXPECT_EQ(first.Wait(0), static_cast<DWORD>(STILL_ACTIVE));
  EXPECT_EQ(GetForegroundWindow(), window);
  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(first.Wait(20000), 0u);
}

}  // namespace
}  // namespace korvane::testing
