#include "cli/run.h"

#include <atomic>

#include "batch/batch_worker.h"
#include "cli/console_host.h"
#include "cli/options.h"
#include "history/history_file.h"
#include "platform/platform.h"
#include "platform/text.h"

namespace korvane::cli {
namespace {

std::atomic<BatchWorker*> runningWorker{nullptr};

void OnInterrupt() {
  if (BatchWorker* worker = runningWorker.load()) worker->RequestCancel();
}

int Fail(const std::u16string& message) {
  platform::WriteStderr(u"korvane-resize: " + message + u"\nTry 'korvane-resize --help'.\n");
  return kNotStarted;
}

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

// Makes `folder` and any missing parents.
bool MakeFolders(const std::u16string& folder) {
  for (std::size_t i = 1; i <= folder.size(); ++i) {
    if (i < folder.size() && !IsSeparator(folder[i])) continue;
    const std::u16string part = folder.substr(0, i);
    if (part.back() == u':' || IsSeparator(part.back())) continue;  // a drive or a root
    if (!platform::QueryAttributes(part).exists && !platform::CreateFolder(part) &&
        !platform::QueryAttributes(part).directory)
      return false;
  }
  return platform::QueryAttributes(folder).directory;
}

}  // namespace

int RunCommandLine(const std::vector<std::u16string>& args) {
  CliOptions options;
  std::u16string error;
  if (!ParseArguments(args, &options, &error)) return Fail(error);
  if (options.help) {
    platform::WriteStdout(HelpText());
    return kAllConverted;
  }
  if (options.files.empty()) return Fail(u"no FILE to convert");
  for (const std::u16string& file : options.files)
    if (file.empty()) return Fail(u"an empty FILE name");

  std::u16string folder = options.programFolder.empty() ? platform::QueryCurrentDirectory()
                                                        : platform::FullPath(options.programFolder);
  const platform::PathAttributes where = platform::QueryAttributes(folder);
  if (where.exists && !where.directory) return Fail(u"the program folder is a file: " + folder);
  if (!where.exists && !MakeFolders(folder)) return Fail(u"cannot create the program folder " + folder);

  // As the program starts: the view mode, then the saved options, then the
  // view letter (which makes the history file on a first run).
  OutputSettings settings;
  ReadViewMode(folder, settings);
  if (options.reset) settings.Reset();
  else LoadSavedOptions(folder, settings);
  for (const auto& change : options.changes) change(settings);
  WriteViewLetter(folder, settings.compactView != 0);

  // The files as the shell would hand them over: full paths.
  std::vector<std::u16string> paths;
  for (const std::u16string& file : options.files) paths.push_back(platform::FullPath(file));
  platform::ShellDrop drop = platform::MakeShellDrop(paths);
  if (!drop.IsHeld()) return Fail(u"out of memory for the file list");

  const SharedSettings shared(settings);
  ConsoleHost host(folder, !options.noOpen, platform::StderrIsTerminal());
  BatchWorker worker(DropList::FromShellDrop(std::move(drop)), shared, host);
  host.Watch(&worker);
  runningWorker.store(&worker);
  platform::OnFirstInterrupt(
      OnInterrupt, "\nStopping after the file under way (Ctrl+C again to quit at once).\n");
  worker.Run();
  runningWorker.store(nullptr);

  const BatchOutcome& outcome = worker.Outcome();
  if (!outcome.started) return kNotStarted;
  std::u16string summary = u"Converted " + DecimalText(outcome.successCount) + u" of " +
                           DecimalText(outcome.count) + u" into " + platform::DisplayPath(outcome.dstFolder) + u"\n";
  if (outcome.aborted) summary += u"Stopped before the end: the report and the history entry say so.\n";
  platform::WriteStdout(summary);
  const bool all = !outcome.aborted && outcome.successCount >= 0 &&
                   static_cast<std::uint32_t>(outcome.successCount) == outcome.count;
  return all ? kAllConverted : kSomeFailed;
}

}  // namespace korvane::cli
