#include "dialogs/outline_shadow_dialog.h"

#include <commctrl.h>
#include <windowsx.h>

#include <cwchar>

#include "app/app_state.h"
#include "app/main_window.h"
#include "dialogs/color_picker.h"
#include "dialogs/swatch.h"
#include "effects/outline_shadow.h"
#include "resource_ids.h"

namespace korvane {
namespace {

using Params = OutlineShadowSettings;

// The parameters as they were when the dialog opened, for Cancel.
Params outlineBackup;

// One fill group: its six radio buttons in FillChoice order, its choice, its
// custom colour and the placeholder of that colour's swatch.
struct FillGroup {
  int radios[kFillChoiceCount];
  std::int32_t Params::*choice;
  ColorRef Params::*rgb;
  int swatch;
};

// In the order in which a click is tested against the swatches.
const FillGroup kGroups[] = {
    {{IDC_OS_BACKGROUND_ORIGINAL, IDC_OS_BACKGROUND_WHITE, IDC_OS_BACKGROUND_BLACK, IDC_OS_BACKGROUND_CUSTOM,
      IDC_OS_BACKGROUND_RANDOM_VIVID, IDC_OS_BACKGROUND_RANDOM_PALE},
     &Params::background, &Params::backgroundRgb, IDC_OS_BACKGROUND_SWATCH},
    {{IDC_OS_OUTLINE_NONE, IDC_OS_OUTLINE_WHITE, IDC_OS_OUTLINE_BLACK, IDC_OS_OUTLINE_CUSTOM,
      IDC_OS_OUTLINE_RANDOM_VIVID, IDC_OS_OUTLINE_RANDOM_PALE},
     &Params::outline, &Params::outlineRgb, IDC_OS_OUTLINE_SWATCH},
    {{IDC_OS_SHADOW_NONE, IDC_OS_SHADOW_WHITE, IDC_OS_SHADOW_BLACK, IDC_OS_SHADOW_CUSTOM,
      IDC_OS_SHADOW_RANDOM_VIVID, IDC_OS_SHADOW_RANDOM_PALE},
     &Params::shadow, &Params::shadowRgb, IDC_OS_SHADOW_SWATCH},
};

struct CheckBox {
  int id;
  std::uint8_t Params::*flag;
};

const CheckBox kCheckBoxes[] = {
    {IDC_OS_OUTLINE_UNDER_SHADOW, &Params::outlineUnderShadow},
    {IDC_OS_SHADOW_TAKES_OUTLINE_COLOR, &Params::shadowTakesOutlineColor},
    {IDC_OS_OUTLINE_GROUPING, &Params::outlineGrouping},
    {IDC_OS_OUTLINE_SMOOTHING, &Params::outlineSmoothing},
    {IDC_OS_OUTLINE_BEFORE_BLUR, &Params::outlineBeforeBlur},
    {IDC_OS_SHADOW_GROUPING, &Params::shadowGrouping},
    {IDC_OS_SHADOW_SMOOTHING, &Params::shadowSmoothing},
    {IDC_OS_SHADOW_BEFORE_BLUR, &Params::shadowBeforeBlur},
};

// The record the dialog edits; absent before WM_INITDIALOG has stored it.
OutputSettings* Edited(HWND dialog) {
  return reinterpret_cast<OutputSettings*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

void SetSlider(HWND dialog, int id, int level) {
  HWND slider = GetDlgItem(dialog, id);
  SendMessageW(slider, TBM_SETRANGEMIN, FALSE, 0);
  SendMessageW(slider, TBM_SETRANGEMAX, FALSE, 255);
  SendMessageW(slider, TBM_SETPAGESIZE, 0, 1);
  SendMessageW(slider, TBM_SETPOS, TRUE, level);
}

void SetSlidersAndBoxes(HWND dialog, const Params& p) {
  SetSlider(dialog, IDC_OS_OUTLINE_LEVEL, p.outlineLevel);
  SetSlider(dialog, IDC_OS_SHADOW_LEVEL, p.shadowLevel);
  for (const CheckBox& box : kCheckBoxes)
    CheckDlgButton(dialog, box.id, p.*box.flag ? BST_CHECKED : BST_UNCHECKED);
}

void SetRadios(HWND dialog, const Params& p) {
  for (const FillGroup& group : kGroups) {
    for (int id : group.radios) CheckDlgButton(dialog, id, BST_UNCHECKED);
    const int choice = p.*group.choice;
    CheckDlgButton(dialog, group.radios[choice >= 1 && choice < kFillChoiceCount ? choice : 0], BST_CHECKED);
  }
}

void SetValueTexts(HWND dialog, const Params& p) {
  wchar_t text[16];
  std::swprintf(text, 16, L"%d", static_cast<int>(p.outlineLevel));
  SetDlgItemTextW(dialog, IDC_OS_OUTLINE_LEVEL_TEXT, text);
  std::swprintf(text, 16, L"%d", static_cast<int>(p.shadowLevel));
  SetDlgItemTextW(dialog, IDC_OS_SHADOW_LEVEL_TEXT, text);
}

void OnPaint(HWND dialog, const Params& p) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(dialog, &ps);
  for (const FillGroup& group : kGroups) DrawSwatch(dc, GetDlgItem(dialog, group.swatch), p.*group.rgb);
  EndPaint(dialog, &ps);
}

// A click on a swatch picks its group's colour and chooses "カスタム",
// whatever the picker answers.
void OnLeftButton(HWND dialog, LPARAM position, Params& p) {
  POINT point = {GET_X_LPARAM(position), GET_Y_LPARAM(position)};
  ClientToScreen(dialog, &point);
  for (const FillGroup& group : kGroups) {
    if (!IsOverPlaceholder(GetDlgItem(dialog, group.swatch), point)) continue;
    PickColor(dialog, p.*group.rgb, outlineCustomColors);
    p.*group.choice = kFillCustom;
    return;
  }
}

// A radio button or check box of the dialog; false for any other control.
bool OnButton(HWND dialog, int id, Params& p) {
  for (const FillGroup& group : kGroups)
    for (int choice = 0; choice < kFillChoiceCount; ++choice)
      if (group.radios[choice] == id) {
        p.*group.choice = choice;
        return true;
      }
  for (const CheckBox& box : kCheckBoxes)
    if (box.id == id) {
      p.*box.flag ^= 1;
      // The box toggled by itself; this keeps it with the flag even when
      // the notification came without a click.
      CheckDlgButton(dialog, id, p.*box.flag ? BST_CHECKED : BST_UNCHECKED);
      return true;
    }
  return false;
}

int SliderPosition(HWND dialog, int id) {
  return static_cast<int>(SendDlgItemMessageW(dialog, id, TBM_GETPOS, 0, 0));
}

// Handles one message besides opening, OK and Cancel. Whatever it changed,
// the caller then brings the controls, the random colours and the preview
// up to date.
void OnMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam, Params& p) {
  switch (message) {
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      if (HIWORD(wParam) != BN_CLICKED) return;
      if (id == IDC_OS_RESET) {
        p.Reset();  // the random colours stay
        SetSlidersAndBoxes(dialog, p);
        return;
      }
      OnButton(dialog, id, p);
      return;
    }
    case WM_HSCROLL:
      p.outlineLevel = SliderPosition(dialog, IDC_OS_OUTLINE_LEVEL);
      p.shadowLevel = SliderPosition(dialog, IDC_OS_SHADOW_LEVEL);
      SetValueTexts(dialog, p);
      return;
    case WM_LBUTTONDOWN:
      OnLeftButton(dialog, lParam, p);
      return;
    case WM_PAINT:
      OnPaint(dialog, p);
      return;
  }
}

