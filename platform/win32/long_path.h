// Paths past MAX_PATH for the Win32 file calls.
#pragma once

#include <string>

namespace korvane::platform {

// `path` as the file calls should get it. A path whose full form fits in the
// usual limit comes back unchanged, so its meaning is untouched. A longer one
// is read the usual way first (made absolute; "/", doubled separators, "."
// and ".." resolved; trailing dots and blanks dropped) and then given the
// "\\?\" form ("\\?\UNC\" for a share), which lifts the limit but takes every
// unit literally. Paths already in a "\\?\" or "\\.\" form come back as they are.
std::u16string ExtendedLengthPath(const std::u16string& path);

}  // namespace korvane::platform
