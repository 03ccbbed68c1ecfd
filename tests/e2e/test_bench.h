// The product's developer test window, "Form1" of class "TForm1": created hidden at
// start-up, shown here from the driver as a developer would bring it up, its push
// buttons clicked and its edit boxes filled in.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "click_through_boxes.h"

namespace vandrel::e2e {

inline constexpr wchar_t kTestWindowClass[] = L"TForm1";
inline constexpr wchar_t kTestWindowCaption[] = L"Form1";
// The edit boxes the buttons read: Edit1 the item index of "名称", Edit3 the radius of "f_circle".
inline constexpr int kEdit1Id = 116;
inline constexpr int kEdit3Id = 118;

class TestBench {
 public:
  // Finds the test window of `process_id`, hidden or not; throws DriverError when it
  // does not turn up in time.
  explicit TestBench(DWORD process_id);

  HWND window() const { return window_; }
  // Shows the window and waits until it is visible; throws when it stays hidden.
  void Show() const;
  // The push button captioned `caption`; throws when the window has none.
  HWND Button(const std::wstring& caption) const;
  // Replaces the text of the edit box `id`.
  void Type(int id, const std::wstring& text) const;
  // Clicks the button, closing every message box the click shows (ClickThroughBoxes).
  std::vector<SeenBox> Click(const std::wstring& caption, const BoxVisitor& on_box = {}) const;

 private:
  DWORD process_id_;
  HWND window_ = nullptr;
};

}  // namespace vandrel::e2e
