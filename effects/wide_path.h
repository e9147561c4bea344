// Hot loops are compiled twice: for the baseline instruction set and for a
// wider one (AVX2 on x86-64, SSE4.1 on 32-bit x86), chosen at run time when
// the processor has it. Both give the same bytes: the loops are integer code
// or IEEE double arithmetic, and no fused multiply-add is enabled.
#pragma once

// The wide loops and the baseline ones must agree on double rounding too.
#include "effects/ieee_double.h"

#if defined(__GNUC__) && defined(__x86_64__)
#define KORVANE_WIDE_TARGET __attribute__((target("avx2")))
#define KORVANE_WIDE_FEATURE "avx2"
#elif defined(__GNUC__) && defined(__i386__)
#define KORVANE_WIDE_TARGET __attribute__((target("sse4.1,fpmath=sse")))
#define KORVANE_WIDE_FEATURE "sse4.1"
#endif

#if defined(__GNUC__)
#define KORVANE_ALWAYS_INLINE __attribute__((always_inline)) inline
#else
#define KORVANE_ALWAYS_INLINE inline
#endif

namespace korvane {

// Tests switch the wide loops off to check the baseline ones too.
inline bool& WidePathAllowed() {
  static bool allowed = true;
  return allowed;
}

inline bool WideCpu() {
#ifdef KORVANE_WIDE_FEATURE
  static const bool has = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports(KORVANE_WIDE_FEATURE) != 0;
  }();
  return has && WidePathAllowed();
#else
  return false;
#endif
}

}  // namespace korvane

#ifndef KORVANE_WIDE_TARGET
#define KORVANE_WIDE_TARGET
#endif
