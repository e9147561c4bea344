// Included last by the effect sources that compute in double precision.
// 32-bit x86 compilers keep doubles on the x87 stack with 80-bit
// intermediates, so truncated results could differ from the 64-bit build in
// rare cases. SSE2 arithmetic rounds every operation to double on both.
#pragma once

#if defined(__GNUC__) && defined(__i386__) && !defined(__SSE2_MATH__)
#pragma GCC target("sse2,fpmath=sse")
#endif
