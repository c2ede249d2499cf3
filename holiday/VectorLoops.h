#pragma once

// MIREVO_SSE2 is 1 where the loops that take sixteen bytes at a time with SSE2 are built (amd64),
// and 0 where the plain loops beside them are: elsewhere, and in a build with the CMake option
// MIREVO_PLAIN_LOOPS, which the sanitizer tree of scripts/test uses so that both are tested.
#if defined(__SSE2__) && !defined(MIREVO_PLAIN_LOOPS)
#define MIREVO_SSE2 1
#else
#define MIREVO_SSE2 0
#endif
