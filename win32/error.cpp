#include "win32/error.h"

#include "win32/handles.h"
#include "win32/text.h"

namespace vandrel::win32 {

std::string SystemReason(DWORD code) {
  LocalMemory<wchar_t*> text;
  const DWORD length =
      FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, code, 0, reinterpret_cast<wchar_t*>(text.put()), 0, nullptr);
  std::wstring reason(text ? text.get() : L"", text ? length : 0);
  // The error box adds its own full stop.
  while (!reason.empty() &&
         (reason.back() == L'\n' || reason.back() == L'\r' || reason.back() == L' ' || reason.back() == L'.')) {
    reason.pop_back();
  }
  if (reason.empty()) return "error " + std::to_string(code);
  return ToUtf8(reason);
}

Win32Error::Win32Error(const std::string& what, DWORD code)
    : std::runtime_error(what + ": " + SystemReason(code)), code_(code) {}

void ThrowLastError(const std::string& what, DWORD code) { throw Win32Error(what, code); }

}  // namespace vandrel::win32
