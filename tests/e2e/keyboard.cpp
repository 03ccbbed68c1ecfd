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
  // A pointer motion the display reports late can move the system's cursor back after
  // SetCursorPos, and a button event without a position lands where the cursor is then
  // (seen on a loaded machine). So wait until the pointer is there, and give the button
  // events the point themselves, in the 0..65535 units of the primary screen.
  const bool arrived = WaitUntil(
      [&] {
        POINT now{};
        return GetCursorPos(&now) && now.x == point.x && now.y == point.y;
      },
      Millis{2000});
  if (!arrived) return false;
  const auto normalised = [](LONG value, int extent) {
    // The smallest unit that the system's floor(unit * extent / 65536) maps to `value`.
    return static_cast<LONG>((static_cast<long long>(value) * 65536 + extent - 1) / extent);
  };
  INPUT inputs[2]{};
  for (INPUT& input : inputs) {
    input.type = INPUT_MOUSE;
    input.mi.dx = normalised(point.x, GetSystemMetrics(SM_CXSCREEN));
    input.mi.dy = normalised(point.y, GetSystemMetrics(SM_CYSCREEN));
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  }
  inputs[0].mi.dwFlags |= MOUSEEVENTF_LEFTDOWN;
  inputs[1].mi.dwFlags |= MOUSEEVENTF_LEFTUP;
  return SendInput(2, inputs, sizeof(INPUT)) == 2;
}

void PressShift() {
  INPUT keys[2]{};
  keys[0].type = keys[1].type = INPUT_KEYBOARD;
  keys[0].ki.wVk = keys[1].ki.wVk = VK_SHIFT;
  keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, keys, sizeof(INPUT));
}

}  // namespace vandrel::e2e