INT_PTR CALLBACK OutlineShadowDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* settings = reinterpret_cast<OutputSettings*>(lParam);
    SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(settings));
    outlineBackup = settings->outlineShadow;
    SetSlidersAndBoxes(dialog, settings->outlineShadow);
    SetRadios(dialog, settings->outlineShadow);
    SetValueTexts(dialog, settings->outlineShadow);
    return TRUE;  // the system sets the default focus
  }
  OutputSettings* settings = Edited(dialog);
  if (settings == nullptr) return FALSE;
  Params& p = settings->outlineShadow;
  // Taken per message: a message handled while the colour picker runs
  // compares against its own snapshot.
  const Params snapshot = p;

  if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
    EndDialog(dialog, IDOK);
    return TRUE;
  }
  if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
    if (p.Differs(outlineBackup)) {
      p = outlineBackup;
      RedrawPreview();
    }
    EndDialog(dialog, IDCANCEL);  // specialEffect stays as the caller set it
    return TRUE;
  }

  OnMessage(dialog, message, wParam, lParam, p);
  if (p.Differs(snapshot)) {
    PickRandomColors(p);  // any change at all draws fresh random colours
    SetRadios(dialog, p);
    SetValueTexts(dialog, p);
    InvalidateRect(dialog, nullptr, FALSE);
    RedrawPreview();
  }
  return FALSE;
}

}  // namespace

INT_PTR OutlineShadowDialog(HWND owner, OutputSettings& settings) {
  return DialogBoxParamW(appState.hostInstance, MAKEINTRESOURCEW(IDD_OUTLINE_SHADOW), owner,
                         OutlineShadowDialogProc, reinterpret_cast<LPARAM>(&settings));
}

}  // namespace korvane
