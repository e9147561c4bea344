#include "dialogs/swatch.h"

#include "app/gdi_handles.h"

namespace korvane {
namespace {

BOOL WINAPI DeletePen(HPEN pen) { return DeleteObject(pen); }
BOOL WINAPI DeleteBrush(HBRUSH brush) { return DeleteObject(brush); }
using UniquePen = UniqueHandle<HPEN, DeletePen>;
using UniqueBrush = UniqueHandle<HBRUSH, DeleteBrush>;

constexpr COLORREF kSwatchBorder = 0x99A8AC;

}  // namespace

void DrawSwatch(HDC dc, HWND placeholder, ColorRef color) {
  RECT size{};
  GetClientRect(placeholder, &size);
  RECT onScreen{};
  GetWindowRect(placeholder, &onScreen);
  POINT topLeft = {onScreen.left, onScreen.top};
  ScreenToClient(GetParent(placeholder), &topLeft);

  UniquePen pen(CreatePen(PS_INSIDEFRAME, 1, kSwatchBorder));
  UniqueBrush brush(CreateSolidBrush(color & 0xFFFFFF));
  if (!pen || !brush) return;
  HGDIOBJ oldPen = SelectObject(dc, pen.get());
  HGDIOBJ oldBrush = SelectObject(dc, brush.get());
  Rectangle(dc, topLeft.x, topLeft.y, topLeft.x + size.right, topLeft.y + size.bottom);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
}

bool IsOverPlaceholder(HWND placeholder, POINT p) {
  RECT r{};
  if (placeholder == nullptr || !GetWindowRect(placeholder, &r)) return false;
  return p.x >= r.left && p.x <= r.right && p.y >= r.top && p.y <= r.bottom;
}

}  // namespace korvane
