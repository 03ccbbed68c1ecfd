// The product against a shell that goes wrong in the middle of a figure: one whose
// view stops answering for a while (the stand-in's --hang-after), and one that dies
// (--exit-after). The product must not freeze with the first nor fall over with the
// second, and must go on working afterwards. The same hang met by the style write of
// FormShow (--hang-on-style), at start-up and when the window shows again.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "buttons.h"
#include "click_through_boxes.h"
#include "message_box.h"
#include "scenario.h"
#include "temp_folder.h"

namespace vandrel::e2e {
namespace {

using Boxes = std::vector<SeenBox>;
using Clock = std::chrono::steady_clock;

constexpr wchar_t kNotAnswering[] = L"The desktop did not answer in time; the icons stay where they are.";
// Four times the product's 3 s limit on a list-view message: a box that waited for
// the shell instead of the limit comes far too late to pass.
constexpr Millis kHang{12000};
constexpr Millis kWellUnderTheHang{6000};

Millis Since(Clock::time_point start) { return std::chrono::duration_cast<Millis>(Clock::now() - start); }

// On a 1024 x 738 work area with a step of 75: nine icons a column, thirteen a row.
Position LeftPlace(int i) { return {19 + 75 * (i / 9), 75 * (i % 9)}; }
Position TopPlace(int i) { return {75 * (i % 13 + 1) - 45, 75 * (i / 13)}; }

struct TimedClick {
  Boxes boxes;
  Millis to_first_box{-1};
  Millis to_end{-1};
};

TimedClick ClickAndTime(HWND button, DWORD process_id) {
  TimedClick click;
  const auto start = Clock::now();
  click.boxes = ClickThroughBoxes(button, process_id, [&](const SeenBox&) {
    if (click.to_first_box.count() < 0) click.to_first_box = Since(start);
  });
  click.to_end = Since(start);
  return click;
}

// Enough icons that a figure's placements go as one run from the product's sending
// thread, not one by one from its window thread.
constexpr int kHungIcons = 20;

class HungShell : public Scenario {
 protected:
  // The fifth placement hangs; the stand-in carries it out once the hang is over.
  static void SetUpTestSuite() {
    Begin({kHungIcons, L"progman", false, {L"--hang-after", L"4", L"--hang-ms", std::to_wstring(kHang.count())}},
          /*with_product=*/true);
  }
  static void TearDownTestSuite() { End(); }
};

TEST_F(HungShell, FiguresStopWithTheErrorBoxAndTheProductGoesOn) {
  ASSERT_TRUE(ready()) << error();
  // Not scattered: the stand-in counts every placement, the test's own included.
  const std::vector<Position> before = view().Positions();
  ASSERT_EQ(before.size(), std::size_t{kHungIcons});
  for (int i = 4; i < kHungIcons; ++i)
    ASSERT_NE(before[static_cast<std::size_t>(i)], LeftPlace(i)) << "icon " << i << " starts at its place";
  const HWND shell_view = view().window();
  const DWORD product_id = product().process().id();

  const TimedClick left = ClickAndTime(product().Button(L"left"), product_id);
  std::printf("left: error box after %lld ms, click ended after %lld ms\n",
              static_cast<long long>(left.to_first_box.count()), static_cast<long long>(left.to_end.count()));
  EXPECT_EQ(left.boxes, (Boxes{{kNotAnswering, true}}));
  EXPECT_GE(left.to_first_box, Millis{2500}) << "the product gives a slow shell its 3 s";
  EXPECT_LT(left.to_first_box, kWellUnderTheHang);
  EXPECT_LT(left.to_end, kWellUnderTheHang);
  EXPECT_TRUE(Answers(product().main_window(), Millis{1000}));
  EXPECT_FALSE(Answers(shell_view, Millis{100})) << "the shell answers again already: the test tells nothing";

  // A figure started while the shell still hangs stops at its first message.
  const TimedClick top = ClickAndTime(product().Button(L"top"), product_id);
  std::printf("top while hung: error box after %lld ms\n", static_cast<long long>(top.to_first_box.count()));
  EXPECT_EQ(top.boxes, (Boxes{{kNotAnswering, true}}));
  EXPECT_LT(top.to_end, kWellUnderTheHang);
  EXPECT_TRUE(Answers(product().main_window(), Millis{1000}));
  EXPECT_FALSE(Answers(shell_view, Millis{100})) << "the shell answers again already: the test tells nothing";

  ASSERT_TRUE(WaitUntil([&] { return Answers(shell_view, Millis{500}); }, kHang + Millis{15000}))
      << "the stand-in never answered again";
  const std::vector<Position> stopped = view().Positions();
  ASSERT_EQ(stopped.size(), std::size_t{kHungIcons});
  // Icon 4 is the placement the shell held: it lands once the shell wakes up. Nothing
  // after it was sent, and "top" placed nothing.
  for (int i = 0; i < 5; ++i) EXPECT_EQ(stopped[static_cast<std::size_t>(i)], LeftPlace(i)) << "icon " << i;
  for (std::size_t i = 5; i < std::size_t{kHungIcons}; ++i) EXPECT_EQ(stopped[i], before[i]) << "icon " << i;

  // With the shell back, a figure runs to its end.
  product().Run(L"top", L"left");
  if (const HWND box = FindMessageBox(product_id)) {
    ADD_FAILURE() << "a box after the shell came back: " << Narrow(MessageBoxText(box));
  }
  const std::vector<Position> laid = view().Positions();
  ASSERT_EQ(laid.size(), std::size_t{kHungIcons});
  for (int i = 0; i < kHungIcons; ++i) EXPECT_EQ(laid[static_cast<std::size_t>(i)], TopPlace(i)) << "icon " << i;
}

class HungShellAtShow : public Scenario {
 protected:
  static StandinOptions HangOnStyleWrite(int after) {
    return {15, L"progman", false,
            {L"--hang-on-style", std::to_wstring(after), L"--hang-ms", std::to_wstring(kHang.count())}};
  }
  void TearDown() override { End(); }

