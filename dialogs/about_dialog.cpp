#include "dialogs/about_dialog.h"

#include "app/app_state.h"
#include "resource_ids.h"

namespace korvane {
namespace {

// The texts are all in the template; only closing is left to do.
INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      return TRUE;  // the default focus on OK
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
        case IDCANCEL:  // Esc and the close box
          EndDialog(dialog, LOWORD(wParam));
          return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}

}  // namespace

void ShowAboutDialog(HWND owner) {
  DialogBoxParamW(appState.hostInstance, MAKEINTRESOURCEW(IDD_ABOUT), owner, AboutDialogProc, 0);
}

}  // namespace korvane
