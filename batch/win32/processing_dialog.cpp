#include "batch/win32/processing_dialog.h"

#include <objbase.h>

#include <atomic>
#include <memory>

#include "app/app_state.h"
#include "batch/batch_worker.h"
#include "platform/platform.h"
#include "resource_ids.h"

namespace korvane {
namespace {

constexpr wchar_t kTitleAnimation[] = L"Processing.........";  // "Processing" and nine dots

std::atomic<bool> openOutputFolders{true};

// The worker's side of the dialog. Its calls come from the worker thread;
// once the dialog has closed they reach no window.
class ProcessingHost : public BatchHost {
 public:
  std::atomic<HWND> dialog{nullptr};

  std::u16string AppFolder() override { return QueryAppFolder(U16(appState.commandArgs)); }
  void ShowSummary(const std::u16string& text) override { SetField(IDC_PROGRESS_SUMMARY, text); }
  void ShowIndex(const std::u16string& text) override { SetField(IDC_PROGRESS_INDEX, text); }
  void ShowTotal(const std::u16string& text) override { SetField(IDC_PROGRESS_TOTAL, text); }
  void ShowFileName(const std::u16string& text) override { SetField(IDC_PROGRESS_FILE, text); }
  void ShowError(const std::u16string& message) override {
    MessageBoxW(appState.mainWindow, Wide(message).c_str(), L"Error", MB_OK | MB_ICONERROR);
  }
  // No owner: the interface thread may be waiting for this worker. The shell
  // wants COM on the calling thread.
  void OpenFolder(const std::u16string& folder) override {
    if (!openOutputFolders.load()) return;
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    platform::OpenWithShell(0, folder);
    if (SUCCEEDED(com)) CoUninitialize();
  }
  void Beep() override { platform::InformationBeep(); }
  void Finished() override {
    if (HWND d = dialog.load()) PostMessageW(d, WM_COMMAND, IDOK, 0);
  }

 private:
  void SetField(int id, const std::u16string& text) {
    if (HWND d = dialog.load()) SetDlgItemTextW(d, id, Wide(text).c_str());
  }
};

// The one batch of the process; the host lives as long as its worker.
struct RunningBatch {
  SharedSettings settings;
  std::unique_ptr<ProcessingHost> host;
  std::unique_ptr<BatchWorker> worker;
  bool started = false;  // the worker's thread runs (or ran)
};
RunningBatch running;

void CloseDialog(HWND dialog) {
  KillTimer(dialog, IDT_PROGRESS);
  Sleep(100);
  running.host->dialog.store(nullptr);
  appState.progressDialog = nullptr;
  EndDialog(dialog, IDOK);
}

INT_PTR CALLBACK ProcessingDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      appState.progressDialog = dialog;
      running.host->dialog.store(dialog);
      running.started = running.worker->Start();
      if (!running.started) {
        CloseDialog(dialog);
        return TRUE;
      }
      SetTimer(dialog, IDT_PROGRESS, 200, nullptr);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDCANCEL:  // "中断" or Esc: the file under way is still finished
          running.worker->RequestCancel();
          CloseDialog(dialog);
          return TRUE;
        case IDOK:  // the worker has finished
          CloseDialog(dialog);
          return TRUE;
      }
      return FALSE;
    case WM_TIMER: {
      // "Processing" and 0 to 9 dots, going on from the previous batch.
      const std::wstring title(kTitleAnimation, 10 + appState.titlePhase);
      SetWindowTextW(dialog, title.c_str());
      appState.titlePhase = (appState.titlePhase + 1) % 10;
      return TRUE;
    }
  }
  return FALSE;
}

}  // namespace

void SetOpenOutputFolders(bool open) { openOutputFolders.store(open); }

void WaitForRunningBatch() {
  if (!running.worker) return;
  while (running.started && !running.worker->Done()) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_SENDMESSAGE);
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
  running.worker->Wait();
  running.worker.reset();
  running.host.reset();
  running.started = false;
}

void RunBatchWithProgress(HWND owner, DropList list) {
  WaitForRunningBatch();
  running.settings.Set(appState.currentSettings);
  running.host = std::make_unique<ProcessingHost>();
  running.worker = std::make_unique<BatchWorker>(std::move(list), running.settings, *running.host);
  DialogBoxParamW(appState.hostInstance, MAKEINTRESOURCEW(IDD_PROCESSING), owner, ProcessingDialogProc, 0);
}

}  // namespace korvane
