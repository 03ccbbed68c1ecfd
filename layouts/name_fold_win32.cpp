// Windows has no call for full case folding: upper case then lower case comes closest,
// so that the final sigma and the Kelvin sign fold as the small sigma and "k" do. Of the
// foldings into two letters, the one names meet (German ß and ẞ as "ss") is added here.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "layouts/name_fold.h"
#include "win32/text.h"

namespace vandrel::layouts {
namespace {

// The text unchanged when the system cannot normalise it.
std::wstring Nfc(const std::wstring& text) {
  if (text.empty()) return text;
  int length = NormalizeString(NormalizationC, text.data(), static_cast<int>(text.size()), nullptr, 0);
  for (int attempt = 0; length > 0 && attempt < 3; ++attempt) {
    std::wstring out(static_cast<std::size_t>(length), L'\0');
    length = NormalizeString(NormalizationC, text.data(), static_cast<int>(text.size()), out.data(), length);
    if (length > 0) {
      out.resize(static_cast<std::size_t>(length));
      return out;
    }
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) break;
    length = -length;
  }
  return text;
}

std::wstring Mapped(const std::wstring& text, DWORD flags) {
  if (text.empty()) return text;
  const int length = LCMapStringEx(LOCALE_NAME_INVARIANT, flags, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                   nullptr, nullptr, 0);
  if (length <= 0) return text;
  std::wstring out(static_cast<std::size_t>(length), L'\0');
  if (LCMapStringEx(LOCALE_NAME_INVARIANT, flags, text.data(), static_cast<int>(text.size()), out.data(), length,
                    nullptr, nullptr, 0) <= 0) {
    return text;
  }
  return out;
}

}  // namespace

std::string FoldName(std::string_view utf8) {
  const std::wstring cased = Mapped(Mapped(Nfc(win32::WideFromUtf8(utf8)), LCMAP_UPPERCASE), LCMAP_LOWERCASE);
  std::wstring folded;
  for (const wchar_t c : cased) {
    if (c == L'\u00DF' || c == L'\u1E9E') {
      folded += L"ss";
    } else {
      folded += c;
    }
  }
  return win32::ToUtf8(Nfc(folded));
}

}  // namespace vandrel::layouts
