// Win32 shell and user interface: ShellExecuteW, MessageBoxW, MessageBeep,
// drops (HDROP through DragQueryFileW), the console.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <atomic>
#include <cstring>
#include <string>

#include "platform/platform.h"
#include "platform/text.h"

namespace korvane::platform {
namespace {

const wchar_t* Wide(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }
HDROP AsDrop(std::intptr_t native) { return reinterpret_cast<HDROP>(native); }

}  // namespace

bool OpenWithShell(WindowHandle owner, const std::u16string& path) {
  const HINSTANCE result = ShellExecuteW(reinterpret_cast<HWND>(owner), L"open", Wide(path),
                                         nullptr, nullptr, SW_SHOW);
  return reinterpret_cast<INT_PTR>(result) > 32;
}

void ShowErrorMessage(WindowHandle owner, const std::u16string& text) {
  MessageBoxW(reinterpret_cast<HWND>(owner), Wide(text), L"Error", MB_OK | MB_ICONERROR);
}

void InformationBeep() { MessageBeep(MB_ICONINFORMATION); }

// --- drops ------------------------------------------------------------------

std::uint32_t ShellDrop::Count() const {
  return native_ == 0 ? 0 : DragQueryFileW(AsDrop(native_), 0xFFFFFFFF, nullptr, 0);
}

bool ShellDrop::Name(std::uint32_t index, std::u16string* name) const {
  if (native_ == 0) return false;
  // First the length (no buffer), then the text into length + 1 units.
  const UINT length = DragQueryFileW(AsDrop(native_), index, nullptr, 0);
  if (length == 0) return false;
  std::wstring buffer(static_cast<std::size_t>(length) + 1, L'\0');
  const UINT got = DragQueryFileW(AsDrop(native_), index, &buffer[0], length + 1);
  if (got == 0) return false;
  name->assign(reinterpret_cast<const char16_t*>(buffer.c_str()), got);
  return true;
}

void ShellDrop::Finish() {
  if (native_ != 0) DragFinish(AsDrop(native_));
  native_ = 0;
}

// The block the shell hands over: a DROPFILES header, then the wide paths,
// each ended by a zero, the list ended by one more. DragFinish frees it.
ShellDrop MakeShellDrop(const std::vector<std::u16string>& paths) {
  std::size_t units = 1;
  for (const std::u16string& p : paths) units += p.empty() ? 0 : p.size() + 1;
  const HGLOBAL block = GlobalAlloc(GHND, sizeof(DROPFILES) + units * sizeof(wchar_t));
  if (block == nullptr) return ShellDrop();
  auto* header = static_cast<DROPFILES*>(GlobalLock(block));
  if (header == nullptr) {
    GlobalFree(block);
    return ShellDrop();
  }
  header->pFiles = sizeof(DROPFILES);
  header->fWide = TRUE;
  auto* text = reinterpret_cast<char16_t*>(reinterpret_cast<char*>(header) + sizeof(DROPFILES));
  for (const std::u16string& p : paths) {
    if (p.empty()) continue;  // an empty name would end the list
    p.copy(text, p.size());
    text += p.size();
    *text++ = u'\0';
  }
  *text = u'\0';
  GlobalUnlock(block);
  return ShellDrop(reinterpret_cast<std::intptr_t>(block));
}

// --- console ----------------------------------------------------------------

namespace {

bool IsConsole(HANDLE h) {
  DWORD mode;
  return h != nullptr && h != INVALID_HANDLE_VALUE && GetConsoleMode(h, &mode);
}

void WriteTo(DWORD which, const std::u16string& text) {
  const HANDLE h = GetStdHandle(which);
  if (h == nullptr || h == INVALID_HANDLE_VALUE) return;
  DWORD written;
  if (IsConsole(h)) {
    WriteConsoleW(h, text.c_str(), static_cast<DWORD>(text.size()), &written, nullptr);
  } else {
    const std::string bytes = Utf16ToUtf8(text);
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  }
}

void (*interruptHandler)() = nullptr;
const char* interruptNotice = nullptr;
std::atomic<bool> interrupted{false};

BOOL WINAPI OnConsoleControl(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  if (interrupted.exchange(true)) return FALSE;  // the second one: the default, ending the process
  if (interruptHandler != nullptr) interruptHandler();
  if (interruptNotice != nullptr) {
    DWORD written;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), interruptNotice,
              static_cast<DWORD>(strlen(interruptNotice)), &written, nullptr);
  }
  return TRUE;
}

}  // namespace

bool StderrIsTerminal() { return IsConsole(GetStdHandle(STD_ERROR_HANDLE)); }
void WriteStdout(const std::u16string& text) { WriteTo(STD_OUTPUT_HANDLE, text); }
void WriteStderr(const std::u16string& text) { WriteTo(STD_ERROR_HANDLE, text); }

void OnFirstInterrupt(void (*handler)(), const char* notice) {
  interruptHandler = handler;
  interruptNotice = notice;
  SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

}  // namespace korvane::platform
