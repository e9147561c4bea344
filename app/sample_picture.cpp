#include "app/sample_picture.h"

#include "app/app_state.h"
#include "resource_ids.h"

namespace korvane {
namespace {

UniqueBitmap samplePicture;

}  // namespace

void LoadPreviewBitmap() {
  samplePicture.reset(static_cast<HBITMAP>(LoadImageW(appState.hostInstance, MAKEINTRESOURCEW(IDB_SAMPLE),
                                                      IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
}

void DrawPreview(HDC dc) {
  if (!samplePicture) return;
  HDC memory = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(memory, samplePicture.get());
  BITMAP info{};
  GetObjectW(samplePicture.get(), sizeof info, &info);
  const int scale = appState.currentSettings.compactView ? 1 : 2;
  SetStretchBltMode(dc, COLORONCOLOR);
  StretchBlt(dc, 0, 0, info.bmWidth * scale, info.bmHeight * scale, memory, 0, 0, info.bmWidth, info.bmHeight,
             SRCCOPY);
  SelectObject(memory, old);
  DeleteDC(memory);
}

void FreePreviewBuffers() { samplePicture.reset(); }

}  // namespace korvane
