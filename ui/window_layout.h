// Laying out a window's controls from a table of places given at 96 DPI, scaled to the
// DPI of the window's monitor. The program declares per-monitor DPI awareness, so that
// the shell's list view and the work area speak the same physical pixels; the windows
// themselves keep the size they have at 96 DPI, scaled.
#pragma once

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <commctrl.h>

#include "win32/dpi.h"
#include "win32/error.h"
#include "win32/handles.h"

namespace vandrel::ui {

// The owners, the error and the DPI reader of the support layer, under the names the
// windows have always used.
using win32::Bitmap;
using win32::Brush;
using win32::Checked;
using win32::Font;
using win32::ImageList;
using win32::MemoryDc;
using win32::Pen;
using win32::Win32Error;
using win32::WindowDpi;

// RegisterClassExW, where a class this program registered before counts as done.
void RegisterWindowClass(const WNDCLASSEXW& window_class);

struct Place {
  int left, top, width, height;
};

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
