// One end-to-end scenario: a stand-in desktop, the product beside it, and the list view
// read from the test. Started once for a whole test suite (SetUpTestSuite) or for one
// test (SetUp); a failed start is kept and reported by every test that needs it.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "driver_error.h"
#include "product.h"
#include "remote_list_view.h"
#include "standin_desktop.h"
#include "temp_folder.h"

namespace vandrel::e2e {

struct WorkSize {
  int width = 0;
  int height = 0;
};
// What tools/run-in-xvfb gives by default, and the figures' worked tables assume.
inline constexpr WorkSize kStandardWorkArea{1024, 738};

class Scenario : public ::testing::Test {
 protected:
  // Fails (error()) unless the work area is `area` at the origin and the icon spacing 75.
  // The product keeps its layouts and undo history in a fresh folder of the scenario's own.
  static void Begin(const StandinOptions& options, bool with_product, WorkSize area = kStandardWorkArea);
  static void End();

  static bool ready() { return state_ != nullptr && state_->error.empty(); }
  // Marks the scenario as failed to start, for a fixture that adds a step to Begin.
  static void Fail(const std::string& what) {
    if (state_ != nullptr && state_->error.empty()) state_->error = what;
  }
  static const std::string& error() { return state_->error; }
  static StandinDesktop& desktop() { return *state_->desktop; }
  static Product& product() { return *state_->product; }
  static RemoteListView& view() { return *state_->view; }
  // The view's styles as the stand-in set them up, before the product started.
  static DWORD style_before() { return state_->style_before; }
  static DWORD extended_before() { return state_->extended_before; }

  // Waits until the view's style word is `style` less LVS_AUTOARRANGE and its extended
  // style `extended` less LVS_EX_SNAPTOGRID: every other bit as it was.
  static bool StylesCleared(DWORD style, DWORD extended);
  // True when this process sees a work area of `area` at the origin: the display the
  // test runs in (tools/run-in-xvfb, VANDREL_SCREEN).
  static bool WorkAreaIs(WorkSize area);
  // Moves every icon to a place no figure of a 1024 x 738 work area uses, so that a
  // figure that did not run cannot pass for one that did.
  static void Scatter();

 private:
  struct State {
    std::string error;
    std::unique_ptr<TempFolder> data;
    std::unique_ptr<StandinDesktop> desktop;
    std::unique_ptr<RemoteListView> view;
    std::unique_ptr<Product> product;
    DWORD style_before = 0;
    DWORD extended_before = 0;
  };
  static std::unique_ptr<State> state_;
};

}  // namespace vandrel::e2e
