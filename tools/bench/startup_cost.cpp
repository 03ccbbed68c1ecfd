#include "startup_cost.h"

#include <string>

#include "bench_clock.h"
#include "child_process.h"
#include "driver_error.h"
#include "standin_desktop.h"
#include "window_search.h"

namespace vandrel::bench {
namespace {

using e2e::DriverError;

constexpr double kStartLimitSeconds = 60;

struct Program {
  const wchar_t* file;
  const wchar_t* window_class;
};
constexpr Program kProduct{L"vandrel.exe", L"TF_icon_cn"};
// The class minimal_window.cpp registers.
constexpr Program kMinimal{L"minimal_window.exe", L"VandrelMinimalWindow"};

HWND VisibleWindowOf(DWORD process_id, const wchar_t* window_class) {
  for (HWND window = nullptr; (window = FindWindowExW(nullptr, window, window_class, nullptr)) != nullptr;) {
    if (e2e::ProcessOf(window) == process_id && IsWindowVisible(window)) return window;
  }
  return nullptr;
}

double TimeToVisibleWindow(const Program& program) {
  const std::string name = e2e::Narrow(program.file);
  Stopwatch watch;
  e2e::ChildProcess child(e2e::ProgramFolder() + L"\\" + program.file, {});
  HWND window = nullptr;
  // Polled every millisecond: a start takes a few hundred under Wine, and a coarser
  // poll would add its own granularity to both programs' times.
  while ((window = VisibleWindowOf(child.id(), program.window_class)) == nullptr) {
    if (!child.running()) throw DriverError(name + " ended before it showed its window");
    if (watch.Seconds() > kStartLimitSeconds) throw DriverError(name + " showed no window in time");
    Sleep(1);
  }
  const double seconds = watch.Seconds();
  if (!child.Close(window, e2e::Millis{10000})) throw DriverError(name + " did not end on WM_CLOSE");
  return seconds;
}

}  // namespace

StartupCost MeasureStartup(int runs) {
  // The product looks for the desktop view while it shows its window.
  e2e::StandinDesktop desktop({.icons = 100, .layout = L"progman", .cheap_paint = true});
  TimeToVisibleWindow(kMinimal);
  TimeToVisibleWindow(kProduct);
  StartupCost cost;
  for (int i = 0; i < runs; ++i) {
    // Alternating, and each starting first every other time.
    if (i % 2 == 0) {
      cost.minimal.push_back(TimeToVisibleWindow(kMinimal));
      cost.product.push_back(TimeToVisibleWindow(kProduct));
    } else {
      cost.product.push_back(TimeToVisibleWindow(kProduct));
      cost.minimal.push_back(TimeToVisibleWindow(kMinimal));
    }
  }
  return cost;
}

}  // namespace vandrel::bench
