#include "driver_error.h"

#include <windows.h>

namespace vandrel::e2e {

std::string Narrow(const std::wstring& text) {
  if (text.empty()) return {};
  const int size =
      WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
  if (size > 0) {
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
  }
  return out;
}

void ThrowLastError(const std::string& what) {
  throw DriverError(what + " (Windows error " + std::to_string(GetLastError()) + ")");
}

}  // namespace vandrel::e2e
