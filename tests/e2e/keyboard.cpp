#include "keyboard.h"

#include "wait.h"

namespace vandrel::e2e {

bool PressControlKey(HWND window, WORD key) {
  SetForegroundWindow(window);
  if (!WaitUntil([&] { return GetForegroundWindow() == window; }, Millis{5000})) return false;
  INPUT inputs[4]{};
  const WORD keys[4] = {VK_CONTROL, key, key, VK_CONTROL};
  for (int i = 0; i < 4; ++i) {
    inputs[i].type = INPUT_KEYBOARD;
    inputs[i].ki.wVk = keys[i];
    inputs[i].ki.dwFlags = i < 2 ? 0 : KEYEVENTF_KEYUP;
  }
  return SendInput(4, inputs, sizeof(INPUT)) == 4;
}

}  // namespace vandrel::e2e
