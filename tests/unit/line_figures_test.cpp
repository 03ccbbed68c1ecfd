#include "arrange/line_figures.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>

#include "test_desktop.h"

namespace vandrel::arrange {
namespace {

using testing::InOrder;
using testing::TestDesktop;
using Figure = std::function<void(DesktopIconView&, std::int32_t)>;

// The last `count` placements sent (AlignBottom's second pass, for one).
std::vector<Placement> Last(const std::vector<Placement>& all, std::size_t count) {
  return {all.end() - static_cast<std::ptrdiff_t>(std::min(count, all.size())), all.end()};
}

std::vector<Placement> Laid(const Figure& figure, std::int32_t icons, std::int32_t a, Rect area = {0, 0, 1024, 738}) {
  TestDesktop d(icons, ShellLayout::Progman, area);
  figure(d.view, a);
  return Last(d.placements(), static_cast<std::size_t>(icons));
}

TEST(LineFigures, WorkedTableForFifteenIcons) {
  const struct { const char* name; Figure figure; std::vector<std::pair<int, int>> xy; } cases[] = {
      {"AlignTop", AlignTop,
       {{30, 0}, {105, 0}, {180, 0}, {255, 0}, {330, 0}, {405, 0}, {480, 0}, {555, 0}, {630, 0}, {705, 0},
        {780, 0}, {855, 0}, {930, 0}, {30, 75}, {105, 75}}},
      {"AlignBottom", AlignBottom,
       {{30, 588}, {105, 588}, {180, 588}, {255, 588}, {330, 588}, {405, 588}, {480, 588}, {555, 588},
        {630, 588}, {705, 588}, {780, 588}, {855, 588}, {930, 588}, {30, 663}, {105, 663}}},
      {"AlignRight", AlignRight,
       {{949, 0}, {949, 75}, {949, 150}, {949, 225}, {949, 300}, {949, 375}, {949, 450}, {949, 525},
        {949, 600}, {874, 0}, {874, 75}, {874, 150}, {874, 225}, {874, 300}, {874, 375}}},
      {"AlignLeft", AlignLeft,
       {{19, 0}, {19, 75}, {19, 150}, {19, 225}, {19, 300}, {19, 375}, {19, 450}, {19, 525}, {19, 600},
        {94, 0}, {94, 75}, {94, 150}, {94, 225}, {94, 300}, {94, 375}}},
  };
  for (const auto& c : cases) EXPECT_EQ(Laid(c.figure, 15, 75), InOrder(c.xy)) << c.name;
}

TEST(LineFigures, TestWindowStepOf77) {
  const auto top = Laid(AlignTop, 15, 77);
  EXPECT_EQ(top[0], (Placement{0, 31, 0}));
  EXPECT_EQ(top[1], (Placement{1, 108, 0}));
  EXPECT_EQ(top[2], (Placement{2, 185, 0}));
  EXPECT_EQ(top[12], (Placement{12, 955, 0}));
  EXPECT_EQ(top[13], (Placement{13, 31, 77}));

  const auto bottom = Laid(AlignBottom, 15, 77);
  EXPECT_EQ(bottom[0], (Placement{0, 31, 584}));
  EXPECT_EQ(bottom[14], (Placement{14, 108, 661}));

  const auto right = Laid(AlignRight, 15, 77);
  const auto left = Laid(AlignLeft, 15, 77);
  for (int i = 0; i < 9; ++i) {
    const auto at = static_cast<std::size_t>(i);
    EXPECT_EQ(right[at], (Placement{i, 947, 77 * i}));
    EXPECT_EQ(left[at], (Placement{i, 19, 77 * i}));
  }
  EXPECT_EQ(right[9], (Placement{9, 870, 0}));
  EXPECT_EQ(left[9], (Placement{9, 96, 0}));
  EXPECT_EQ(left[8].y, 616);
}

TEST(LineFigures, AProductEqualToTheBoundStillFits) {
  // 75 * 13 = 975: a row of 975 holds 13 icons, a row of 974 only 12.
  EXPECT_EQ(Laid(AlignTop, 14, 75, {0, 0, 975, 738})[12], (Placement{12, 930, 0}));
  EXPECT_EQ(Laid(AlignTop, 14, 75, {0, 0, 974, 738})[12], (Placement{12, 30, 75}));
  EXPECT_EQ(Laid(AlignLeft, 10, 75, {0, 0, 1024, 675})[8], (Placement{8, 19, 600}));
  EXPECT_EQ(Laid(AlignLeft, 10, 75, {0, 0, 1024, 674})[8], (Placement{8, 94, 0}));
}

TEST(LineFigures, AStepAboveTheBoundGivesEveryIconALineOfItsOwn) {
  EXPECT_EQ(Laid(AlignLeft, 3, 75, {0, 0, 1024, 60}), InOrder({{94, 0}, {169, 0}, {244, 0}}));
  EXPECT_EQ(Laid(AlignRight, 3, 75, {0, 0, 1024, 60}), InOrder({{874, 0}, {799, 0}, {724, 0}}));
  EXPECT_EQ(Laid(AlignTop, 3, 75, {0, 0, 60, 738}), InOrder({{30, 75}, {30, 150}, {30, 225}}));
  // D = 738 - 75 * 4 = 438
  EXPECT_EQ(Laid(AlignBottom, 3, 75, {0, 0, 60, 738}), InOrder({{30, 513}, {30, 588}, {30, 663}}));
}

TEST(LineFigures, AStepOfZeroNeverWraps) {
  EXPECT_EQ(Laid(AlignTop, 3, 0), InOrder({{0, 0}, {0, 0}, {0, 0}}));
  EXPECT_EQ(Laid(AlignLeft, 3, 0), InOrder({{0, 0}, {0, 0}, {0, 0}}));
  EXPECT_EQ(Laid(AlignRight, 3, 0), InOrder({{1024, 0}, {1024, 0}, {1024, 0}}));
  TestDesktop d(3);
  AlignBottom(d.view, 0);
  EXPECT_EQ(d.placements(), (std::vector<Placement>{{0, 0, 0}, {1, 0, 0}, {2, 0, 0},
                                                     {0, 0, 738}, {1, 0, 738}, {2, 0, 738}}));
}

TEST(LineFigures, AlignLeftRoundsHalfwayColumnsToEven) {
  const struct { std::int32_t a; std::vector<int> columns; } cases[] = {
      {74, {18, 92, 166}}, {78, {20, 98, 176}}, {75, {19, 94, 169}}, {2, {0, 2, 4}}, {6, {2, 8, 14}}, {10, {2, 12, 22}},
  };
  for (const auto& c : cases) {
    // A work area as high as one step: one icon per column.
    const auto placed = Laid(AlignLeft, 3, c.a, {0, 0, 1024, c.a});
    for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(placed[i].x, c.columns[i]) << "a=" << c.a << " column " << i;
  }
}

TEST(LineFigures, OverflowingColumnsAndRowsRunPastTheEdges) {
  const auto right = Laid(AlignRight, 118, 75);
  EXPECT_EQ(right[116], (Placement{116, 49, 600}));
  EXPECT_EQ(right[117], (Placement{117, -26, 0}));
  EXPECT_EQ(Laid(AlignLeft, 118, 75)[117], (Placement{117, 994, 0}));

  TestDesktop d(118);
  AlignRight(d.view, 75);
  EXPECT_EQ(static_cast<std::uint32_t>(d.recorder.messages().back().lparam) & 0xFFFF, 65510u);

  // D = 738 - 75 * 16 = -462
  const auto bottom = Laid(AlignBottom, 200, 75);
  EXPECT_EQ(bottom[0], (Placement{0, 30, -462}));
  EXPECT_EQ(bottom[199], (Placement{199, 330, 663}));
  EXPECT_EQ(Laid(AlignTop, 200, 75)[199], (Placement{199, 330, 1125}));
}

TEST(LineFigures, EmptyDesktopOrMissingViewSendsOnlyCountRequests) {
  const struct { const char* name; Figure figure; std::size_t counts; } cases[] = {
      {"AlignLeft", AlignLeft, 1}, {"AlignRight", AlignRight, 1}, {"AlignTop", AlignTop, 1},
      {"AlignBottom", AlignBottom, 2},
  };
  for (const auto& c : cases) {
    for (ShellLayout layout : {ShellLayout::Progman, ShellLayout::None}) {
      TestDesktop d(0, layout);
      c.figure(d.view, 75);
      const WindowHandle v = d.shell.list_view();
      EXPECT_EQ(d.recorder.messages(), std::vector<SentMessage>(c.counts, SentMessage{v, lvm::kGetItemCount, 0, 0}))
          << c.name;
    }
  }
}

TEST(LineFigures, EachFigureReadsViewThenWorkAreaThenCount) {
  for (const Figure& figure : {Figure(AlignLeft), Figure(AlignRight), Figure(AlignTop), Figure(AlignBottom)}) {
    TestDesktop d(1);
    figure(d.view, 75);
    EXPECT_TRUE(testing::BeginsLikeAFigure(d));
  }
}

TEST(AlignBottom, AsksTheCountAfterEveryFirstPassPlacement) {
  TestDesktop d(3);
  AlignBottom(d.view, 75);
  using namespace lvm;
  EXPECT_EQ(d.recorder.message_numbers(),
            (std::vector<std::uint32_t>{kGetItemCount, kSetItemPosition, kGetItemCount, kSetItemPosition,
                                        kGetItemCount, kSetItemPosition, kGetItemCount, kGetItemCount,
                                        kSetItemPosition, kSetItemPosition, kSetItemPosition}));
  EXPECT_EQ(d.placements(), (std::vector<Placement>{{0, 30, 0}, {1, 105, 0}, {2, 180, 0},
                                                     {0, 30, 663}, {1, 105, 663}, {2, 180, 663}}));
}

TEST(AlignBottom, ACountThatMovesDuringTheFirstPassLowersRowsAsIfItHeldStill) {
  // 13 icons fill one row; a 14th arriving after the first placement needs a second
  // row, and no count read during the first pass matches the icon just placed.
  TestDesktop d(13);
  bool added = false;
  d.shell.after_message = [&](std::uint32_t message, std::uintptr_t) {
    if (message == lvm::kSetItemPosition && !added) {
      added = true;
      d.shell.icons().push_back({"late", 0, 0});
    }
  };
  AlignBottom(d.view, 75);
  EXPECT_EQ(Last(d.placements(), 14), Laid(AlignBottom, 14, 75));
  EXPECT_EQ(Last(d.placements(), 14)[13], (Placement{13, 30, 663}));

  // An empty desktop at the start that has icons by the second pass.
  TestDesktop late(0);
  late.shell.after_message = [&](std::uint32_t message, std::uintptr_t) {
    if (message == lvm::kGetItemCount && late.shell.icons().empty()) late.shell.SetIconCount(2);
  };
  AlignBottom(late.view, 75);
  EXPECT_EQ(late.placements(), InOrder({{30, 663}, {105, 663}}));
}

TEST(LineFigures, ExtremeStepsAndWorkAreasNeitherCrashNorRaise) {
  const std::int32_t steps[] = {INT_MIN, INT_MIN + 1, -75, -1, 1, INT_MAX - 1, INT_MAX};
  const Rect areas[] = {{0, 0, 1024, 738}, {INT_MIN, INT_MIN, INT_MAX, INT_MAX}, {0, 0, 0, 0}, {5, 5, -5, -5}};
  for (const Figure& figure : {Figure(AlignLeft), Figure(AlignRight), Figure(AlignTop), Figure(AlignBottom)}) {
    for (std::int32_t a : steps) {
      for (const Rect& area : areas) {
        TestDesktop d(4, ShellLayout::Progman, area);
        EXPECT_NO_THROW(figure(d.view, a)) << "a=" << a;
        EXPECT_GE(d.placements().size(), 4u);
      }
    }
  }
}

TEST(LineFigures, ANegativeStepNeverWraps) {
  // With a <= 0 every icon stays on line 0: x runs backwards from the edge.
  EXPECT_EQ(Laid(AlignLeft, 3, -10), InOrder({{-2, 0}, {-2, -10}, {-2, -20}}));
  EXPECT_EQ(Laid(AlignTop, 2, -10), InOrder({{-4, 0}, {-14, 0}}));
}

TEST(LineFigures, PositionsAreMeasuredFromZeroWhateverTheWorkAreaOrigin) {
  EXPECT_EQ(Laid(AlignRight, 1, 75, {100, 40, 1124, 778}), InOrder({{949, 0}}));
  EXPECT_EQ(Laid(AlignBottom, 1, 75, {100, 40, 1124, 778}), InOrder({{30, 663}}));
}

}  // namespace
}  // namespace vandrel::arrange

namespace vandrel::arrange {
namespace {

TEST(LineFigures, AFigureStopsWhereTheShellStopsAnswering) {
  TestDesktop d(15);
  for (auto& icon : d.shell.icons()) icon.x = icon.y = 500;
  d.shell.StopAnsweringAfter(1 + 4);  // the count, then four placements
  EXPECT_THROW(AlignTop(d.view, 75), ShellNotAnswering);
  EXPECT_EQ(d.shell.icons()[3].x, 255);
  EXPECT_EQ(d.shell.icons()[4].x, 500);  // the placements sent later never arrived
}

}  // namespace
}  // namespace vandrel::arrange
