#include "scenario.h"

#include <windows.h>

#include <commctrl.h>

#include "wait.h"

namespace vandrel::e2e {

std::unique_ptr<Scenario::State> Scenario::state_;

bool Scenario::WorkAreaIs(WorkSize expected) {
  const RECT area = WorkArea();
  return area.left == 0 && area.top == 0 && area.right == expected.width && area.bottom == expected.height;
}

void Scenario::Begin(const StandinOptions& options, bool with_product, WorkSize expected) {
  state_ = std::make_unique<State>();
  try {
    // The figures' expected places are those of the given work area and a step of 75.
    const RECT area = WorkArea();
    const int spacing = GetSystemMetrics(SM_CYICONSPACING);
    if (!WorkAreaIs(expected) || spacing != 75) {
      throw DriverError("needs a " + std::to_string(expected.width) + " x " + std::to_string(expected.height) +
                        " work area and an icon spacing of 75 (tools/run-in-xvfb), found " +
                        std::to_string(area.right - area.left) + " x " + std::to_string(area.bottom - area.top) +
                        " and " + std::to_string(spacing));
    }
    state_->desktop = std::make_unique<StandinDesktop>(options);
    if (options.layout != L"none") {
      state_->view = std::make_unique<RemoteListView>(state_->desktop->list_view());
      state_->style_before = state_->view->Style();
      state_->extended_before = state_->view->ExtendedStyle();
    }
    if (with_product) {
      state_->data = std::make_unique<TempFolder>();
      state_->product = std::make_unique<Product>(DataFolderEnvironment(*state_->data));
    }
  } catch (const std::exception& e) {
    state_->error = e.what();
  }
}

void Scenario::End() {
  if (state_ == nullptr) return;
  // The product first: it must not find the view gone in the middle of something.
  state_->product.reset();
  state_->view.reset();
  state_->desktop.reset();
  state_.reset();  // the data folder last, once no program uses it
}

bool Scenario::StylesCleared(DWORD style, DWORD extended) {
  // FormShow runs on the product's thread while the window shows: poll rather than trust
  // that it ran before the window became visible.
  return WaitUntil(
      [&] {
        return view().Style() == (style & ~static_cast<DWORD>(LVS_AUTOARRANGE)) &&
               view().ExtendedStyle() == (extended & ~static_cast<DWORD>(LVS_EX_SNAPTOGRID));
      },
      Millis{5000});
}

void Scenario::Scatter() {
  const int count = view().ItemCount();
  for (int i = 0; i < count; ++i) view().SetItemPosition(i, {3 + 7 * (i % 50), 301 + 2 * (i / 50)});
}

}  // namespace vandrel::e2e
