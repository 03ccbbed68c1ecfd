// Typing into another program as a user does: through the system's input queue to
// whichever window is in front, not by messages posted to a chosen window.
#pragma once

#include <windows.h>

#include <initializer_list>

namespace vandrel::e2e {

// Brings `window` to the front, then presses `key` (a virtual-key code) with the
// `held` keys (VK_CONTROL, VK_SHIFT) down, and releases them all. False when the window
// did not come to the front or the input was refused.
bool PressKey(HWND window, WORD key, std::initializer_list<WORD> held = {});
inline bool PressControlKey(HWND window, WORD key) { return PressKey(window, key, {VK_CONTROL}); }

// Shift pressed and released into whatever is in front: input the system counts as the
// user's (GetLastInputInfo) that types nothing.
void PressShift();

// The window that has the keyboard focus in the thread that owns `window`; null when none.
HWND FocusOf(HWND window);

// Brings `window` to the front and clicks the left mouse button at `point`, in screen
// coordinates: the click goes to whatever window lies on top there.
bool ClickAt(HWND window, POINT point);

}  // namespace vandrel::e2e
