#include "desktop/win32_modal_box.h"

#include <vector>

namespace vandrel {
namespace {

struct Disabling {
  HWND owner;
  std::vector<HWND> windows;
};

BOOL CALLBACK DisableOne(HWND window, LPARAM context) {
  auto* d = reinterpret_cast<Disabling*>(context);
  // The owner is left to the box itself, which disables it and gives it the
  // activation back when it closes.
  if (window != d->owner && IsWindowVisible(window) && IsWindowEnabled(window)) {
    EnableWindow(window, FALSE);
    d->windows.push_back(window);
  }
  return TRUE;
}

}  // namespace

int ShowModalBox(HWND fallback_owner, const wchar_t* text, const wchar_t* caption, UINT flags) {
  // Disabling the owner takes the focus from its control, and the box gives the owner
  // back its activation but not the focus: without this, the next key goes nowhere.
  const HWND focus = GetFocus();
  HWND owner = GetActiveWindow();
  if (owner == nullptr) owner = fallback_owner;
  Disabling disabling{owner, {}};
  EnumThreadWindows(GetCurrentThreadId(), DisableOne, reinterpret_cast<LPARAM>(&disabling));
  const int answer = MessageBoxW(owner, text, caption, flags);
  for (HWND window : disabling.windows) EnableWindow(window, TRUE);
  if (focus != nullptr && IsWindow(focus) && IsWindowVisible(focus) && IsWindowEnabled(focus)) SetFocus(focus);
  return answer;
}

}  // namespace vandrel
