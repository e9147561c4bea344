// One batch: a DropList in, a time-stamped output folder out, with its
// report, a history entry, the folder opened and a beep. The worker runs on
// its own thread and talks to its host (the processing dialog, or the
// command line) only through BatchHost.
//
// Each BatchWorker owns its list and its cancel flag, so two batches never
// share either. A program that keeps one batch at a time holds the running
// worker and, on a new drop while a cancelled one is still finishing its
// file, waits for it (Wait) or refuses the drop; Done tells which case it is.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

#include "batch/drop_list.h"
#include "batch/shared_settings.h"
#include "platform/platform.h"

namespace korvane {

// What the host learns of each entry, after its report lines are written.
struct EntryResult {
  std::uint32_t index = 0;  // 0-based
  std::u16string fileName;
  bool folder = false;
  bool converted = false;
  std::u16string resultText;  // ProcessImage's line; empty for a folder
};

// The host's side. Every call comes from the worker's thread; Finished is the
// last, and the host must not destroy the worker from inside any of them.
class BatchHost {
 public:
  virtual ~BatchHost() = default;
  // The program folder, asked for anew for each batch.
  virtual std::u16string AppFolder() = 0;
  virtual void ShowSummary(const std::u16string& text) = 0;
  virtual void ShowIndex(const std::u16string& text) = 0;
  virtual void ShowTotal(const std::u16string& text) = 0;
  virtual void ShowFileName(const std::u16string& text) = 0;
  virtual void EntryDone(const EntryResult&) {}
  // A set-up failure ("Fail to ..."), shown modally with caption "Error".
  virtual void ShowError(const std::u16string& message) = 0;
  virtual void OpenFolder(const std::u16string& folder) = 0;
  virtual void Beep() = 0;
  virtual void Finished() = 0;
};

struct BatchOutcome {
  bool started = false;  // the output folder and the report were made
  std::uint32_t count = 0;
  std::int32_t successCount = 0;
  std::uint32_t folderCount = 0;
  bool aborted = false;  // left early by a cancel (a cancel during the last entry is not one)
  platform::LocalTime batchTime;
  std::u16string dstFolder;
  std::optional<std::u16string> sourceFolderText;  // folder of the first reached entry
  std::u16string failure;                          // the set-up failure message, if any
};

class BatchWorker {
 public:
  // `settings` and `host` must outlive the worker.
  BatchWorker(DropList list, const SharedSettings& settings, BatchHost& host);
  ~BatchWorker();  // waits for a running thread
  BatchWorker(const BatchWorker&) = delete;
  BatchWorker& operator=(const BatchWorker&) = delete;

  // Runs the batch on a new thread; false when no thread could be had (the
  // batch then has not begun and Finished is not called).
  bool Start();
  // Runs the batch on the calling thread.
  void Run();

  // Honoured between entries: the entry under way is always finished.
  void RequestCancel() { cancelRequested_.store(true); }
  bool CancelRequested() const { return cancelRequested_.load(); }

  // True once the batch has ended (right before Finished is sent).
  bool Done() const { return done_.load(std::memory_order_acquire); }
  void Wait() { thread_.Join(); }
  // Valid once Done.
  const BatchOutcome& Outcome() const { return outcome_; }

 private:
  void RunSteps();

  DropList list_;
  const SharedSettings& settings_;
  BatchHost& host_;
  std::atomic<bool> cancelRequested_{false};
  std::atomic<bool> done_{false};
  BatchOutcome outcome_;
  platform::Thread thread_;
};

}  // namespace korvane
