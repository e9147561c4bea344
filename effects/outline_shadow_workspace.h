// Six one-byte planes of the picture's size, shared by the two stages of the
// outline-and-shadow effect. Planes are made on demand and freed by the owner.
#pragma once

#include "pipeline/image_rows.h"

namespace korvane {

struct OutlineShadowWorkspace {
  ImageRows planes[6];

  void Free() {
    for (ImageRows& plane : planes) plane.Free();
  }
};

}  // namespace korvane
