// The product, vandrel.exe, started for one scenario and driven through its main window.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "child_process.h"

namespace vandrel::e2e {

inline constexpr wchar_t kMainWindowClass[] = L"TF_icon_cn";

class Product {
 public:
  // Starts vandrel.exe with `environment` added to the test's own (and `arguments`,
  // such as --no-undo) and waits until its main window is visible; throws DriverError
  // when it ends first or takes too long.
  explicit Product(const Environment& environment = {}, const std::vector<std::wstring>& arguments = {});
  ~Product();

  ChildProcess& process() { return *process_; }
  HWND main_window() const { return main_window_; }
  // The radio button (any "Button" under the main window) captioned `caption`; null when absent.
  HWND Button(const std::wstring& caption) const;
  // Clicks the button by SendMessage; throws when it is missing or the click gets no answer.
  void Click(const std::wstring& caption) const;
  // Runs the figure of `caption` even when its button is selected already: selects
  // `other` first, as a user must.
  void Run(const std::wstring& caption, const std::wstring& other) const;
  bool Close();

 private:
  std::unique_ptr<ChildProcess> process_;
  HWND main_window_ = nullptr;
};

}  // namespace vandrel::e2e
