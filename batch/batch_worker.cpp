#include "batch/batch_worker.h"

#include <new>

#include "batch/result_report.h"
#include "history/file_bytes.h"
#include "history/history_file.h"
#include "history/option_text.h"
#include "pipeline/process_image.h"
#include "platform/text.h"

namespace korvane {

BatchWorker::BatchWorker(DropList list, const SharedSettings& settings, BatchHost& host)
    : list_(std::move(list)), settings_(settings), host_(host) {}

BatchWorker::~BatchWorker() { Wait(); }

bool BatchWorker::Start() {
  return thread_.Start([this] { Run(); });
}

void BatchWorker::Run() {
  try {
    RunSteps();
  } catch (const std::bad_alloc&) {
    // Out of memory for a progress text: the batch ends here, its files and
    // report closed by their owners; the host still hears that it finished.
  }
  list_.Release();
  done_.store(true, std::memory_order_release);
  host_.Finished();
}

void BatchWorker::RunSteps() {
  BatchOutcome& out = outcome_;
  out.count = list_.Count();
  host_.ShowSummary(ProgressSummaryText(settings_.Get()));
  host_.ShowIndex(u"0");
  host_.ShowTotal(u"/" + DecimalText(out.count));

  // Set-up: the program folder, the output folder, the report. The texts
  // name the buffer whose memory could not be had.
  std::u16string appFolder;
  std::u16string infoFullPath;
  const char16_t* failure = u"Fail to allocate memory for appFolder.";
  try {
    appFolder = host_.AppFolder();
    failure = u"Fail to allocate memory for dstFolder.";
    out.batchTime = platform::QueryLocalTime();
    out.dstFolder = JoinPath(appFolder, FormatFolderStamp(out.batchTime));
    failure = u"Fail to allocate memory for infoFullPath.";
    if (!platform::CreateFolder(out.dstFolder)) {
      out.failure = u"Fail to create a new folder.";
    } else {
      infoFullPath = JoinPath(out.dstFolder, kReportFileName);
    }
  } catch (const std::bad_alloc&) {
    out.failure = failure;
  }
  platform::File report;
  if (out.failure.empty()) {
    report = platform::CreateForWriting(infoFullPath);
    if (!report.IsOpen()) out.failure = u"Fail to create " + std::u16string(kReportFileName) + u".";
  }
  if (!out.failure.empty()) {
    host_.ShowError(out.failure);
    return;
  }
  out.started = true;

  // The entries, in order. Report writes are not checked: a report that
  // cannot be written must not stop the conversions.
  bool headerWritten = false;
  char16_t resultText[kResultTextUnits];
  for (std::uint32_t index = 0; index < out.count; ++index) {
    try {
      const std::optional<std::u16string> name = list_.Name(index);
      if (!name) continue;  // skipped without a look at the cancel flag
      const std::u16string fileName = name->substr(FileNameOffset(*name));
      host_.ShowIndex(DecimalText(static_cast<long long>(index) + 1));
      host_.ShowFileName(fileName);
      if (!headerWritten) {
        out.sourceFolderText = name->substr(0, FileNameOffset(*name));
        WriteText(report, ReportHeaderText(out.batchTime, *out.sourceFolderText, out.count,
                                           settings_.Get()));
        headerWritten = true;
      }
      EntryResult entry;
      entry.index = index;
      entry.fileName = fileName;
      entry.folder = platform::QueryAttributes(*name).directory;
      WriteText(report, fileName + u"\r\n");
      if (entry.folder) {
        ++out.folderCount;
        WriteText(report, u"\tFOLDER\r\n");
      } else {
        for (char16_t& unit : resultText) unit = u'\0';
        entry.converted = ProcessImage(resultText, *name, out.dstFolder, settings_.Get());
        if (entry.converted) ++out.successCount;
        entry.resultText = resultText;
        WriteText(report, u"\t" + entry.resultText + u"\r\n");
      }
      WriteText(report, u"\r\n");
      host_.EntryDone(entry);
    } catch (const std::bad_alloc&) {
      continue;  // an entry whose texts cannot be had is skipped like an unreadable name
    }
    if (CancelRequested()) {
      // A cancel during the last entry comes too late to leave anything out.
      if (index + 1 == out.count) {
        cancelRequested_.store(false);
      } else {
        out.aborted = true;
      }
      break;
    }
  }

  list_.Release();
  if (out.aborted) WriteText(report, kCancelLine);
  report.Close();

  // The flag as the loop left it, not as it is now: a cancel that arrives
  // after the last entry must not mark a complete batch as cancelled. A batch
  // that reached no entry logs an empty source line, so that its entry does
  // not read as a Save Options one ("設定保存").
  PrependHistoryEntry(appFolder, settings_.Get(), out.successCount, static_cast<int>(out.count),
                      out.aborted, out.sourceFolderText.value_or(std::u16string()),
                      out.batchTime);
  host_.OpenFolder(out.dstFolder);
  host_.Beep();
}

}  // namespace korvane
