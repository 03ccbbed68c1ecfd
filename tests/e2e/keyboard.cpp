#include "keyboard.h"

#include <vector>

#include "wait.h"

namespace vandrel::e2e {
namespace {

bool BringToFront(HWND window) {
  SetForegroundWindow(window);
  return WaitUntil([&] { return GetForegroundWindow() == window; }, Millis{5000});
}

}  // namespace

bool PressKey(HWND window, WORD key, std::initializer_list<WORD> held) {
  if (!BringToFront(window)) return false;
  std::vector<WORD> downs(held);
  downs.push_back(key);
  std::vector<INPUT> inputs(2 * downs.size());
  for (std::size_t i = 0; i < downs.size(); ++i) {
    INPUT& press = inputs[i];
    INPUT& release = inputs[inputs.size() - 1 - i];
    press.type = release.type = INPUT_KEYBOARD;
    press.ki.wVk = release.ki.wVk = downs[i];
    release.ki.dwFlags = KEYEVENTF_KEYUP;
  }
  const auto count = static_cast<UINT>(inputs.size());
  return SendInput(count, inputs.data(), sizeof(INPUT)) == count;
}

HWND FocusOf(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

bool ClickAt(HWND window, POINT point) {
  if (!BringToFront(window) || !SetCursorPos(point.x, point.y)) return false;
  INPUT inputs[2]{};
  inputs[0].type = inputs[1].type = INPUT_MOUSE;
  inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  return SendInput(2, inputs, sizeof(INPUT)) == 2;
}

}  // namespace vandrel::e2e
