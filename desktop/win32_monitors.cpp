// The monitors and where windows lie on the virtual screen, for the Win32 port.
#include <vector>

#include "desktop/win32_desktop_port.h"
#include "win32/entry.h"

namespace vandrel {
namespace {

HWND Hwnd(WindowHandle window) { return reinterpret_cast<HWND>(window); }

Rect FromRECT(const RECT& r) { return Rect{r.left, r.top, r.right, r.bottom}; }

struct Enumeration {
  std::vector<Monitor> monitors;
  std::uint32_t system_dpi;
};

BOOL CALLBACK AddMonitor(HMONITOR handle, HDC, LPRECT, LPARAM data) {
  auto& enumeration = *reinterpret_cast<Enumeration*>(data);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoW(handle, &info)) return TRUE;
  // shcore is Windows 8.1 and later, and loaded only for this: looked up at run time.
  using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
  static const auto get_dpi_for_monitor = win32::Entry<GetDpiForMonitorFn>(L"shcore.dll", "GetDpiForMonitor");
  UINT dpi_x = 0;
  UINT dpi_y = 0;
  constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI
  if (get_dpi_for_monitor == nullptr || get_dpi_for_monitor(handle, kEffectiveDpi, &dpi_x, &dpi_y) != S_OK ||
      dpi_x == 0) {
    dpi_x = enumeration.system_dpi;
  }
  enumeration.monitors.push_back(
      Monitor{FromRECT(info.rcMonitor), FromRECT(info.rcWork), dpi_x, (info.dwFlags & MONITORINFOF_PRIMARY) != 0});
  return TRUE;
}

}  // namespace

std::vector<Monitor> Win32DesktopPort::Monitors() {
  Enumeration enumeration{{}, SystemDpi()};
  if (!EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&enumeration))) return {};
  return enumeration.monitors;
}

// Windows maps a point of another process's window as well as one of its own.
bool Win32DesktopPort::ClientOrigin(WindowHandle window, Point& origin) {
  POINT point{0, 0};
  if (window == 0 || !ClientToScreen(Hwnd(window), &point)) return false;
  origin = Point{point.x, point.y};
  return true;
}

bool Win32DesktopPort::WindowRect(WindowHandle window, Rect& rect) {
  RECT r{};
  if (window == 0 || !GetWindowRect(Hwnd(window), &r)) return false;
  rect = FromRECT(r);
  return true;
}

}  // namespace vandrel
