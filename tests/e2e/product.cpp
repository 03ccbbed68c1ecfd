#include "product.h"

#include "buttons.h"
#include "driver_error.h"
#include "window_search.h"

namespace vandrel::e2e {

Product::Product(const Environment& environment, const std::vector<std::wstring>& arguments) {
  process_ = std::make_unique<ChildProcess>(ProgramFolder() + L"\\vandrel.exe", arguments, ChildOptions{environment});
  const WindowQuery query{kMainWindowClass, std::nullopt, process_->id(), true};
  WaitUntil([&] { return (main_window_ = FindTopLevel(query)) != nullptr || !process_->running(); }, kStartTimeout);
  if (main_window_ == nullptr) {
    throw DriverError(process_->running()
                          ? "vandrel.exe showed no TF_icon_cn window in time"
                          : "vandrel.exe ended at start, exit code " + std::to_string(process_->exit_code()));
  }
}

Product::~Product() { Close(); }

HWND Product::Button(const std::wstring& caption) const { return FindDescendant(main_window_, {L"Button", caption}); }

void Product::Click(const std::wstring& caption) const {
  const HWND button = Button(caption);
  if (button == nullptr) throw DriverError("no button \"" + Narrow(caption) + "\" on the main window");
  if (!e2e::Click(button)) throw DriverError("the click on \"" + Narrow(caption) + "\" got no answer");
}

void Product::Run(const std::wstring& caption, const std::wstring& other) const {
  const HWND button = Button(caption);
  if (button != nullptr && IsChecked(button)) Click(other);
  Click(caption);
}

bool Product::Close() { return process_->Close(main_window_, Millis{10000}); }

}  // namespace vandrel::e2e
