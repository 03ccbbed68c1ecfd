#include "test_bench.h"

#include "driver_error.h"
#include "window_search.h"

namespace vandrel::e2e {

TestBench::TestBench(DWORD process_id) : process_id_(process_id) {
  // The product makes it right after its main window, before its message loop runs.
  window_ = WaitForTopLevel({kTestWindowClass, std::wstring(kTestWindowCaption), process_id_}, kStartTimeout);
  if (window_ == nullptr) throw DriverError("the product has no hidden \"Form1\" window of class TForm1");
}

void TestBench::Show() const {
  ShowWindow(window_, SW_SHOW);
  if (!WaitUntil([&] { return IsWindowVisible(window_) != FALSE; }, kActionTimeout)) {
    throw DriverError("\"Form1\" stayed hidden after ShowWindow");
  }
}

HWND TestBench::Button(const std::wstring& caption) const {
  const HWND button = FindDescendant(window_, {L"Button", caption});
  if (button == nullptr) throw DriverError("no button \"" + Narrow(caption) + "\" on Form1");
  return button;
}

void TestBench::Type(int id, const std::wstring& text) const {
  const HWND edit = GetDlgItem(window_, id);
  if (edit == nullptr) throw DriverError("no edit box " + std::to_string(id) + " on Form1");
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL | SMTO_ABORTIFHUNG,
                           static_cast<UINT>(kActionTimeout.count()), &result) ||
      result != TRUE) {
    ThrowLastError("WM_SETTEXT to edit box " + std::to_string(id));
  }
}

std::vector<SeenBox> TestBench::Click(const std::wstring& caption, const BoxVisitor& on_box) const {
  return ClickThroughBoxes(Button(caption), process_id_, on_box);
}

}  // namespace vandrel::e2e
