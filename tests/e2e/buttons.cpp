#include "buttons.h"

namespace vandrel::e2e {
namespace {

bool SendWithin(HWND window, UINT message, WPARAM wparam, LPARAM lparam, Millis timeout, DWORD_PTR* result) {
  return SendMessageTimeoutW(window, message, wparam, lparam, SMTO_NORMAL | SMTO_ABORTIFHUNG,
                             static_cast<UINT>(timeout.count()), result) != 0;
}

}  // namespace

bool Click(HWND button, Millis timeout) {
  DWORD_PTR result = 0;
  return SendWithin(button, BM_CLICK, 0, 0, timeout, &result);
}

bool PostClick(HWND button) { return PostMessageW(button, BM_CLICK, 0, 0) != 0; }

bool IsChecked(HWND button) {
  DWORD_PTR state = 0;
  return SendWithin(button, BM_GETCHECK, 0, 0, kActionTimeout, &state) && state == BST_CHECKED;
}

bool Answers(HWND window, Millis timeout) {
  DWORD_PTR result = 0;
  return SendWithin(window, WM_NULL, 0, 0, timeout, &result);
}

}  // namespace vandrel::e2e
