// The Outline & Shadow dialog: the outline-and-shadow parameters of an
// options record, edited in place so the preview follows each change.
#pragma once

#include <windows.h>

#include "settings/output_settings.h"

namespace korvane {

// Shows the dialog modally over `owner` on `settings.outlineShadow`. OK (1)
// keeps the changes; Cancel (2) puts back all of the parameters as they were
// when it opened, but never `specialEffect`.
INT_PTR OutlineShadowDialog(HWND owner, OutputSettings& settings);

}  // namespace korvane
