#include "ui/application.h"

#include <commctrl.h>

#include <string>

#include "desktop/win32_modal_box.h"
#include "ui/error_text.h"
#include "ui/form.h"
#include "ui/window_layout.h"
#include "win32/text.h"

namespace vandrel {
namespace {

constexpr wchar_t kWindowClass[] = L"TApplication";

std::wstring Wide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

}  // namespace

Application::Application(HINSTANCE instance) : instance_(instance) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_TAB_CLASSES};
  InitCommonControlsEx(&controls);

  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.lpszClassName = kWindowClass;
  ui::RegisterWindowClass(wc);

  // A zero-sized window in the middle of the screen: never seen, but it has the
  // taskbar button, and minimising it takes the windows it owns along.
  const int x = GetSystemMetrics(SM_CXSCREEN) / 2;
  const int y = GetSystemMetrics(SM_CYSCREEN) / 2;
  window_ = CreateWindowExW(0, kWindowClass, kTitle, WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                            x, y, 0, 0, nullptr, nullptr, instance, this);
  ui::Checked(window_, "Cannot create the application window");
}

Application::~Application() {
  if (window_ != nullptr) DestroyWindow(window_);
}

LRESULT CALLBACK Application::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    SetWindowLongPtrW(window, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams));
  }
  auto* self = reinterpret_cast<Application*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  switch (message) {
    case WM_ACTIVATE:
      // Clicked on the taskbar: the main window is what the user wants.
      if (LOWORD(wparam) != WA_INACTIVE && self != nullptr && self->main_window_ != nullptr &&
          IsWindowEnabled(self->main_window_) && IsWindowVisible(self->main_window_)) {
        SetActiveWindow(self->main_window_);
        return 0;
      }
      break;
    case WM_CLOSE:
      // "Close window" on the taskbar closes the main window, which ends the program;
      // not while a box or dialog holds it disabled, with a handler still under way.
      if (self != nullptr && self->main_window_ != nullptr && IsWindowEnabled(self->main_window_)) {
        PostMessageW(self->main_window_, WM_CLOSE, 0, 0);
      }
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

void Application::ShowError(HWND owner, std::exception_ptr error) {
  std::u16string message;
  try {
    std::rethrow_exception(error);
  } catch (const UserError& e) {
    message = e.text();
  } catch (const std::exception& e) {
    message = win32::FromUtf8(e.what());
  } catch (...) {
    message = u"Unknown error";
  }
  ShowError(owner, message);
}

void Application::ShowError(HWND owner, std::u16string_view message) {
  // A quit already posted (a window that could not be built has been destroyed) would
  // close the box before anyone read it: it waits until the box is closed.
  MSG quit;
  const bool quitting = PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
  ShowModalBox(owner, Wide(ErrorBoxText(message)).c_str(), kTitle, MB_OK | MB_ICONERROR);
  if (quitting) PostQuitMessage(static_cast<int>(quit.wParam));
}

int Application::Run(HWND main_window, int show, HACCEL accelerators) {
  main_window_ = main_window;
  ShowWindow(window_, SW_SHOWNOACTIVATE);
  ShowWindow(main_window, show);
  UpdateWindow(main_window);

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    HWND form = msg.hwnd != nullptr ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    // Before the dialog keys, which would hand the keystroke to the focused control.
    if (accelerators != nullptr && form == main_window && TranslateAcceleratorW(main_window, accelerators, &msg)) {
      continue;
    }
    // Then the form's own keys (Tab in its own order, Ctrl+Tab between pages), then the
    // dialog keys: the arrows within a group, mnemonics.
    if (form != nullptr && GetWindow(form, GW_OWNER) == window_ &&
        (ui::Form::TranslateKeyIn(form, msg) ||
         IsDialogMessageW(form, &msg))) {
      continue;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}

}  // namespace vandrel
