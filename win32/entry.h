// Entries of system DLLs looked up at run time rather than linked: calls of newer
// Windows releases, and DLLs that would cost every start to load for calls most starts
// never make.
#pragma once

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace vandrel::win32 {

// The entry `name` of `module`, as the function type F; null when it has none.
template <class F>
F Entry(HMODULE module, const char* name) {
  if (module == nullptr) return nullptr;
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// A system DLL, loaded from System32 only (never from beside the program) when it is
// not loaded yet, and kept loaded. Null when it cannot be loaded.
inline HMODULE SystemModule(const wchar_t* module) {
  const HMODULE loaded = GetModuleHandleW(module);
  return loaded != nullptr ? loaded : LoadLibraryExW(module, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
}

// The entry `name` of the system DLL `module`; null when the DLL or the entry is missing.
template <class F>
F Entry(const wchar_t* module, const char* name) {
  return Entry<F>(SystemModule(module), name);
}

}  // namespace vandrel::win32
