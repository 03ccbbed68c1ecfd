// The four line figures of the main window, run against the stand-in desktop and read
// back from its list view: the worked table of 15 icons, lines that overflow the work
// area, the style switches of FormShow, and the click on a button already selected.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include "buttons.h"
#include "product.h"
#include "remote_list_view.h"
#include "scenario.h"
#include "standin_desktop.h"

namespace vandrel::e2e {
namespace {

std::vector<Position> Table(std::initializer_list<Position> rows) { return rows; }

class FifteenIcons : public Scenario {
 protected:
  static void SetUpTestSuite() { Begin({15}, /*with_product=*/true); }
  static void TearDownTestSuite() { End(); }
};

TEST_F(FifteenIcons, ShowingTheWindowClearedAutoArrangeAndSnapToGridOnly) {
  ASSERT_TRUE(ready()) << error();
  ASSERT_TRUE(style_before() & LVS_AUTOARRANGE) << "the stand-in starts auto-arranged";
  ASSERT_TRUE(extended_before() & LVS_EX_SNAPTOGRID) << "the stand-in starts snapping to its grid";
  EXPECT_TRUE(StylesCleared(style_before(), extended_before()))
      << std::hex << "style " << view().Style() << ", extended " << view().ExtendedStyle();
}

TEST_F(FifteenIcons, HidingAndShowingTheWindowClearsTheStylesAgain) {
  ASSERT_TRUE(ready()) << error();
  view().SetStyle(view().Style() | LVS_AUTOARRANGE);
  view().SetExtendedStyle(LVS_EX_SNAPTOGRID, LVS_EX_SNAPTOGRID);
  const DWORD style = view().Style();
  const DWORD extended = view().ExtendedStyle();
  ASSERT_TRUE((style & LVS_AUTOARRANGE) && (extended & LVS_EX_SNAPTOGRID)) << "the driver could not set them";

  const HWND main = product().main_window();
  ShowWindow(main, SW_HIDE);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(main); }, kActionTimeout));
  ShowWindow(main, SW_SHOW);
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != FALSE; }, kActionTimeout));
  EXPECT_TRUE(StylesCleared(style, extended))
      << std::hex << "style " << view().Style() << ", extended " << view().ExtendedStyle();
}

TEST_F(FifteenIcons, EachLineFigureLaysOutTheWorkedTable) {
  ASSERT_TRUE(ready()) << error();
  ASSERT_EQ(view().ItemCount(), 15);
  const struct {
    const wchar_t* caption;
    std::vector<Position> positions;
  } cases[] = {
      {L"left", Table({{19, 0}, {19, 75}, {19, 150}, {19, 225}, {19, 300}, {19, 375}, {19, 450}, {19, 525},
                       {19, 600}, {94, 0}, {94, 75}, {94, 150}, {94, 225}, {94, 300}, {94, 375}})},
      {L"right", Table({{949, 0}, {949, 75}, {949, 150}, {949, 225}, {949, 300}, {949, 375}, {949, 450},
                        {949, 525}, {949, 600}, {874, 0}, {874, 75}, {874, 150}, {874, 225}, {874, 300},
                        {874, 375}})},
      {L"top", Table({{30, 0}, {105, 0}, {180, 0}, {255, 0}, {330, 0}, {405, 0}, {480, 0}, {555, 0}, {630, 0},
                      {705, 0}, {780, 0}, {855, 0}, {930, 0}, {30, 75}, {105, 75}})},
      {L"bottom", Table({{30, 588}, {105, 588}, {180, 588}, {255, 588}, {330, 588}, {405, 588}, {480, 588},
                         {555, 588}, {630, 588}, {705, 588}, {780, 588}, {855, 588}, {930, 588}, {30, 663},
                         {105, 663}})},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Narrow(c.caption));
    Scatter();
    product().Run(c.caption, L"left" == std::wstring(c.caption) ? L"right" : L"left");
    EXPECT_EQ(view().Positions(), c.positions);
  }
}

TEST_F(FifteenIcons, ClickingTheSelectedButtonAgainRunsNothing) {
  ASSERT_TRUE(ready()) << error();
  product().Run(L"top", L"left");
  const HWND top = product().Button(L"top");
  ASSERT_TRUE(IsChecked(top));
  view().SetItemPosition(3, {500, 400});
  std::vector<Position> expected = view().Positions();
  ASSERT_EQ(expected[3], (Position{500, 400}));

  ASSERT_TRUE(Click(top));
  EXPECT_TRUE(IsChecked(top));
  EXPECT_EQ(view().Positions(), expected);
}

// 200 icons: more columns than fit across 1024 pixels (9 icons a column), more rows
// than fit down 738 (13 icons a row).
class OverflowingLines : public Scenario {
 protected:
  static void SetUpTestSuite() { Begin({200, L"progman", true}, /*with_product=*/true); }
  static void TearDownTestSuite() { End(); }
};

// Where icon i of `caption` lies on a 1024 x 738 work area with a step of 75: line
// L = i / k and place b = i mod k + 1 on lines of k icons.
Position Expected(const std::wstring& caption, int i, int n) {
  constexpr int a = 75, W = 1024, H = 738, column = 9, row = 13;
  if (caption == L"left") return {a * (i / column) + 19, a * (i % column)};
  if (caption == L"right") return {W - a * (i / column + 1), a * (i % column)};
  const int lowered = caption == L"bottom" ? H - a * ((n - 1) / row + 1) : 0;
  return {a * (i % row + 1) - 45, a * (i / row) + lowered};
}

TEST_F(OverflowingLines, LinesGoOnPastTheFarEdge) {
  ASSERT_TRUE(ready()) << error();
  const int n = view().ItemCount();
  ASSERT_EQ(n, 200);
  const struct {
    const wchar_t* caption;
    std::vector<std::pair<int, Position>> spots;
  } cases[] = {
      {L"right", {{116, {49, 600}}, {117, {-26, 0}}, {199, {-701, 75}}}},
      {L"left", {{116, {919, 600}}, {117, {994, 0}}}},
      {L"bottom", {{0, {30, -462}}, {12, {930, -462}}, {199, {330, 663}}}},
      {L"top", {{0, {30, 0}}, {195, {30, 1125}}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Narrow(c.caption));
    product().Run(c.caption, L"right" == std::wstring(c.caption) ? L"left" : L"right");
    const std::vector<Position> laid = view().Positions();
    ASSERT_EQ(laid.size(), 200u);
    for (const auto& [index, at] : c.spots) EXPECT_EQ(laid[static_cast<std::size_t>(index)], at) << "icon " << index;
    for (int i = 0; i < n; ++i) ASSERT_EQ(laid[static_cast<std::size_t>(i)], Expected(c.caption, i, n)) << "icon " << i;
  }
}

}  // namespace
}  // namespace vandrel::e2e
