#include "ui/window_layout.h"

#include "win32/entry.h"
#include "win32/text.h"

namespace vandrel::ui {
namespace {

// Children notify their parent; a form handles them all in its own procedure.
LRESULT CALLBACK TabSheetProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      return SendMessageW(GetAncestor(window, GA_ROOT), message, wparam, lparam);
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(wparam) != window) {
        return SendMessageW(GetAncestor(window, GA_ROOT), message, wparam, lparam);
      }
      break;
    default:
      break;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

LRESULT CALLBACK PanelProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    RECT r;
    GetClientRect(window, &r);
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT);
    EndPaint(window, &ps);
    return 0;
  }
  return TabSheetProc(window, message, wparam, lparam);
}

}  // namespace

int Scale(int value, UINT dpi) { return MulDiv(value, static_cast<int>(dpi), 96); }

void MoveControl(HWND control, const Place& place, UINT dpi) {
  MoveWindow(control, Scale(place.left, dpi), Scale(place.top, dpi), Scale(place.width, dpi),
             Scale(place.height, dpi), TRUE);
}

RECT OuterRect(const Place& client, DWORD style, DWORD ex_style, UINT dpi) {
  RECT r{Scale(client.left, dpi), Scale(client.top, dpi), Scale(client.left + client.width, dpi),
         Scale(client.top + client.height, dpi)};
  using AdjustFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
  static const auto adjust_for_dpi = win32::Entry<AdjustFn>(L"user32.dll", "AdjustWindowRectExForDpi");
  if (adjust_for_dpi != nullptr) {
    adjust_for_dpi(&r, style, FALSE, ex_style, dpi);
  } else {
    AdjustWindowRectEx(&r, style, FALSE, ex_style);
  }
  // Keep the window's top-left corner where the table puts it.
  OffsetRect(&r, Scale(client.left, dpi) - r.left, Scale(client.top, dpi) - r.top);
  return r;
}

void RegisterWindowClass(const WNDCLASSEXW& window_class) {
  if (RegisterClassExW(&window_class) != 0) return;
  const DWORD code = GetLastError();
  if (code == ERROR_CLASS_ALREADY_EXISTS) return;
  win32::ThrowLastError(
      "Cannot register the window class " + win32::ToUtf8(std::wstring_view(window_class.lpszClassName)), code);
}

Font CreateFontForDpi(const wchar_t* face, int height, UINT dpi) {
  return Font(CreateFontW(-Scale(height, dpi), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face));
}

void SetFont(HWND control, HFONT font) { SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE); }

void RegisterContainerClasses(HINSTANCE instance) {
  const struct { const wchar_t* name; WNDPROC proc; } classes[] = {{kPanelClass, PanelProc},
                                                                     {kTabSheetClass, TabSheetProc}};
  for (const auto& [name, proc] : classes) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = name;
    RegisterWindowClass(wc);
  }
}

}  // namespace vandrel::ui
