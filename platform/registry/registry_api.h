// The registry API: the system's own on Windows, our stand-in elsewhere.
// This is the one place that chooses; code that uses the registry includes
// this header and is written against the Windows names.
#pragma once

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include "winreg_posix/winreg_posix.h"
#endif
