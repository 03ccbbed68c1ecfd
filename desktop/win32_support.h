// What the Win32 port and the shell's folder view both need of the system.
#pragma once

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <string>
#include <string_view>

namespace vandrel::win32 {

// An entry of `module`, looked up at run time rather than linked; null when it has none.
template <class F>
F Entry(HMODULE module, const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// Text in the system's ANSI code page, as the shell's labels and some of its names come.
inline std::u16string FromAnsiCodePage(std::string_view bytes) {
  if (bytes.empty()) return {};
  const int size = static_cast<int>(bytes.size());
  const int length = MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
  std::wstring text(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
  if (length > 0) MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, text.data(), length);
  return std::u16string(text.begin(), text.end());
}

}  // namespace vandrel::win32
