#include "app/entry.h"

namespace korvane {

int RunApplication(HINSTANCE, const wchar_t*, int) { return 0; }

}  // namespace korvane
