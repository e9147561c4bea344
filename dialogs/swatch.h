// A colour swatch painted over a placeholder control of a dialog.
#pragma once

#include <windows.h>

#include "settings/output_settings.h"

namespace korvane {

// Fills the placeholder's area, in `dc` of the placeholder's dialog, with
// `color` inside a 1-pixel grey-blue border.
void DrawSwatch(HDC dc, HWND placeholder, ColorRef color);

// Whether the screen point lies on the placeholder, its edges included.
bool IsOverPlaceholder(HWND placeholder, POINT screenPoint);

}  // namespace korvane