  // The error box that `start` led to: it names the shell, within the limit and far
  // from the hang's end; closed, the product answers again while the shell still hangs.
  static void ExpectTheErrorBoxSoon(DWORD product_id, HWND main, Clock::time_point start) {
    const HWND box = WaitForMessageBox(product_id, kHang);
    const Millis to_box = Since(start);
    std::printf("error box after %lld ms\n", static_cast<long long>(to_box.count()));
    ASSERT_NE(box, nullptr) << "no error box";
    EXPECT_EQ((SeenBox{MessageBoxText(box), ShowsIcon(box)}), (SeenBox{kNotAnswering, true}));
    EXPECT_LT(to_box, kWellUnderTheHang);
    EXPECT_TRUE(IsWindowVisible(main)) << "the box came before the window";
    EXPECT_TRUE(PressOk(box));
    EXPECT_TRUE(Answers(main, Millis{1000}));
  }
  // Once the shell wakes, the write it held lands: auto-arrange is off after all.
  static void ExpectTheHeldWriteToLand() {
    EXPECT_FALSE(Answers(view().window(), Millis{100})) << "the shell answers again already: the test tells nothing";
    ASSERT_TRUE(WaitUntil([] { return Answers(view().window(), Millis{500}); }, kHang + Millis{15000}));
    EXPECT_EQ(view().Style() & LVS_AUTOARRANGE, 0u);
  }
};

TEST_F(HungShellAtShow, TheWindowComesUpAtStartAndTheErrorBoxSaysWhy) {
  Begin(HangOnStyleWrite(0), /*with_product=*/false);
  ASSERT_TRUE(ready()) << error();
  const TempFolder data;
  const auto start = Clock::now();
  Product vandrel(DataFolderEnvironment(data));
  const Millis to_window = Since(start);
  std::printf("start-up: window after %lld ms\n", static_cast<long long>(to_window.count()));
  EXPECT_LT(to_window, kWellUnderTheHang);
  ExpectTheErrorBoxSoon(vandrel.process().id(), vandrel.main_window(), start);
  ExpectTheHeldWriteToLand();
}

TEST_F(HungShellAtShow, TheWindowReturnsWhenShownAgainAndTheErrorBoxSaysWhy) {
  // The first write is the product's at start-up, the second the test's own; the
  // third, the product's when its window shows again, hangs.
  Begin(HangOnStyleWrite(2), /*with_product=*/true);
  ASSERT_TRUE(ready()) << error();
  ASSERT_TRUE(StylesCleared(style_before(), extended_before()));
  view().SetStyle(view().Style() | LVS_AUTOARRANGE);
  const HWND main = product().main_window();
  ShowWindow(main, SW_HIDE);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(main); }, kActionTimeout));

  const auto start = Clock::now();
  ASSERT_TRUE(ShowWindowAsync(main, SW_SHOW));
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != FALSE; }, kHang + Millis{5000}));
  const Millis to_window = Since(start);
  std::printf("shown again: window after %lld ms\n", static_cast<long long>(to_window.count()));
  EXPECT_LT(to_window, kWellUnderTheHang);
  ExpectTheErrorBoxSoon(product().process().id(), main, start);
  ExpectTheHeldWriteToLand();
}

class VanishingShell : public Scenario {
 protected:
  // Enough icons that the figure is far from its end when the 101st placement ends
  // the stand-in; painting kept cheap so that the first hundred go quickly.
  static void SetUpTestSuite() { Begin({500, L"progman", true, {L"--exit-after", L"100"}}, /*with_product=*/true); }
  static void TearDownTestSuite() { End(); }
};

TEST_F(VanishingShell, TheFigureRunsOnIntoNothingAndTheNextFindsNoView) {
  ASSERT_TRUE(ready()) << error();
  const DWORD product_id = product().process().id();
  const HWND shell_view = view().window();

  const TimedClick left = ClickAndTime(product().Button(L"left"), product_id);
  std::printf("left into a dying shell: click ended after %lld ms\n", static_cast<long long>(left.to_end.count()));
  EXPECT_EQ(left.boxes, Boxes{});
  ASSERT_TRUE(desktop().process().WaitForExit(Millis{10000})) << "the stand-in is still running";
  EXPECT_EQ(desktop().process().exit_code(), 4u) << "the stand-in ended otherwise than by --exit-after";
  EXPECT_FALSE(IsWindow(shell_view));
  EXPECT_LT(left.to_end, Millis{3000}) << "a message to a vanished view is answered at once";
  EXPECT_TRUE(product().process().running());
  EXPECT_TRUE(Answers(product().main_window()));

  for (const wchar_t* caption : {L"right", L"bottom"}) {
    SCOPED_TRACE(Narrow(caption));
    const HWND button = product().Button(caption);
    EXPECT_EQ(ClickAndTime(button, product_id).boxes, Boxes{});
    EXPECT_TRUE(IsChecked(button));
    EXPECT_TRUE(product().process().running());
    EXPECT_TRUE(Answers(product().main_window()));
  }
}

}  // namespace
}  // namespace vandrel::e2e
