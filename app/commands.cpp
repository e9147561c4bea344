#include "app/commands.h"

#include <shellapi.h>

#include "app/app_state.h"
#include "app/main_window.h"
#include "app/menu_marks.h"
#include "app/option_menu.h"
#include "app/web_pages.h"
#include "app/window_placement.h"
#include "batch/drop_list.h"
#include "dialogs/about_dialog.h"
#include "dialogs/color_picker.h"
#include "dialogs/outline_shadow_dialog.h"
#include "dialogs/output_options_dialog.h"
#include "history/history_file.h"
#include "platform/platform.h"

namespace korvane {
namespace {

OutputSettings& Settings() { return appState.currentSettings; }

void Redraw(bool erase) { InvalidateRect(appState.mainWindow, nullptr, erase ? TRUE : FALSE); }

void MarkVignetteNow(bool redraw) {
  const OutputSettings& s = Settings();
  MarkVignette(s.vignetteOn, s.vignetteRgb, s.vignetteShape, s.vignetteThickness, redraw);
}

void OpenInShell(const std::wstring& target) {
  ShellExecuteW(appState.mainWindow, L"open", target.c_str(), nullptr, nullptr, SW_SHOW);
}

// The option groups whose items set one field to the item's value.
bool HandleOptionItem(UINT id) {
  OutputSettings& s = Settings();
  int v;
  if ((v = ValueOf(kScaleGroup, id)) >= 0) {
    s.scale = v;
    MarkScale(v);
  } else if ((v = ValueOf(kQualityGroup, id)) >= 0) {
    s.quality = v;
    MarkQuality(v);
  } else if ((v = ValueOf(kContrastGroup, id)) >= 0) {
    s.contrast = v;
    MarkContrast(v, true);
  } else if ((v = ValueOf(kBlurGroup, id)) >= 0) {
    s.blur = v;
    MarkBlur(v, true);
  } else if ((v = ValueOf(kRotationGroup, id)) >= 0) {
    s.rotation = v;
    MarkRotation(v, true);
  } else if (id != IDM_COLOR_MONO && (v = ValueOf(kColorGroup, id)) >= 0) {
    s.colorMode = v;
    MarkColorMode(v, true);
  } else if ((v = ValueOf(kShapeGroup, id)) >= 0) {
    s.vignetteShape = v;
    MarkVignetteNow(true);
  } else if ((v = ValueOf(kThicknessGroup, id)) >= 0) {
    s.vignetteThickness = v;
    MarkVignetteNow(true);
  } else {
    return false;
  }
  return true;
}

void SetView(bool compact) {
  Settings().compactView = compact ? 1 : 0;
  FitClientArea(appState.mainWindow);
  MarkView(compact);
  WriteViewLetter(U16(AppFolder()), compact);
  UpdateTitleClock();
}

void ViewHistory() {
  const std::wstring path = Wide(HistoryFilePath(U16(AppFolder())));
  const auto result = reinterpret_cast<INT_PTR>(
      ShellExecuteW(appState.mainWindow, L"open", path.c_str(), nullptr, nullptr, SW_SHOW));
  if (result <= 32) {
    const std::wstring text = L"Fail to open " + Wide(kHistoryFileName) + L".";
    MessageBoxW(appState.mainWindow, text.c_str(), L"Error", MB_OK | MB_ICONERROR);
  }
}

}  // namespace

bool HandleMenuCommand(HWND window, UINT id) {
  if (HandleOptionItem(id)) return true;
  OutputSettings& s = Settings();
  switch (id) {
    case IDM_OPEN_FOLDER:
      OpenInShell(AppFolder());
      return true;
    case IDM_VIEW_HISTORY:
      ViewHistory();
      return true;
    case IDM_EXIT:
      DestroyWindow(window);
      return true;
    case IDM_COLOR_MONO:
      s.colorMode = kColorMono;
      MarkColorMode(s.colorMode, true);
      PickColor(window, s.monoColor, mainCustomColors);  // Cancel keeps the colour and the mode
      MarkColorMode(s.colorMode, true);
      RefreshSwatches();
      Redraw(false);
      return true;
    case IDM_VIGNETTE_NONE:
      s.vignetteOn = 0;  // the colour is kept for the next "他の色"
      MarkVignetteNow(true);
      return true;
    case IDM_VIGNETTE_WHITE:
    case IDM_VIGNETTE_BLACK:
      s.vignetteOn = 1;
      s.vignetteRgb = id == IDM_VIGNETTE_WHITE ? 0xFFFFFF : 0x000000;
      MarkVignetteNow(true);
      return true;
    case IDM_VIGNETTE_CUSTOM:
      s.vignetteOn = 1;
      MarkVignetteNow(true);
      PickColor(window, s.vignetteRgb, mainCustomColors);
      MarkVignetteNow(true);  // a pick of pure white or black marks "白" or "黒"
      RefreshSwatches();
      Redraw(false);
      return true;
    case IDM_EFFECT_NONE:
      s.specialEffect = kEffectNone;
      MarkSpecialEffect(s.specialEffect, true);
      return true;
    case IDM_EFFECT_OUTLINE_SHADOW:
      s.specialEffect = kEffectOutlineShadow;
      Redraw(true);
      MarkSpecialEffect(s.specialEffect, false);
      OutlineShadowDialog(window, s);
      return true;
    case IDM_RESET_OPTIONS:
      s.Reset();
      RefreshAllMenuMarks();
      Redraw(true);
      return true;
    case IDM_SAVE_OPTIONS:
      PrependHistoryEntry(U16(AppFolder()), s, 0, 0, false, std::nullopt, platform::QueryLocalTime());
      return true;
    case IDM_OPTIONS_DIALOG:
      OutputOptionsDialog(window);
      RefreshAllMenuMarks();
      RefreshSwatches();
      Redraw(true);
      return true;
    case IDM_VIEW_COMPACT:
    case IDM_VIEW_LARGE:
      SetView(id == IDM_VIEW_COMPACT);
      return true;
    case IDM_MANUAL:
      OpenInShell(Wide(JoinPath(U16(AppFolder()), u"マニュアル.mht")));
      return true;
    case IDM_PRODUCT_PAGE:
      OpenInShell(kProductPageAddress);
      return true;
    case IDM_GALLERY:
      OpenInShell(kGalleryPageAddress);
      return true;
    case IDM_ABOUT:
      ShowAboutDialog(window);
      return true;
    default:
      return false;
  }
}

UINT CommandOfKey(WPARAM key) {
  switch (key) {
    case VK_ESCAPE: case 'X':
      return IDM_EXIT;
    case VK_LEFT: case VK_DOWN: case 'C': case VK_SUBTRACT: case VK_OEM_MINUS:
      return IDM_VIEW_COMPACT;
    case VK_UP: case VK_RIGHT: case 'L': case VK_ADD: case VK_OEM_PLUS:
      return IDM_VIEW_LARGE;
    case '0': case 'R':
      return IDM_RESET_OPTIONS;
    case '1': case VK_NUMPAD1:
      return IDM_SCALE_1;
    case '2': case VK_NUMPAD2:
      return IDM_SCALE_2;
    case '4': case VK_NUMPAD4:
      return IDM_SCALE_4;
    case '8': case VK_NUMPAD8:
      return IDM_SCALE_8;
    case 'A':
      return IDM_SAVE_OPTIONS;
    case 'F':
      return IDM_OPEN_FOLDER;
    case 'H':
      return IDM_VIEW_HISTORY;
    case 'O':
      return IDM_OPTIONS_DIALOG;
    case 'S':
      return IDM_EFFECT_OUTLINE_SHADOW;
    default:
      return 0;
  }
}

}  // namespace korvane
