#include "app/wide_text.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <climits>

#include "desktop/utf8_text.h"

namespace vandrel {

// One encoder for the whole program: the portable one the layouts and the folder view use.
std::string ToUtf8(std::u16string_view text) { return Utf16ToUtf8(text); }

std::string ToUtf8(std::wstring_view text) { return Utf16ToUtf8(text); }

std::wstring WideFromUtf8(std::string_view text) {
  if (text.empty() || text.size() > INT_MAX) return {};
  const int length = static_cast<int>(text.size());
  // Without MB_ERR_INVALID_CHARS the system decodes what does not decode as U+FFFD, and
  // valid UTF-8 as a strict pass would.
  const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), length, nullptr, 0);
  if (size <= 0) return {};
  std::wstring out(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), length, out.data(), size);
  return out;
}

std::u16string FromUtf8(std::string_view text) {
  const std::wstring wide = WideFromUtf8(text);
  return std::u16string(wide.begin(), wide.end());
}

}  // namespace vandrel
