// The one-byte planes that the two stages of the outline-and-shadow effect
// share: each layer's grey plane, its smoothed copy and its mask. A plane is
// made the first time a stage needs it and kept for later pictures of the
// same size; the owner frees them (Free, or the destructor).
#pragma once

#include <cstdint>

#include "pipeline/image_rows.h"

namespace korvane {

struct OutlineShadowWorkspace {
  ImageRows outlineGray, outlineSmooth, outlineMask;
  ImageRows shadowGray, shadowSmooth, shadowMask;
  std::uint32_t width = 0;
  std::uint32_t height = 0;

  // Set by the stages for the picture in hand, so that planes left from an
  // earlier picture are never used: where each layer's source plane is
  // (nullptr: none made), and whether the shadow reads the outline's
  // source because both would be the same bytes.
  std::uint8_t* const* outlineSource = nullptr;
  std::uint8_t* const* shadowSource = nullptr;

  OutlineShadowWorkspace() = default;
  OutlineShadowWorkspace(OutlineShadowWorkspace&&) = default;
  OutlineShadowWorkspace& operator=(OutlineShadowWorkspace&&) = default;
  OutlineShadowWorkspace(const OutlineShadowWorkspace&) = delete;
  OutlineShadowWorkspace& operator=(const OutlineShadowWorkspace&) = delete;

  void Free() {
    outlineGray.Free();
    outlineSmooth.Free();
    outlineMask.Free();
    shadowGray.Free();
    shadowSmooth.Free();
    shadowMask.Free();
    outlineSource = shadowSource = nullptr;
  }
};

}  // namespace korvane
