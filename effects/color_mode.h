// The 17 colour modes, applied in place to 3-byte (R, G, B) pictures.
#pragma once

#include <cstdint>

#include "settings/output_settings.h"

namespace korvane {

// Recolours every pixel by `mode` (a ColorMode). `monoColor` (0x00BBGGRR) is
// read by the mono-colour tint only. Modes 0, 16 and unknown values change
// nothing; grey pictures never come here.
void ApplyColorMode(std::uint8_t* const* rows, std::uint32_t width, std::uint32_t height,
                    std::int32_t mode, ColorRef monoColor);

}  // namespace korvane
