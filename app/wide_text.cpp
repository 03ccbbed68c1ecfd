#include "app/wide_text.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <climits>

#include "layouts/snapshot.h"

namespace vandrel {

// One encoder for the whole program: the layouts' own, portable one.
std::string ToUtf8(std::u16string_view text) { return layouts::Utf16ToUtf8(text); }

std::string ToUtf8(std::wstring_view text) {
  return ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()));
}

std::wstring WideFromUtf8(std::string_view text) {
  if (text.empty() || text.size() > INT_MAX) return {};
  const int length = static_cast<int>(text.size());
  // Strictly first; text that is not all UTF-8 is then decoded with U+FFFD for what
  // does not decode, as the system does without the flag.
  DWORD flags = MB_ERR_INVALID_CHARS;
  int size = MultiByteToWideChar(CP_UTF8, flags, text.data(), length, nullptr, 0);
  if (size <= 0) {
    flags = 0;
    size = MultiByteToWideChar(CP_UTF8, flags, text.data(), length, nullptr, 0);
  }
  if (size <= 0) return {};
  std::wstring out(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, flags, text.data(), length, out.data(), size);
  return out;
}

std::u16string FromUtf8(std::string_view text) {
  const std::wstring wide = WideFromUtf8(text);
  return std::u16string(wide.begin(), wide.end());
}

}  // namespace vandrel
