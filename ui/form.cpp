#include "ui/form.h"

#include <algorithm>
#include <utility>

#include "win32/text.h"

namespace vandrel::ui {
namespace {

// Posted to a form to show the errors ReportLater kept.
constexpr UINT kShowErrorsMessage = WM_APP + 0x41;

bool TakesTab(HWND control) {
  return (GetWindowLongW(control, GWL_STYLE) & WS_TABSTOP) != 0 && IsWindowVisible(control) &&
         IsWindowEnabled(control);
}

}  // namespace

Form::~Form() { Destroy(); }

void Form::Destroy() {
  if (window_ == nullptr) return;
  const HWND window = window_;
  window_ = nullptr;
  // The messages of the destruction go to DefWindowProc: the derived form is on its way out.
  SetWindowLongPtrW(window, GWLP_USERDATA, 0);
  DestroyWindow(window);
}

void Form::Create(const wchar_t* window_class, const wchar_t* caption, DWORD style, DWORD ex_style, Place place,
                  Frame frame, Controls controls) {
  controls_when_shown_ = controls == Controls::WhenFirstShown;
  place_ = place;
  frame_ = frame;
  style_ = style;
  ex_style_ = ex_style;

  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = app_.instance();
  wc.hIcon = LoadIconW(app_.instance(), MAKEINTRESOURCEW(1));
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  wc.lpszClassName = window_class;
  RegisterWindowClass(wc);

  const RECT r = FrameAt(96);
  const HWND made = CreateWindowExW(ex_style, window_class, caption, style, r.left, r.top, r.right - r.left,
                                    r.bottom - r.top, app_.window(), nullptr, app_.instance(), this);
  if (made != nullptr) return;
  const DWORD code = GetLastError();
  window_ = nullptr;
  if (creation_error_ != nullptr) std::rethrow_exception(std::exchange(creation_error_, nullptr));
  win32::ThrowLastError("Cannot create the window \"" + win32::ToUtf8(std::wstring_view(caption)) + "\"", code);
}

void Form::MakeControls() {
  controls_made_ = true;
  CreateControls();
  LayOut();
}

RECT Form::FrameAt(UINT dpi) const {
  if (frame_ == Frame::ClientArea) return OuterRect(place_, style_, ex_style_, dpi);
  return RECT{Scale(place_.left, dpi), Scale(place_.top, dpi), Scale(place_.left + place_.width, dpi),
              Scale(place_.top + place_.height, dpi)};
}

void Form::ReportLater(std::exception_ptr error) {
  try {
    pending_errors_.push_back(std::move(error));
    if (window_ != nullptr) PostMessageW(window_, kShowErrorsMessage, 0, 0);
  } catch (...) {
    // No memory left even to keep the error: nothing more can be said.
  }
}

std::vector<HWND> Form::TabStops() const {
  std::vector<HWND> stops;
  for (const HWND item : tab_order_) {
    if ((GetWindowLongW(item, GWL_EXSTYLE) & WS_EX_CONTROLPARENT) == 0) {
      if (TakesTab(item)) stops.push_back(item);
      continue;
    }
    if (!IsWindowVisible(item)) continue;
    for (HWND child = GetWindow(item, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
      if (TakesTab(child)) stops.push_back(child);
    }
  }
  return stops;
}

bool Form::TranslateKeyIn(HWND window, const MSG& message) {
  // Only a window whose procedure is ours holds a Form in its user data.
  if (reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC)) != &Form::WindowProc) return false;
  auto* self = reinterpret_cast<Form*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr) return false;
  // Called from the message loop: nothing unwinds through it either.
  try {
    return self->TranslateKey(message);
  } catch (...) {
    self->ReportLater(std::current_exception());
    return false;
  }
}

