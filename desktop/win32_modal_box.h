// The program's message box, modal to the whole program as a dialog of the application
// is: while it is open, no other window of Vandrel takes a click, so a figure can never
// start inside another one that waits on its box.
#pragma once

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace vandrel {

// Owned by the active window of this thread when there is one (the window whose
// button was clicked), else by `fallback_owner`. The control that had the keyboard
// focus has it again when the box is closed.
int ShowModalBox(HWND fallback_owner, const wchar_t* text, const wchar_t* caption, UINT flags);

}  // namespace vandrel
