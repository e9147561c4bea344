#include "app/live_preview.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>

#include "app/app_state.h"
#include "effects/gray_level.h"
#include "effects/outline_shadow_workspace.h"
#include "effects/preview_filter.h"
#include "resource_ids.h"

namespace korvane {
namespace {

using Buffer = std::unique_ptr<std::uint8_t[]>;

// One per process. The buffers use the bitmap's byte layout: bottom row
// first, blue, green, red (or one grey byte), no filler at row ends.
struct LivePreview {
  UniqueBitmap sampleBitmap;  // after each rendering it holds the rendered pixels
  Buffer sampleBits;          // the untouched sample, fetched before the first rendering
  Buffer sampleGray;          // its grey levels
  Buffer grayWork;            // result of a rendering in the grayscale mode
  Buffer colorWork;           // result of every rendering, handed to the bitmap
  OutputSettings lastRendered;
  bool renderPending = true;
  OutlineShadowWorkspace workspace;  // kept, planes included, until the process ends
};

LivePreview preview;
int renderCount = 0;
bool allocationsFail = false;

void AllocateIfAbsent(Buffer& buffer, std::size_t bytes) {
  if (!buffer && !allocationsFail) buffer.reset(new (std::nothrow) std::uint8_t[bytes]);
}

// The 24-bit bottom-up form in which the pixels go to and from the bitmap.
BITMAPINFO Format24(const BITMAP& bitmap) {
  BITMAPINFO format{};
  format.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  format.bmiHeader.biWidth = bitmap.bmWidth;
  format.bmiHeader.biHeight = bitmap.bmHeight;
  format.bmiHeader.biPlanes = bitmap.bmPlanes;
  format.bmiHeader.biBitCount = 24;
  format.bmiHeader.biCompression = BI_RGB;
  return format;
}

// The bytes of the bitmap in `format`, filler at row ends included.
std::size_t ImageBytes(HDC dc, HBITMAP bitmap, const BITMAPINFO& format) {
  BITMAPINFO query = format;
  const int height = format.bmiHeader.biHeight;
  if (GetDIBits(dc, bitmap, 0, height, nullptr, &query, DIB_RGB_COLORS) != 0 && query.bmiHeader.biSizeImage != 0)
    return query.bmiHeader.biSizeImage;
  const std::size_t stride = (static_cast<std::size_t>(format.bmiHeader.biWidth) * 3 + 3) & ~std::size_t(3);
  return stride * height;
}

// Renders the current options into the bitmap when they differ from the
// last rendered ones, or when a rendering is pending. The bitmap is not
// selected into any device context here, as the DIB calls require.
void RenderIfNeeded(HDC dc, HBITMAP bitmap, BITMAPINFO& format, int width, int height) {
  LivePreview& p = preview;
  const std::size_t pixels = static_cast<std::size_t>(width) * height;
  if (!p.sampleBits) {
    AllocateIfAbsent(p.sampleBits, pixels * 3);
    if (p.sampleBits && GetDIBits(dc, bitmap, 0, height, p.sampleBits.get(), &format, DIB_RGB_COLORS) != height)
      p.sampleBits.reset();
  }
  // Made from the kept pixels, never from the bitmap, which may already
  // hold a rendering.
  if (p.sampleBits && !p.sampleGray) {
    AllocateIfAbsent(p.sampleGray, pixels);
    if (p.sampleGray) {
      const std::uint8_t* bgr = p.sampleBits.get();
      for (std::size_t i = 0; i < pixels; ++i, bgr += 3) p.sampleGray[i] = GrayLevel(bgr[2], bgr[1], bgr[0]);
    }
  }
  AllocateIfAbsent(p.grayWork, pixels);
  AllocateIfAbsent(p.colorWork, pixels * 3);

  const OutputSettings& current = appState.currentSettings;
  if (!p.renderPending && !PreviewSettingsChanged(current, p.lastRendered)) return;
  p.lastRendered.CopyOptions(current);
  const bool gray = current.colorMode == kColorGrayscale;
  const bool ready = p.colorWork && (gray ? p.sampleGray && p.grayWork : p.sampleBits != nullptr);
  // Left out for want of memory: the next paint tries again, so that the
  // picture never stays behind the options.
  p.renderPending = !ready;
  if (!ready) return;
  if (gray) {
    FilterPreviewBits(height, p.sampleGray.get(), p.grayWork.get(), width, current, p.workspace);
    std::uint8_t* out = p.colorWork.get();
    for (std::size_t i = 0; i < pixels; ++i, out += 3) out[0] = out[1] = out[2] = p.grayWork[i];
  } else {
    FilterPreviewBits(height, p.sampleBits.get(), p.colorWork.get(), width, current, p.workspace);
  }
  SetDIBits(dc, bitmap, 0, height, p.colorWork.get(), &format, DIB_RGB_COLORS);
  ++renderCount;
}

}  // namespace

void LoadPreviewBitmap() {
  // A section keeps the sample's own 24-bit colours whatever the display.
  preview.sampleBitmap.reset(static_cast<HBITMAP>(LoadImageW(appState.hostInstance, MAKEINTRESOURCEW(IDB_SAMPLE),
                                                             IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  preview.lastRendered.CopyOptions(appState.currentSettings);
  FreePreviewBuffers();
  preview.renderPending = true;
}

void DrawPreview(HDC dc) {
  const HBITMAP bitmap = preview.sampleBitmap.get();
  BITMAP info{};
  if (bitmap == nullptr || GetObjectW(bitmap, sizeof info, &info) == 0) return;
  const int width = info.bmWidth, height = info.bmHeight;
  if (width <= 0 || height <= 0) return;
  BITMAPINFO format = Format24(info);
  // Rows that need filler bytes cannot be the chain's rows: such a bitmap
  // is drawn as it is.
  if (ImageBytes(dc, bitmap, format) == static_cast<std::size_t>(width) * height * 3)
    RenderIfNeeded(dc, bitmap, format, width, height);

  HDC memory = CreateCompatibleDC(dc);
  const HGDIOBJ old = SelectObject(memory, bitmap);
  if (appState.currentSettings.compactView)
    BitBlt(dc, 0, 0, width, height, memory, 0, 0, SRCCOPY);
  else
    StretchBlt(dc, 0, 0, 2 * width, 2 * height, memory, 0, 0, width, height, SRCCOPY);
  SelectObject(memory, old);
  DeleteDC(memory);
}

void DeletePreviewBitmap() { preview.sampleBitmap.reset(); }

void FreePreviewBuffers() {
  preview.sampleBits.reset();
  preview.sampleGray.reset();
  preview.grayWork.reset();
  preview.colorWork.reset();
}

int PreviewRenderCount() { return renderCount; }
void SetPreviewAllocationsFail(bool fail) { allocationsFail = fail; }

}  // namespace korvane
