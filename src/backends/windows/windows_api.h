#pragma once
// The Win32 headers, included the same way by every file of the Windows backend (and nowhere else).

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
