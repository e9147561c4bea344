// The command line's side of a batch: a progress line on stderr (redrawn in
// place on a terminal, one plain line per file otherwise), error texts on
// stderr, the output folder on stdout.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "batch/batch_worker.h"

namespace korvane::cli {

class ConsoleHost : public BatchHost {
 public:
  ConsoleHost(std::u16string appFolder, bool openFolder, bool terminal);

  // The worker whose cancel flag tells the progress line that a stop is on.
  void Watch(const BatchWorker* worker) { worker_ = worker; }

  std::u16string AppFolder() override { return appFolder_; }
  void ShowSummary(const std::u16string& text) override;
  void ShowIndex(const std::u16string& text) override { index_ = text; }
  void ShowTotal(const std::u16string& text) override { total_ = text; }
  void ShowFileName(const std::u16string& text) override;
  void EntryDone(const EntryResult& entry) override;
  void ShowError(const std::u16string& message) override;
  void OpenFolder(const std::u16string& folder) override;
  void Beep() override {}
  void Finished() override;

 private:
  std::u16string Timing(std::uint32_t done) const;
  void Draw(const std::u16string& line);
  void EndLine();

  std::u16string appFolder_;
  bool openFolder_;
  bool terminal_;
  const BatchWorker* worker_ = nullptr;
  std::uint32_t startTick_;
  std::u16string index_;
  std::u16string total_;
  std::u16string fileName_;
  std::size_t drawnColumns_ = 0;  // of the progress line now on the terminal
};

// Columns `text` takes on a terminal: two for wide (CJK, full-width) units.
std::size_t DisplayColumns(std::u16string_view text);

}  // namespace korvane::cli
