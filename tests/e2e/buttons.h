// Pressing another program's buttons as a user would.
#pragma once

#include <windows.h>

#include "wait.h"

namespace vandrel::e2e {

// BM_CLICK by SendMessage: returns once the button's handler has returned, that is
// after the figure it runs has placed every icon. False when the button's thread did not
// answer within `timeout` (a modal box waiting, a hang).
bool Click(HWND button, Millis timeout = kActionTimeout);
// BM_CLICK by PostMessage, for a click whose handler opens a modal message box:
// returns at once.
bool PostClick(HWND button);
bool IsChecked(HWND button);
// True when the window's thread takes a sent message within `timeout`.
bool Answers(HWND window, Millis timeout = Millis{5000});

}  // namespace vandrel::e2e
