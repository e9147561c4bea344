// The modal processing dialog that is open while a batch runs.
#pragma once

#include <windows.h>

#include "batch/drop_list.h"

namespace korvane {

// Starts a batch for `list` behind the processing dialog owned by `owner`
// and returns when the dialog has closed. A cancelled batch may still be
// finishing its file then; a batch still finishing from before is waited for
// first, so two batches never run at once.
void RunBatchWithProgress(HWND owner, DropList list);

// Waits until no batch is running, still answering messages sent to this
// thread's windows meanwhile.
void WaitForRunningBatch();

// Whether a finished batch asks the shell to open its output folder (on by
// default; tests that drive many batches turn it off).
void SetOpenOutputFolders(bool open);

}  // namespace korvane
