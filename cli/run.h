// korvane-resize's main job: one batch through the same worker as a drop.
#pragma once

#include <string>
#include <vector>

namespace korvane::cli {

enum ExitStatus { kAllConverted = 0, kSomeFailed = 1, kNotStarted = 2 };

// `args` without the program name. Writes to stdout and stderr.
int RunCommandLine(const std::vector<std::u16string>& args);

}  // namespace korvane::cli
