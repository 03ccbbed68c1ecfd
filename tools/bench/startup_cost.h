// Start-up of vandrel.exe to its visible main window, against a minimal Win32 window
// program started the same way: what Wine itself costs for any program with a window
// is in both, so the ratio tells what Vandrel adds.
#pragma once

#include <vector>

namespace vandrel::bench {

struct StartupCost {
  std::vector<double> product;  // seconds, CreateProcess to a visible TF_icon_cn
  std::vector<double> minimal;  // the same for minimal_window.exe
};

// Runs each program once untimed (Wine maps a program's DLLs on its first start), then
// `runs` times each, alternately, with a stand-in desktop of 100 icons for the product
// to find. Throws DriverError when a program does not start, show its window or end.
StartupCost MeasureStartup(int runs);

}  // namespace vandrel::bench
