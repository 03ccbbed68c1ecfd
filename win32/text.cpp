#include "win32/text.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <climits>
#include <stdexcept>

namespace vandrel::win32 {
namespace {

const wchar_t* Wide(std::u16string_view text) { return reinterpret_cast<const wchar_t*>(text.data()); }

// Without MB_ERR_INVALID_CHARS the system decodes what does not decode as U+FFFD, and
// valid text as a strict pass would.
std::wstring Decode(UINT code_page, std::string_view bytes) {
  if (bytes.empty()) return {};
  const int length = CheckedLength(bytes.size());
  const int size = MultiByteToWideChar(code_page, 0, bytes.data(), length, nullptr, 0);
  if (size <= 0) return {};
  std::wstring out(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(code_page, 0, bytes.data(), length, out.data(), size);
  return out;
}

std::string Encode(UINT code_page, const wchar_t* text, std::size_t count) {
  if (count == 0) return {};
  const int length = CheckedLength(count);
  const int size = WideCharToMultiByte(code_page, 0, text, length, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return {};
  std::string out(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(code_page, 0, text, length, out.data(), size, nullptr, nullptr);
  return out;
}

}  // namespace

int CheckedLength(std::size_t size) {
  if (size > static_cast<std::size_t>(INT_MAX)) throw std::length_error("A text too long to convert");
  return static_cast<int>(size);
}

std::string ToUtf8(std::wstring_view text) { return Encode(CP_UTF8, text.data(), text.size()); }

std::string ToUtf8(std::u16string_view text) { return Encode(CP_UTF8, Wide(text), text.size()); }

std::wstring WideFromUtf8(std::string_view text) { return Decode(CP_UTF8, text); }

std::u16string FromUtf8(std::string_view text) {
  const std::wstring wide = Decode(CP_UTF8, text);
  return std::u16string(wide.begin(), wide.end());
}

std::u16string FromAnsiCodePage(std::string_view bytes) {
  const std::wstring wide = Decode(CP_ACP, bytes);
  return std::u16string(wide.begin(), wide.end());
}

std::string ToAnsiCodePage(std::u16string_view text) { return Encode(CP_ACP, Wide(text), text.size()); }

}  // namespace vandrel::win32
