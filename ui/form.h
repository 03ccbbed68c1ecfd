// What the program's two windows have in common: the window class, the procedure that
// routes messages to the form object, creation in a fixed order, and the DPI their
// controls are laid out at.
#pragma once

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <exception>
#include <optional>
#include <vector>

#include "ui/application.h"
#include "ui/window_layout.h"

namespace vandrel::ui {

class Form {
 public:
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  HWND handle() const { return window_; }

  // Hands the message loop's keystroke to `window` when it is one of the program's
  // forms, before the dialog keys see it; true when the form acted on it.
  static bool TranslateKeyIn(HWND window, const MSG& message);

 protected:
  explicit Form(Application& app) : app_(app) {}
  virtual ~Form();
  // Destroys the window now. A derived form calls it from its destructor, so that the
  // fonts and image lists it owns outlive the controls that use them.
  void Destroy();

  enum class Frame { ClientArea, Outer };
  // When the controls are made: with the window, or when it is first shown (a window
  // that may never be shown need not slow the start).
  enum class Controls { WithWindow, WhenFirstShown };
  // Registers the class and creates the window, owned by the application window, at
  // `place` (given at 96 DPI, of the client area or of the whole frame). Call it from
  // the derived constructor: creation calls back into the derived form. Throws when the
  // class or the window cannot be made, or when making the controls failed.
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
  // A keystroke before the dialog keys see it; true when acted on. Here: Tab and
  // Shift+Tab follow tab_order_, Enter clicks a focused push button.
  virtual bool TranslateKey(const MSG& message);
  // Shows the error box once the message now handled has returned: an error must not
  // unwind through the window manager, nor a box open inside WM_SHOWWINDOW.
  void ReportLater(std::exception_ptr error);

  // Where Tab goes, in order: controls, and containers (WS_EX_CONTROLPARENT) whose
  // tab stops count in their own Z order. The dialog manager would follow the form's
  // Z order, where a later control lies above the earlier ones it overlaps.
  std::vector<HWND> tab_order_;

  Application& app_;
  HWND window_ = nullptr;
  UINT dpi_ = 96;

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT Dispatch(UINT message, WPARAM wparam, LPARAM lparam);
  RECT FrameAt(UINT dpi) const;
  void MakeControls();
  std::vector<HWND> TabStops() const;
  void RememberFocus();
  bool RestoreFocus();

  Place place_{};
  Frame frame_ = Frame::Outer;
  DWORD style_ = 0;
  DWORD ex_style_ = 0;
  bool controls_made_ = false;
  bool controls_when_shown_ = false;
  std::exception_ptr creation_error_;
  std::vector<std::exception_ptr> pending_errors_;
  // The control that had the focus when the form was last deactivated.
  HWND last_focus_ = nullptr;
};

}  // namespace vandrel::ui
