// shell32, loaded when one of its few calls is first made rather than linked: a linked
// shell32 loads at every start of the program, and with it shlwapi and shcore, which
// under Wine costs more than a tenth of the start-up, for calls most starts never make
// (the mail link, the command line's arguments, a data folder without LOCALAPPDATA).
#pragma once

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "desktop/win32_support.h"

namespace vandrel::shell32 {

// From System32 only; kept loaded once loaded. Null when it cannot be loaded.
inline HMODULE Module() {
  static const HMODULE module = LoadLibraryExW(L"shell32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  return module;
}

// The entry `name` of shell32, null when there is none.
template <class F>
F Entry(const char* name) {
  const HMODULE module = Module();
  return module != nullptr ? win32::Entry<F>(module, name) : nullptr;
}

}  // namespace vandrel::shell32
