// Laying out a window's controls from a table of places given at 96 DPI, scaled to the
// DPI of the window's monitor. The program declares per-monitor DPI awareness, so that
// the shell's list view and the work area speak the same physical pixels; the windows
// themselves keep the size they have at 96 DPI, scaled.
#pragma once

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <type_traits>

namespace vandrel::ui {

// GDI objects and image lists, each deleted by the one that owns it. A control keeps
// using what it was given until it is given another, so the order is always: make the
// new one, give it to the controls, then let the owner drop the old one (move-assign).
struct GdiObjectDeleter {
  void operator()(void* object) const { DeleteObject(static_cast<HGDIOBJ>(object)); }
};
struct ImageListDeleter {
  void operator()(HIMAGELIST list) const { ImageList_Destroy(list); }
};
struct MemoryDcDeleter {
  void operator()(HDC dc) const { DeleteDC(dc); }
};
template <class Handle>
using GdiObject = std::unique_ptr<std::remove_pointer_t<Handle>, GdiObjectDeleter>;
using Font = GdiObject<HFONT>;
using Brush = GdiObject<HBRUSH>;
using Pen = GdiObject<HPEN>;
using Bitmap = GdiObject<HBITMAP>;
using ImageList = std::unique_ptr<std::remove_pointer_t<HIMAGELIST>, ImageListDeleter>;
using MemoryDc = std::unique_ptr<std::remove_pointer_t<HDC>, MemoryDcDeleter>;

// A Win32 call that failed, with the system's own reason (FormatMessage of `code`).
class Win32Error : public std::runtime_error {
 public:
  Win32Error(const std::string& what, DWORD code);
  DWORD code() const { return code_; }

 private:
  DWORD code_;
};
// Throws Win32Error for `what` with GetLastError() when `handle` is null.
template <class Handle>
Handle Checked(Handle handle, const char* what) {
  if (handle == nullptr) throw Win32Error(what, GetLastError());
  return handle;
}
// RegisterClassExW, where a class this program registered before counts as done.
void RegisterWindowClass(const WNDCLASSEXW& window_class);

struct Place {
  int left, top, width, height;
};

UINT WindowDpi(HWND window);
int Scale(int value, UINT dpi);
void MoveControl(HWND control, const Place& place, UINT dpi);
// The outer rectangle of a window whose client area is `width` x `height` at 96 DPI.
RECT OuterRect(const Place& client, DWORD style, DWORD ex_style, UINT dpi);
// A font of `height` pixels at 96 DPI (the character height, as a negative lfHeight).
Font CreateFontForDpi(const wchar_t* face, int height, UINT dpi);
void SetFont(HWND control, HFONT font);

// Container windows: a raised panel ("TPanel") and a tab page ("TTabSheet"). Both pass
// their children's notifications on to the top-level window, so that one window
// procedure handles every control of a form.
void RegisterContainerClasses(HINSTANCE instance);
inline constexpr wchar_t kPanelClass[] = L"TPanel";
inline constexpr wchar_t kTabSheetClass[] = L"TTabSheet";

}  // namespace vandrel::ui
