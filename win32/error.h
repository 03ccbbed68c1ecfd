// A Win32 call that failed, with the system's own reason, raised in one way.
#pragma once

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <stdexcept>
#include <string>

namespace vandrel::win32 {

class Win32Error : public std::runtime_error {
 public:
  // "what: reason", the reason being what the system says of `code`.
  Win32Error(const std::string& what, DWORD code);
  DWORD code() const { return code_; }

 private:
  DWORD code_;
};

// Throws Win32Error for `what` with `code`, by default GetLastError(). Read the code
// before anything else that may set it (closing a handle does).
[[noreturn]] void ThrowLastError(const std::string& what, DWORD code = GetLastError());

// `handle`, or Win32Error for `what` with GetLastError() when it is null.
template <class Handle>
Handle Checked(Handle handle, const char* what) {
  if (handle == nullptr) {
    const DWORD code = GetLastError();
    ThrowLastError(what, code);
  }
  return handle;
}

// What the system says of `code`, in UTF-8, without the full stop and line break its
// texts end in; "error N" when it has nothing to say.
std::string SystemReason(DWORD code);

}  // namespace vandrel::win32
