// The one error the driver throws: something the tests rely on did not happen
// (a program did not start, a window did not appear, a process would not open).
#pragma once

#include <stdexcept>
#include <string>

namespace vandrel::e2e {

class DriverError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// "what failed (Windows error N)" with GetLastError's value at the time of the call.
[[noreturn]] void ThrowLastError(const std::string& what);

std::string Narrow(const std::wstring& text);

}  // namespace vandrel::e2e
