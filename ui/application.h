// The application object: its title, the hidden-in-plain-sight application window that
// carries the taskbar button under that title, the error box, and the message loop.
#pragma once

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <exception>
#include <string_view>

namespace vandrel {

class Application {
 public:
  // Names the application on the taskbar and captions every message box.
  static constexpr wchar_t kTitle[] = L"vandrel";

  // Throws when its window class or window cannot be made.
  explicit Application(HINSTANCE instance);
  ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  HINSTANCE instance() const { return instance_; }
  // Owner of the main window. Owned windows get no taskbar button of their own, so the
  // taskbar shows this window's title, "vandrel", while the main window keeps its caption.
  HWND window() const { return window_; }

  // Runs a click handler. An exception that escapes it ends the handler and is shown
  // in the error box; the program goes on.
  template <class Handler>
  void Handle(HWND owner, Handler&& handler) {
    try {
      handler();
    } catch (...) {
      ShowError(owner, std::current_exception());
    }
  }
  // Also before there is an application object, for an error at start-up.
  static void ShowError(HWND owner, std::exception_ptr error);
  // The same box for a reason already in words.
  static void ShowError(HWND owner, std::u16string_view message);

  // Shows the main window and pumps messages until it is destroyed. `accelerators`
  // are the main window's keyboard shortcuts.
  int Run(HWND main_window, int show, HACCEL accelerators = nullptr);

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

  HINSTANCE instance_;
  HWND window_ = nullptr;
  HWND main_window_ = nullptr;
};

}  // namespace vandrel
