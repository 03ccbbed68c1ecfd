#include "app/form.h"

namespace vandrel::ui {

Form::~Form() {
  if (window_ == nullptr) return;
  // The derived form is gone already: the messages of the destruction go to
  // DefWindowProc.
  SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
  DestroyWindow(window_);
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
  RegisterClassExW(&wc);

  const RECT r = FrameAt(96);
  CreateWindowExW(ex_style, window_class, caption, style, r.left, r.top, r.right - r.left, r.bottom - r.top,
                  app_.window(), nullptr, app_.instance(), this);
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

LRESULT CALLBACK Form::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<Form*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
    self->window_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<Form*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(window, message, wparam, lparam);
  return self->Dispatch(message, wparam, lparam);
}

LRESULT Form::Dispatch(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE: {
      dpi_ = WindowDpi(window_);
      if (!controls_when_shown_) MakeControls();
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
      if (wparam && !controls_made_) MakeControls();
      break;
    default:
      break;
  }
  const HWND window = window_;
  const std::optional<LRESULT> answer = Handle(message, wparam, lparam);
  if (message == WM_NCDESTROY) window_ = nullptr;
  return answer ? *answer : DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace vandrel::ui