bool Form::TranslateKey(const MSG& message) {
  if (message.message != WM_KEYDOWN || GetKeyState(VK_MENU) < 0) return false;
  const HWND focus = GetFocus();
  if (message.wParam == VK_TAB && GetKeyState(VK_CONTROL) >= 0 && !tab_order_.empty()) {
    const std::vector<HWND> stops = TabStops();
    if (stops.empty()) return false;
    const bool backward = GetKeyState(VK_SHIFT) < 0;
    const auto at = std::find_if(stops.begin(), stops.end(),
                                 [focus](HWND stop) { return stop == focus || IsChild(stop, focus); });
    const std::size_t count = stops.size();
    std::size_t next = backward ? count - 1 : 0;
    if (at != stops.end()) {
      const auto index = static_cast<std::size_t>(at - stops.begin());
      next = backward ? (index + count - 1) % count : (index + 1) % count;
    }
    const HWND target = stops[next];
    // The keyboard is in use: focus rectangles show from now on, as after a dialog's Tab.
    SendMessageW(window_, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
    SetFocus(target);
    if (SendMessageW(target, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) SendMessageW(target, EM_SETSEL, 0, -1);
    return true;
  }
  if (message.wParam == VK_RETURN && focus != nullptr && IsChild(window_, focus) &&
      (SendMessageW(focus, WM_GETDLGCODE, 0, 0) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) != 0) {
    // Outside a real dialog Enter would go to the default button, which a form has
    // not: the focused push button is clicked, as the dialog manager does.
    SendMessageW(GetParent(focus), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(focus), BN_CLICKED),
                 reinterpret_cast<LPARAM>(focus));
    return true;
  }
  return false;
}

void Form::RememberFocus() {
  const HWND focus = GetFocus();
  if (focus != nullptr && IsChild(window_, focus)) last_focus_ = focus;
}

bool Form::RestoreFocus() {
  if (last_focus_ == nullptr || !IsWindow(last_focus_) || !IsChild(window_, last_focus_) ||
      !IsWindowVisible(last_focus_) || !IsWindowEnabled(last_focus_)) {
    return false;
  }
  SetFocus(last_focus_);
  return true;
}

LRESULT CALLBACK Form::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<Form*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
    self->window_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<Form*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(window, message, wparam, lparam);
  // Nothing unwinds through the window manager: what escapes a message is shown once
  // the message has returned.
  try {
    return self->Dispatch(message, wparam, lparam);
  } catch (...) {
    self->ReportLater(std::current_exception());
    return 0;
  }
}

LRESULT Form::Dispatch(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE: {
      try {
        dpi_ = WindowDpi(window_);
        if (!controls_when_shown_) MakeControls();
      } catch (...) {
        // The window is not made: Create raises the error.
        creation_error_ = std::current_exception();
        return -1;
      }
      if (dpi_ != 96) {
        const RECT r = FrameAt(dpi_);
        SetWindowPos(window_, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
      }
      app_.Handle(window_, [this] { Created(); });
      return 0;
    }
    case WM_DPICHANGED: {
      dpi_ = HIWORD(wparam);
      const RECT* suggested = reinterpret_cast<const RECT*>(lparam);
      SetWindowPos(window_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                   suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
      if (controls_made_) LayOut();
      return 0;
    }
    case WM_SHOWWINDOW:
      if (wparam && !controls_made_) {
        try {
          MakeControls();
        } catch (...) {
          ReportLater(std::current_exception());
        }
      }
      break;
    case WM_ACTIVATE:
      // As a dialog does: the control that had the focus gets it back when the form is
      // active again, after a message box or another program.
      if (LOWORD(wparam) == WA_INACTIVE) {
        RememberFocus();
      } else if (HIWORD(wparam) == 0 && RestoreFocus()) {
        return 0;
      }
      break;
    case kShowErrorsMessage: {
      std::vector<std::exception_ptr> errors = std::exchange(pending_errors_, {});
      for (const std::exception_ptr& error : errors) app_.ShowError(window_, error);
      return 0;
    }
    default:
      break;
  }
  const HWND window = window_;
  const std::optional<LRESULT> answer = Handle(message, wparam, lparam);
  if (message == WM_NCDESTROY) window_ = nullptr;
  return answer ? *answer : DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace vandrel::ui
