#include "message_box.h"

#include "window_search.h"

namespace vandrel::e2e {
namespace {

// The text control of MessageBox, on Windows and Wine alike.
constexpr int kTextId = 0xFFFF;

}  // namespace

HWND FindMessageBox(DWORD process_id) {
  return FindTopLevel({L"#32770", std::wstring(kMessageBoxTitle), process_id, true});
}

HWND WaitForMessageBox(DWORD process_id, Millis timeout) {
  HWND box = nullptr;
  WaitUntil([&] { return (box = FindMessageBox(process_id)) != nullptr; }, timeout);
  return box;
}

std::wstring MessageBoxText(HWND box) {
  const HWND text_control = GetDlgItem(box, kTextId);
  if (text_control != nullptr && lstrcmpiW(ClassOf(text_control).c_str(), L"Static") == 0) return TextOf(text_control);
  // Any other layout: the first static control that carries text (the icon carries none).
  for (const HWND child : FindDescendants(box, {L"Static"})) {
    std::wstring text = TextOf(child);
    if (!text.empty()) return text;
  }
  return {};
}

bool ShowsIcon(HWND box) {
  for (const HWND child : FindDescendants(box, {L"Static"})) {
    const auto style = static_cast<DWORD>(GetWindowLongW(child, GWL_STYLE));
    if ((style & SS_TYPEMASK) != SS_ICON || !IsWindowVisible(child)) continue;
    // A box without an icon may still hold the icon control, hidden or empty.
    DWORD_PTR icon = 0;
    if (SendMessageTimeoutW(child, STM_GETICON, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, 5000, &icon) && icon != 0) {
      return true;
    }
  }
  return false;
}

bool PressOk(HWND box, Millis timeout) { return PressButton(box, IDOK, timeout); }

bool PressButton(HWND box, int id, Millis timeout) {
  const HWND button = GetDlgItem(box, id);
  if (button == nullptr) return false;
  // The dialog acts on WM_COMMAND as on a press of the button; posted, so that whatever
  // the closed box lets run next cannot hold up the driver.
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
  return WaitUntil([&] { return !IsWindow(box); }, timeout);
}

}  // namespace vandrel::e2e
