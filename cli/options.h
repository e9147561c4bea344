// The command line of korvane-resize: options by English name, values by
// English name, by the program's own label or by index.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "settings/output_settings.h"

namespace korvane::cli {

struct CliOptions {
  std::u16string programFolder;  // empty: the working directory
  bool help = false;
  bool noOpen = false;
  bool reset = false;  // start from the reset options, not the saved ones
  // Applied in order over the saved options.
  std::vector<std::function<void(OutputSettings&)>> changes;
  std::vector<std::u16string> files;
};

// False with `*error` set when the arguments cannot be used.
bool ParseArguments(const std::vector<std::u16string>& args, CliOptions* options,
                    std::u16string* error);

std::u16string HelpText();

// "RRGGBB" or "#RRGGBB" (red first, as on the web) to the stored 0x00BBGGRR
// value; also "white", "black", "red", "green", "blue".
bool ParseColorArgument(const std::u16string& text, ColorRef* color);

}  // namespace korvane::cli
