// "Save layout...": a small modal dialog that asks for a layout's name. The template
// is built in memory, so the program needs no dialog resource.
#pragma once

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <optional>
#include <string>

namespace vandrel {

// The dialog's controls, for whoever drives it from outside.
inline constexpr int kLayoutNameLabelId = 1001;
inline constexpr int kLayoutNameEditId = 1002;  // OK is IDOK (1), Cancel IDCANCEL (2)
inline constexpr wchar_t kSaveLayoutCaption[] = L"Save layout";

// The name typed, UTF-8, once it passes CheckLayoutName; nothing after Cancel. A name
// that does not pass keeps the dialog open, after a box that says why.
std::optional<std::string> AskLayoutName(HINSTANCE instance, HWND owner);

}  // namespace vandrel
