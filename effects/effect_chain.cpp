#include "effects/effect_chain.h"

#include "effects/blur.h"
#include "effects/color_mode.h"
#include "effects/contrast.h"
#include "effects/outline_shadow.h"
#include "effects/vignette.h"

namespace korvane {

void ApplyEffectChain(std::uint8_t* const* rows, int width, int height, bool singleChannel,
                      OutputSettings& settings, OutlineShadowWorkspace& workspace) {
  if (width <= 0 || height <= 0) return;
  const auto w = static_cast<std::uint32_t>(width), h = static_cast<std::uint32_t>(height);
  // A grey picture keeps its levels whatever the colour mode.
  if (!singleChannel) ApplyColorMode(rows, w, h, settings.colorMode, settings.monoColor);
  ApplyContrast(rows, w, h, singleChannel, settings.contrast);
  // Every picture draws its own random colours, whether or not it uses them.
  PickRandomColors(settings.outlineShadow);
  const bool special = settings.specialEffect == kEffectOutlineShadow;
  const bool blurOn = settings.blur != kBlurNone;
  if (special) PrepareOutlineShadow(rows, w, h, singleChannel, blurOn, settings.outlineShadow, workspace);
  ApplyBlur(rows, w, h, singleChannel, settings.blur);
  if (special) ApplyOutlineShadow(rows, w, h, singleChannel, blurOn, settings.outlineShadow, workspace);
  if (settings.vignetteOn)
    ApplyVignette(rows, w, h, singleChannel, settings.vignetteRgb, settings.vignetteShape,
                  settings.vignetteThickness);
}

}  // namespace korvane
