// UTF-16 to UTF-8, written out rather than asked of the system: the layouts are portable,
// and the program and the folder view must encode a name exactly as they do.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vandrel {

// Any 16-bit code units: char16_t, or wchar_t where it is 16 bits wide (Windows). A lone
// surrogate becomes U+FFFD, so that the text is always valid UTF-8.
template <class Unit>
std::string Utf16ToUtf8(std::basic_string_view<Unit> text) {
  static_assert(sizeof(Unit) == 2, "UTF-16 comes in 16-bit units");
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = static_cast<char32_t>(text[i]);
    const bool high = c >= 0xD800 && c <= 0xDBFF;
    const char32_t next = i + 1 < text.size() ? static_cast<char32_t>(text[i + 1]) : 0;
    if (high && next >= 0xDC00 && next <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (next - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

inline std::string Utf16ToUtf8(std::u16string_view text) { return Utf16ToUtf8<char16_t>(text); }

}  // namespace vandrel
