// The product's message boxes: a "#32770" dialog captioned with the application title.
#pragma once

#include <windows.h>

#include <string>

#include "wait.h"

namespace vandrel::e2e {

inline constexpr wchar_t kMessageBoxTitle[] = L"vandrel";

// The open message box of `process_id`, null when there is none.
HWND FindMessageBox(DWORD process_id);
HWND WaitForMessageBox(DWORD process_id, Millis timeout = kActionTimeout);
// The box's message, without its icon or button captions.
std::wstring MessageBoxText(HWND box);
// True when the box shows an icon beside its text: the error box does, the product's
// plain messages do not. Which icon it is cannot be told from another process (an icon
// handle means nothing outside the process that loaded it, under Wine).
bool ShowsIcon(HWND box);
// Presses OK and waits for the box to go; false when it stayed.
bool PressOk(HWND box, Millis timeout = kActionTimeout);
// Presses the button `id` (IDYES, IDNO) and waits for the box to go; false when the box
// has no such button or stayed.
bool PressButton(HWND box, int id, Millis timeout = kActionTimeout);

}  // namespace vandrel::e2e
