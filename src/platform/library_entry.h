#pragma once
// How a library entry point that another library calls is declared. On 32-bit Windows the
// maker's encoder entry (EncodeQDF) uses the standard calling convention for library entry
// points, stdcall, where the callee removes its arguments; calling it the C way would leave
// the caller's stack off by eight bytes. Other platforms have a single convention.
//
// This header is the one place that knows; the encoder, its callers and test spies use the
// two macros and stay free of OS conditionals.

#if defined(_WIN32)
#define BV3_LIBRARY_ENTRY __stdcall
#define BV3_LIBRARY_EXPORT __declspec(dllexport)
#else
#define BV3_LIBRARY_ENTRY
#define BV3_LIBRARY_EXPORT __attribute__((visibility("default")))
#endif
