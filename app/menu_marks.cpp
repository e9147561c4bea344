#include "app/menu_marks.h"

#include <cstring>
#include <vector>

#include "app/app_state.h"
#include "app/main_window.h"
#include "app/option_menu.h"

namespace korvane {
namespace {

HMENU MainMenu() { return GetMenu(appState.mainWindow); }

void MarkGroup(const MenuGroup& group, int value, bool enable) {
  HMENU menu = MainMenu();
  for (int v = 0; v < group.count; ++v) {
    CheckMenuItem(menu, group.items[v], MF_BYCOMMAND | MF_UNCHECKED);
    if (enable) EnableMenuItem(menu, group.items[v], MF_BYCOMMAND | MF_ENABLED);
  }
  const int marked = value >= 0 && value < group.count ? value : group.fallback;
  CheckMenuItem(menu, group.items[marked], MF_BYCOMMAND | MF_CHECKED);
}

void RedrawIf(bool redraw) {
  if (redraw) InvalidateRect(appState.mainWindow, nullptr, FALSE);
}

// A swatch: the 16 x 16 template with palette entry 0 set to `color`.
UniqueBitmap MakeSwatch(const std::vector<unsigned char>& templateBits, ColorRef color) {
  std::vector<unsigned char> bits = templateBits;
  auto* info = reinterpret_cast<BITMAPINFOHEADER*>(bits.data());
  auto* palette = reinterpret_cast<RGBQUAD*>(bits.data() + info->biSize);
  palette[0].rgbRed = GetRValue(color);
  palette[0].rgbGreen = GetGValue(color);
  palette[0].rgbBlue = GetBValue(color);
  palette[0].rgbReserved = 0;
  const int colors = info->biClrUsed != 0 ? static_cast<int>(info->biClrUsed) : 1 << info->biBitCount;
  const unsigned char* pixels = bits.data() + info->biSize + colors * sizeof(RGBQUAD);
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateDIBitmap(screen, info, CBM_INIT, pixels, reinterpret_cast<BITMAPINFO*>(info),
                                  DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  return UniqueBitmap(bitmap);
}

// The template as a packed DIB (header, palette, pixels), from the resources.
std::vector<unsigned char> SwatchTemplate() {
  HRSRC found = FindResourceW(appState.hostInstance, MAKEINTRESOURCEW(IDB_SWATCH_TEMPLATE),
                              reinterpret_cast<LPCWSTR>(RT_BITMAP));
  if (found == nullptr) return {};
  HGLOBAL loaded = LoadResource(appState.hostInstance, found);
  const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
  const DWORD size = SizeofResource(appState.hostInstance, found);
  if (data == nullptr || size < sizeof(BITMAPINFOHEADER) + 16 * sizeof(RGBQUAD)) return {};
  const auto* bytes = static_cast<const unsigned char*>(data);
  return std::vector<unsigned char>(bytes, bytes + size);
}

void AttachSwatch(UINT item, HBITMAP bitmap) {
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_CHECKMARKS;
  info.hbmpChecked = bitmap;
  info.hbmpUnchecked = nullptr;
  SetMenuItemInfoW(MainMenu(), item, FALSE, &info);
}

}  // namespace

void MarkScale(int value) { MarkGroup(kScaleGroup, value, false); }
void MarkQuality(int value) { MarkGroup(kQualityGroup, value, false); }

void MarkContrast(int value, bool redraw) {
  MarkGroup(kContrastGroup, value, false);
  RedrawIf(redraw);
}

void MarkBlur(int value, bool redraw) {
  MarkGroup(kBlurGroup, value, true);
  RedrawIf(redraw);
}

void MarkColorMode(int value, bool redraw) {
  MarkGroup(kColorGroup, value, true);
  RedrawIf(redraw);
}

void MarkRotation(int value, bool redraw) {
  MarkGroup(kRotationGroup, value, true);
  RedrawIf(redraw);
}

void MarkSpecialEffect(int value, bool redraw) {
  MarkGroup(kEffectGroup, value, false);
  RedrawIf(redraw);
}

void MarkVignette(bool on, ColorRef rgb, int shape, int thickness, bool redraw) {
  OutputSettings probe;
  probe.vignetteOn = on;
  probe.vignetteRgb = rgb;
  MarkGroup(Group(kVignetteColorItems, 0), VignetteChoice(probe), true);
  MarkGroup(kShapeGroup, shape, false);
  MarkGroup(kThicknessGroup, thickness, false);
  // Shape and thickness mean nothing without a vignette: greyed, but they
  // keep showing the stored values.
  const UINT state = MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED);
  for (UINT id : kShapeItems) EnableMenuItem(MainMenu(), id, state);
  for (UINT id : kThicknessItems) EnableMenuItem(MainMenu(), id, state);
  RedrawIf(redraw);
}

void MarkView(bool compact) {
  CheckMenuItem(MainMenu(), IDM_VIEW_COMPACT, MF_BYCOMMAND | (compact ? MF_CHECKED : MF_UNCHECKED));
  CheckMenuItem(MainMenu(), IDM_VIEW_LARGE, MF_BYCOMMAND | (compact ? MF_UNCHECKED : MF_CHECKED));
}

void RefreshAllMenuMarks() {
  const OutputSettings& s = appState.currentSettings;
  MarkScale(s.scale);
  MarkQuality(s.quality);
  MarkContrast(s.contrast, false);
  MarkBlur(s.blur, false);
  MarkVignette(s.vignetteOn, s.vignetteRgb, s.vignetteShape, s.vignetteThickness, false);
  MarkColorMode(s.colorMode, false);
  MarkRotation(s.rotation, false);
  MarkSpecialEffect(s.specialEffect, false);
  MarkView(s.compactView);
}

void RefreshSwatches() {
  const std::vector<unsigned char> bits = SwatchTemplate();
  if (!bits.empty()) {
    appState.vignetteSwatch = MakeSwatch(bits, appState.currentSettings.vignetteRgb);
    appState.monoSwatch = MakeSwatch(bits, appState.currentSettings.monoColor);
  }
  AttachSwatch(IDM_VIGNETTE_CUSTOM, appState.vignetteSwatch.get());
  AttachSwatch(IDM_COLOR_MONO, appState.monoSwatch.get());
}

}  // namespace korvane
