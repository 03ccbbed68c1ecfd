// The test window's read-outs and switches: the label colours, one icon's label, the
// icon metrics and the view's spacing, and the error box for an edit box whose text is
// no integer. The stand-in's icon 14 carries a label of 130 bytes.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <string>
#include <vector>

#include "bench_scenario.h"
#include "buttons.h"

namespace vandrel::e2e {
namespace {

using Boxes = std::vector<SeenBox>;

class TestWindowReadouts : public BenchScenario {
 protected:
  static void SetUpTestSuite() { BeginWithBench({15, L"progman", false, {L"--long-label", L"14"}}); }
  static void TearDownTestSuite() { EndWithBench(); }
};

TEST_F(TestWindowReadouts, ColourButtonDrawsTheLabelsRedWithoutBackground) {
  ASSERT_TRUE(ready()) << error();
  ASSERT_NE(view().TextColor(), 0x000000FFu) << "the stand-in's labels must not start red";
  ASSERT_NE(view().TextBackgroundColor(), CLR_NONE) << "the stand-in's labels must start with a background";
  // A second click changes nothing: nothing in the window restores the old colours.
  for (int click = 1; click <= 2; ++click) {
    SCOPED_TRACE("click " + std::to_string(click));
    EXPECT_EQ(bench().Click(L"颜色"), Boxes{});
    EXPECT_EQ(view().TextColor(), 0x000000FFu);
    EXPECT_EQ(view().TextBackgroundColor(), CLR_NONE);
  }
}

TEST_F(TestWindowReadouts, NameShowsTheLabelOfTheTypedIndex) {
  ASSERT_TRUE(ready()) << error();
  // The read takes at most 100 bytes and the box shows the text before the first zero,
  // so a label longer than that shows its first 99 bytes.
  std::wstring long_label;
  while (long_label.size() < 99) long_label += L"0123456789";
  long_label.resize(99);
  const struct {
    const wchar_t* typed;
    std::wstring shown;
  } cases[] = {
      {L"3", L"Icon 3"},
      {L" 3", L"Icon 3"},   // leading spaces are allowed
      {L"$A", L"Icon 10"},  // hexadecimal
      {L"14", long_label},
      {L"15", L""},  // no such icon: the view writes nothing
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("typed \"" + Narrow(c.typed) + "\"");
    bench().Type(kEdit1Id, c.typed);
    EXPECT_EQ(bench().Click(L"名称"), (Boxes{{c.shown, false}}));
  }
}

TEST_F(TestWindowReadouts, TextsThatAreNoIntegerShowTheErrorBoxAndMoveNothing) {
  ASSERT_TRUE(ready()) << error();
  Scatter();
  const std::vector<Position> scattered = view().Positions();
  const struct {
    int edit;
    const wchar_t* button;
  } readers[] = {{kEdit1Id, L"名称"}, {kEdit3Id, L"f_circle"}};
  for (const auto& reader : readers) {
    // A trailing space is not allowed, nor an empty box.
    for (const std::wstring typed : {L"abc", L"", L"3 "}) {
      SCOPED_TRACE(Narrow(reader.button) + " with \"" + Narrow(typed) + "\"");
      bench().Type(reader.edit, typed);
      EXPECT_EQ(bench().Click(reader.button), (Boxes{{L"'" + typed + L"' is not a valid integer value.", true}}));
    }
  }
  EXPECT_EQ(view().Positions(), scattered);
  EXPECT_TRUE(IsWindowVisible(bench().window()));
  EXPECT_TRUE(Answers(bench().window())) << "the program goes on after the error box";
}

TEST_F(TestWindowReadouts, SpacingButtonShowsIconHeightWidthAndSpacing) {
  ASSERT_TRUE(ready()) << error();
  // The product reads the metrics of the same system as this process.
  const std::wstring expected = L"高度=" + std::to_wstring(GetSystemMetrics(SM_CYICON)) + L",宽度=" +
                                std::to_wstring(GetSystemMetrics(SM_CXICON)) + L",间距=" +
                                std::to_wstring(GetSystemMetrics(SM_CYICONSPACING));
  EXPECT_EQ(bench().Click(L"间距"), (Boxes{{expected, false}}));
}

TEST_F(TestWindowReadouts, Button12ShowsTheViewsPackedSmallIconSpacingAsOneNumber) {
  ASSERT_TRUE(ready()) << error();
  // Wine's list view answers a spacing of its own, not 75 by 75: compare with its answer.
  const auto packed = static_cast<std::int32_t>(view().ItemSpacing(true));
  EXPECT_EQ(bench().Click(L"Button12"), (Boxes{{std::to_wstring(packed), false}}))
      << "vertical " << (packed >> 16) << ", horizontal " << (packed & 0xFFFF);
}

}  // namespace
}  // namespace vandrel::e2e
