// The product against the shell window trees it may meet: none at all, and the two
// trees where the icon view sits under a "WorkerW" window.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include "buttons.h"
#include "message_box.h"
#include "scenario.h"

namespace vandrel::e2e {
namespace {

class NoShellView : public Scenario {
 protected:
  static void SetUpTestSuite() { Begin({15, L"none"}, /*with_product=*/true); }
  static void TearDownTestSuite() { End(); }
};

TEST_F(NoShellView, FiguresFindNothingToMoveAndTheProductGoesOn) {
  ASSERT_TRUE(ready()) << error();
  ASSERT_EQ(desktop().list_view(), nullptr);
  for (const wchar_t* caption : {L"left", L"right", L"top", L"bottom"}) {
    SCOPED_TRACE(Narrow(caption));
    const HWND button = product().Button(caption);
    ASSERT_NE(button, nullptr);
    EXPECT_TRUE(Click(button));
    EXPECT_TRUE(IsChecked(button));
    EXPECT_EQ(FindMessageBox(product().process().id()), nullptr) << "a figure with no view shows nothing";
  }
  EXPECT_TRUE(product().process().running());
  EXPECT_TRUE(Answers(product().main_window()));
  EXPECT_TRUE(IsWindowVisible(product().main_window()));
  EXPECT_TRUE(desktop().process().running());
}

TEST_F(NoShellView, ClosingTheMainWindowEndsTheProgram) {
  ASSERT_TRUE(ready()) << error();
  Product second;
  EXPECT_TRUE(second.Close()) << "still running after WM_CLOSE, terminated";
  EXPECT_EQ(second.process().exit_code(), 0u);
}

class WorkerWLayouts : public Scenario, public ::testing::WithParamInterface<const wchar_t*> {
 protected:
  void SetUp() override { Begin({15, GetParam()}, /*with_product=*/true); }
  void TearDown() override { End(); }
};

TEST_P(WorkerWLayouts, TheViewIsFoundForTheStylesAndTheFigures) {
  ASSERT_TRUE(ready()) << error();
  EXPECT_TRUE(StylesCleared(style_before(), extended_before()))
      << std::hex << "style " << view().Style() << ", extended " << view().ExtendedStyle();

  Scatter();
  product().Run(L"left", L"right");
  const std::vector<Position> laid = view().Positions();
  ASSERT_EQ(laid.size(), 15u);
  for (int i = 0; i < 15; ++i)
    EXPECT_EQ(laid[static_cast<std::size_t>(i)], (Position{19 + 75 * (i / 9), 75 * (i % 9)})) << "icon " << i;
}

INSTANTIATE_TEST_SUITE_P(Layouts, WorkerWLayouts, ::testing::Values(L"win10", L"24h2"), [](const auto& instance) {
  return std::string(instance.param == std::wstring(L"win10") ? "Win10" : "Win11_24H2");
});

}  // namespace
}  // namespace vandrel::e2e
