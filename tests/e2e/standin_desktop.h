// The stand-in desktop (standin_desktop.exe), started for one scenario: a shell window
// tree of the chosen layout holding a list view of N icons.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "child_process.h"

namespace vandrel::e2e {

struct StandinOptions {
  int icons = 15;
  std::wstring layout = L"progman";  // progman, win10, 24h2 or none
  bool cheap_paint = false;
  std::vector<std::wstring> more = {};  // further options, passed as they are
};

class StandinDesktop {
 public:
  // Starts the stand-in and waits until it has filled and shown its view; throws
  // DriverError when it ends or does not get ready in time.
  explicit StandinDesktop(const StandinOptions& options);
  ~StandinDesktop();

  ChildProcess& process() { return *process_; }
  // The list view of the stand-in's process, wherever the layout put it; null for "none".
  HWND list_view() const;
  // Closes it the way it is meant to end; terminates it when that does not do.
  bool Close();

 private:
  std::unique_ptr<ChildProcess> process_;
};

}  // namespace vandrel::e2e
