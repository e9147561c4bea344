#include "effects/effect_chain.h"

namespace korvane {

// No effect exists yet: the chain leaves every picture as decoded.
void ApplyEffectChain(std::uint8_t* const*, int, int, bool, OutputSettings&, OutlineShadowWorkspace&) {}

}  // namespace korvane
