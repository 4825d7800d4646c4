#pragma once
// <windows.h> is included only through this file. It defines min and max as macros and pulls
// in most of the API, which would collide with the standard library in every file that sees
// it; the two switches below keep it to what the Win32 backend needs.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
