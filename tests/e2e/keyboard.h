// Typing into another program as a user does: through the system's input queue to
// whichever window is in front, not by messages posted to a chosen window.
#pragma once

#include <windows.h>

namespace vandrel::e2e {

// Brings `window` to the front, then presses and releases Ctrl+`key` (a virtual-key
// code). False when the window did not come to the front or the input was refused.
bool PressControlKey(HWND window, WORD key);

}  // namespace vandrel::e2e
