// The sample photograph in the client area, 1:1 in the compact view and
// doubled by pixel repetition in the large view.
#pragma once

#include <windows.h>

namespace korvane {

void LoadPreviewBitmap();
void DrawPreview(HDC dc);
void FreePreviewBuffers();

}  // namespace korvane
