#include "win32/dpi.h"

#include "win32/entry.h"

namespace vandrel::win32 {

UINT SystemDpi() {
  // GetDeviceCaps looked up too: linked, it would make every program that reads a DPI
  // link gdi32 for a fallback (gdi32 is loaded with user32 in any case).
  using GetDpiForSystemFn = UINT(WINAPI*)();
  using GetDeviceCapsFn = int(WINAPI*)(HDC, int);
  static const auto get_dpi_for_system = Entry<GetDpiForSystemFn>(L"user32.dll", "GetDpiForSystem");
  static const auto get_device_caps = Entry<GetDeviceCapsFn>(L"gdi32.dll", "GetDeviceCaps");
  if (get_dpi_for_system != nullptr) {
    const UINT dpi = get_dpi_for_system();
    if (dpi != 0) return dpi;
  }
  int dpi = 0;
  if (HDC screen = get_device_caps != nullptr ? GetDC(nullptr) : nullptr; screen != nullptr) {
    dpi = get_device_caps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
  }
  return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

UINT WindowDpi(HWND window) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto get_dpi_for_window = Entry<GetDpiForWindowFn>(L"user32.dll", "GetDpiForWindow");
  if (get_dpi_for_window != nullptr && window != nullptr) {
    const UINT dpi = get_dpi_for_window(window);
    if (dpi != 0) return dpi;
  }
  return SystemDpi();
}

}  // namespace vandrel::win32
