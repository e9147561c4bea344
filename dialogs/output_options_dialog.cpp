#include "dialogs/output_options_dialog.h"

#include <windowsx.h>

#include <cwchar>

#include "app/app_state.h"
#include "app/main_window.h"
#include "dialogs/color_picker.h"
#include "dialogs/outline_shadow_dialog.h"
#include "dialogs/swatch.h"
#include "resource_ids.h"

namespace korvane {
namespace {

// The options as they were when the dialog opened, for Cancel.
OutputSettings backup;

OutputSettings& Settings() { return appState.currentSettings; }

// One drop-down list: item i is value i of its field. The vignette colour
// list has no field of its own; its value is VignetteChoice.
struct OptionList {
  int id;
  std::int32_t OutputSettings::*field;
  int count;
  const char16_t* (*label)(int);  // nullptr: the items are numbers
  const int* numbers;
  const wchar_t* numberFormat;
  bool shownInPreview;
};

const OptionList kLists[] = {
    {IDC_OPT_SCALE, &OutputSettings::scale, kScaleCount, nullptr, scaleDenominators, L"1/%d", false},
    {IDC_OPT_CONTRAST, &OutputSettings::contrast, kContrastModeCount, ContrastLabel, nullptr, nullptr, true},
    {IDC_OPT_COLOR_MODE, &OutputSettings::colorMode, kColorModeCount, ColorModeLabel, nullptr, nullptr, true},
    {IDC_OPT_ROTATION, &OutputSettings::rotation, kRotationModeCount, RotationLabel, nullptr, nullptr, true},
    {IDC_OPT_BLUR, &OutputSettings::blur, kBlurModeCount, BlurLabel, nullptr, nullptr, true},
    {IDC_OPT_VIGNETTE_COLOR, nullptr, kVignetteColorCount, VignetteColorLabel, nullptr, nullptr, true},
    {IDC_OPT_VIGNETTE_SHAPE, &OutputSettings::vignetteShape, kVignetteShapeCount, VignetteShapeLabel, nullptr,
     nullptr, true},
    {IDC_OPT_VIGNETTE_THICKNESS, &OutputSettings::vignetteThickness, kVignetteThicknessCount,
     VignetteThicknessLabel, nullptr, nullptr, true},
    {IDC_OPT_QUALITY, &OutputSettings::quality, kQualityCount, nullptr, qualityValues, L"%d", false},
    {IDC_OPT_SPECIAL_EFFECT, &OutputSettings::specialEffect, kSpecialEffectCount, SpecialEffectLabel, nullptr,
     nullptr, true},
};

const OptionList* ListOf(int id) {
  for (const OptionList& list : kLists)
    if (list.id == id) return &list;
  return nullptr;
}

void FillLists(HWND dialog) {
  for (const OptionList& list : kLists) {
    HWND box = GetDlgItem(dialog, list.id);
    for (int i = 0; i < list.count; ++i) {
      wchar_t number[16];
      const wchar_t* text = number;
      if (list.label != nullptr)
        text = reinterpret_cast<const wchar_t*>(list.label(i));
      else
        std::swprintf(number, 16, list.numberFormat, list.numbers[i]);
      SendMessageW(box, CB_INSERTSTRING, i, reinterpret_cast<LPARAM>(text));
    }
  }
}

void SyncControls(HWND dialog) {
  const OutputSettings& s = Settings();
  for (const OptionList& list : kLists) {
    const int value = list.field != nullptr ? s.*list.field : VignetteChoice(s);
    SendDlgItemMessageW(dialog, list.id, CB_SETCURSEL, value, 0);
  }
  EnableWindow(GetDlgItem(dialog, IDC_OPT_VIGNETTE_SHAPE), s.vignetteOn != 0);
  EnableWindow(GetDlgItem(dialog, IDC_OPT_VIGNETTE_THICKNESS), s.vignetteOn != 0);
}

void RepaintDialog(HWND dialog, bool erase) { InvalidateRect(dialog, nullptr, erase ? TRUE : FALSE); }

void PickMonoColor(HWND dialog) { PickColor(dialog, Settings().monoColor, mainCustomColors); }
void PickVignetteColor(HWND dialog) { PickColor(dialog, Settings().vignetteRgb, mainCustomColors); }

void OnVignetteColor(HWND dialog, int choice) {
  OutputSettings& s = Settings();
  s.vignetteOn = choice != kVignetteNone ? 1 : 0;
  if (choice == kVignetteWhite) s.vignetteRgb = 0xFFFFFF;
  if (choice == kVignetteBlack) s.vignetteRgb = 0x000000;
  if (choice == kVignetteCustom) {
    RedrawPreview();
    PickVignetteColor(dialog);
  }
  SyncControls(dialog);  // a custom pick of pure white or black shows as "白" or "黒"
  RepaintDialog(dialog, true);
  RedrawPreview();
}

// Only a selection change carries a new value. Reading the list on its other
// notifications would let the focus leaving it while Cancel closes the
// dialog write the list's value back over the restored options.
void OnSelectionChange(HWND dialog, const OptionList& list) {
  const LRESULT selection = SendDlgItemMessageW(dialog, list.id, CB_GETCURSEL, 0, 0);
  if (selection == CB_ERR || selection >= list.count) return;
  const int value = static_cast<int>(selection);
  OutputSettings& s = Settings();
  if (list.id == IDC_OPT_VIGNETTE_COLOR) {
    OnVignetteColor(dialog, value);
    return;
  }
  s.*list.field = value;
  if (!list.shownInPreview) return;
  switch (list.id) {
    case IDC_OPT_COLOR_MODE:
      RepaintDialog(dialog, true);
      RedrawPreview();
      if (value == kColorMono) {
        PickMonoColor(dialog);
        SyncControls(dialog);
        RepaintDialog(dialog, true);
      }
      RedrawPreview();
      break;
    case IDC_OPT_SPECIAL_EFFECT:
      RedrawPreview();
      if (value == kEffectOutlineShadow) OutlineShadowDialog(dialog, s);
      break;
    default:
      RedrawPreview();
  }
}

void OnReset(HWND dialog) {
  Settings().Reset();
  SyncControls(dialog);
  RepaintDialog(dialog, true);
  RedrawPreview();
}

// A click on a placeholder picks its colour, whether its swatch shows or not.
void OnLeftButton(HWND dialog, LPARAM position) {
  POINT p = {GET_X_LPARAM(position), GET_Y_LPARAM(position)};
  ClientToScreen(dialog, &p);
  OutputSettings& s = Settings();
  if (IsOverPlaceholder(GetDlgItem(dialog, IDC_OPT_MONO_SWATCH), p)) {
    s.colorMode = kColorMono;
    SyncControls(dialog);
    RedrawPreview();
    PickMonoColor(dialog);
    RedrawPreview();
    RepaintDialog(dialog, false);
  }
  if (IsOverPlaceholder(GetDlgItem(dialog, IDC_OPT_VIGNETTE_SWATCH), p)) {
    s.vignetteOn = 1;
    SyncControls(dialog);
    RedrawPreview();
    PickVignetteColor(dialog);
    SyncControls(dialog);  // a pick of pure white or black shows as "白" or "黒"
    RedrawPreview();
    RepaintDialog(dialog, false);
  }
}

void OnPaint(HWND dialog) {
  const OutputSettings& s = Settings();
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(dialog, &ps);
  if (s.vignetteOn) DrawSwatch(dc, GetDlgItem(dialog, IDC_OPT_VIGNETTE_SWATCH), s.vignetteRgb);
  if (s.colorMode == kColorMono) DrawSwatch(dc, GetDlgItem(dialog, IDC_OPT_MONO_SWATCH), s.monoColor);
  EndPaint(dialog, &ps);
}

INT_PTR CALLBACK OutputOptionsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      backup.CopyOptions(Settings());
      FillLists(dialog);
      SyncControls(dialog);
      return TRUE;  // the system sets the default focus
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      switch (id) {
        case IDOK:
          EndDialog(dialog, IDOK);
          return TRUE;
        case IDCANCEL:  // also undoes what the Outline & Shadow dialog kept
          Settings().CopyOptions(backup);
          EndDialog(dialog, IDCANCEL);
          return TRUE;
        case IDC_OPT_RESET:
          if (HIWORD(wParam) == BN_CLICKED) OnReset(dialog);
          return FALSE;
      }
      const OptionList* list = ListOf(id);
      if (list != nullptr && HIWORD(wParam) == CBN_SELCHANGE) OnSelectionChange(dialog, *list);
      return FALSE;
    }
    case WM_LBUTTONDOWN:
      OnLeftButton(dialog, lParam);
      return FALSE;
    case WM_PAINT:
      OnPaint(dialog);
      return FALSE;
  }
  return FALSE;
}

}  // namespace

INT_PTR OutputOptionsDialog(HWND owner) {
  return DialogBoxParamW(appState.hostInstance, MAKEINTRESOURCEW(IDD_OUTPUT_OPTIONS), owner,
                         OutputOptionsDialogProc, 0);
}

}  // namespace korvane
