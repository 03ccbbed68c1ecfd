// What the program's two windows have in common: the window class, the procedure that
// routes messages to the form object, creation in a fixed order, and the DPI their
// controls are laid out at.
#pragma once

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <optional>

#include "app/application.h"
#include "app/window_layout.h"

namespace vandrel::ui {

class Form {
 public:
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  HWND handle() const { return window_; }

 protected:
  explicit Form(Application& app) : app_(app) {}
  virtual ~Form();

  enum class Frame { ClientArea, Outer };
  // When the controls are made: with the window, or when it is first shown (a window
  // that may never be shown need not slow the start).
  enum class Controls { WithWindow, WhenFirstShown };
  // Registers the class and creates the window, owned by the application window, at
  // `place` (given at 96 DPI, of the client area or of the whole frame). Call it from
  // the derived constructor: creation calls back into the derived form.
  void Create(const wchar_t* window_class, const wchar_t* caption, DWORD style, DWORD ex_style, Place place,
              Frame frame, Controls controls = Controls::WithWindow);

  // Creation, in this order: the controls, their places at the window's DPI, then
  // Created (the form's FormCreate); with Controls::WhenFirstShown, Created comes
  // first and the controls when the window is first shown. LayOut runs again after
  // every DPI change.
  virtual void CreateControls() = 0;
  virtual void LayOut() = 0;
  virtual void Created() = 0;
  // The messages the form answers itself; the others go to DefWindowProc.
  virtual std::optional<LRESULT> Handle(UINT message, WPARAM wparam, LPARAM lparam) = 0;

  Application& app_;
  HWND window_ = nullptr;
  UINT dpi_ = 96;

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT Dispatch(UINT message, WPARAM wparam, LPARAM lparam);
  RECT FrameAt(UINT dpi) const;
  void MakeControls();

  Place place_{};
  Frame frame_ = Frame::Outer;
  DWORD style_ = 0;
  DWORD ex_style_ = 0;
  bool controls_made_ = false;
  bool controls_when_shown_ = false;
};

}  // namespace vandrel::ui
