// The Output Options dialog: every option as a drop-down list, edited in
// place in appState.currentSettings so the preview follows each change.
#pragma once

#include <windows.h>

namespace korvane {

// Shows the dialog modally over `owner`. OK (1) keeps the changes; Cancel (2)
// puts back the options as they were when it opened.
INT_PTR OutputOptionsDialog(HWND owner);

}  // namespace korvane
