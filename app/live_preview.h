// The live preview: the sample photograph (bitmap 145) with the current
// options applied by the converter's effect chain, drawn at the client
// area's top-left corner, 1:1 in the compact view and doubled by pixel
// repetition in the large view. It renders only when an option that changes
// the picture differs from the ones it last rendered.
#pragma once

#include <windows.h>

namespace korvane {

// At window creation: loads the sample and renders at the next paint.
void LoadPreviewBitmap();
// For every paint of the main window, between its start and its end.
void DrawPreview(HDC dc);
// At window destruction, before FreePreviewBuffers.
void DeletePreviewBitmap();
// Releases the sample's pixels, their grey version and both result buffers.
void FreePreviewBuffers();

// For the UI suite: the renderings run so far, and buffer allocations that
// fail as if memory were short.
int PreviewRenderCount();
void SetPreviewAllocationsFail(bool fail);

}  // namespace korvane
