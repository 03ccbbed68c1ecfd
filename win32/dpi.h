// The one place the program reads a DPI. The program declares per-monitor awareness,
// so these are the physical values, not a virtualised 96.
#pragma once

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace vandrel::win32 {

// The system DPI: GetDpiForSystem (Windows 10 1607 and later), else the screen's
// LOGPIXELSX. Displays are square (LOGPIXELSX and LOGPIXELSY agree), and X is what
// GetDpiForSystem and GetDpiForMonitor's first value answer. 96 when nothing answers.
UINT SystemDpi();
// The DPI of the monitor `window` lies on (GetDpiForWindow), else the system's.
UINT WindowDpi(HWND window);

}  // namespace vandrel::win32
