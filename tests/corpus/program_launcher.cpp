// Runs one batch through the Windows program as a user's shortcut would: the
// program copied into its own folder and started with quoted paths on its
// command line. Waits for the batch's history entry, closes the window and
// returns the program's exit status (3 when it could not be run or closed).
// Usage: program_launcher PROGRAM.exe FOLDER LIST   (LIST: UTF-8, one path a line)
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <string>

namespace {

const wchar_t kClass[] = L"Korvane\u30EA\u30B5\u30A4\u30BA\u7121\u6599\u5B8C\u5168\u7248";
const wchar_t kCountLabel[] = L"\u753B\u50CF\u6570 ";  // the history entry's count line

std::wstring FromUtf8(const std::string& s) {
  if (s.empty()) return {};
  std::wstring w(static_cast<std::size_t>(MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0)), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), w.data(), static_cast<int>(w.size()));
  return w;
}

// True once the history file in `folder` holds a batch entry.
bool HistoryHasEntry(const std::wstring& folder) {
  HANDLE h = CreateFileW((folder + L"\\\u5C65\u6B74.txt").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  std::wstring text(1 << 16, L'\0');
  DWORD got = 0;
  const BOOL ok = ReadFile(h, text.data(), static_cast<DWORD>(text.size() * 2), &got, nullptr);
  CloseHandle(h);
  if (!ok) return false;
  text.resize(got / 2);
  return text.find(kCountLabel) != std::wstring::npos;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: program_launcher PROGRAM.exe FOLDER LIST\n");
    return 3;
  }
  const std::wstring folder = argv[2];
  const std::wstring exe = folder + L"\\KorvaneResize.exe";
  if (!CopyFileW(argv[1], exe.c_str(), FALSE)) {
    std::fprintf(stderr, "cannot copy the program\n");
    return 3;
  }
  std::wstring commandLine = L"\"" + exe + L"\"";
  std::ifstream list(argv[3], std::ios::binary);
  for (std::string line; std::getline(list, line);)
    if (!line.empty()) commandLine += L" \"" + FromUtf8(line) + L"\"";

  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi)) {
    std::fprintf(stderr, "cannot start the program (%lu)\n", GetLastError());
    return 3;
  }
  // The batch runs during the window's creation; its history entry is its
  // last step but opening the folder and the beep.
  HWND window = nullptr;
  for (int waited = 0; waited < 600000 && !(HistoryHasEntry(folder) && (window = FindWindowW(kClass, nullptr)));
       waited += 100) {
    if (WaitForSingleObject(pi.hProcess, 100) == WAIT_OBJECT_0) break;
  }
  DWORD status = 3;
  if (window != nullptr) {
    PostMessageW(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(pi.hProcess, 60000) == WAIT_OBJECT_0) GetExitCodeProcess(pi.hProcess, &status);
  } else if (WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0) {
    GetExitCodeProcess(pi.hProcess, &status);
    std::fprintf(stderr, "the program ended before its window closed (status %lu)\n", status);
    status = status == 0 ? 3 : status;
  } else {
    std::fprintf(stderr, "no batch entry within the time allowed\n");
    TerminateProcess(pi.hProcess, 3);
  }
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return static_cast<int>(status);
}
