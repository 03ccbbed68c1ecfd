// A program the tests start and must not leave behind: started with CreateProcessW,
// ended with WM_CLOSE to one of its windows and, should that not do, TerminateProcess.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "wait.h"

namespace vandrel::e2e {

// The folder of the running program: the product and the stand-in desktop are built beside it.
std::wstring ProgramFolder();

// One argument quoted the way CommandLineToArgvW and the C runtime read it back.
std::wstring QuoteArgument(const std::wstring& argument);

// Variables set for a child on top of the test's own environment: name, value.
using Environment = std::vector<std::pair<std::wstring, std::wstring>>;

struct ChildOptions {
  Environment environment = {};
  // Inheritable handles; null sends standard output nowhere and errors to ours.
  HANDLE output = nullptr;
  HANDLE errors = nullptr;
};

class ChildProcess {
 public:
  // Starts `program` with `arguments`; throws DriverError when it cannot be started.
  ChildProcess(const std::wstring& program, const std::vector<std::wstring>& arguments,
               const ChildOptions& options = {});
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  DWORD id() const { return id_; }
  HANDLE handle() const { return process_; }
  bool running() const;
  // True when the process has ended within `timeout`.
  bool WaitForExit(Millis timeout) const;
  DWORD exit_code() const;

  // Asks `window` to close (WM_CLOSE, posted) and waits up to `timeout` for the process to
  // end; terminates it after that. True when it ended by itself.
  bool Close(HWND window, Millis timeout);
  void Terminate();

 private:
  HANDLE process_ = nullptr;
  DWORD id_ = 0;
};

}  // namespace vandrel::e2e
