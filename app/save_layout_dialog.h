// "Save layout...": a small modal dialog that asks for a layout's name, from the
// program's resources (vandrel.rc).
#pragma once

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <optional>
#include <string>

#include "app/resource_ids.h"

namespace vandrel {

inline constexpr int kLayoutNameEditId = VANDREL_LAYOUT_NAME_EDIT;

// The name typed, UTF-8, once it passes CheckLayoutName; nothing after Cancel. A name
// that does not pass keeps the dialog open, after a box that says why. `instance` is
// the module that holds the dialog: vandrel.exe's.
std::optional<std::string> AskLayoutName(HINSTANCE instance, HWND owner);

}  // namespace vandrel
