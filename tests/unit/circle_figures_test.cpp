#include "arrange/circle_figures.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <functional>
#include <string>

#include "arrange/numeric.h"
#include "test_desktop.h"

namespace vandrel::arrange {
namespace {

using testing::InOrder;
using testing::TestDesktop;
using Figure = std::function<void(DesktopIconView&)>;

constexpr char kRing[] = "f_Circle_one";
constexpr char kTooSmall[] = "Radius is too small.Please enlarge radius!";

const Figure kMainCircle = [](DesktopIconView& v) { p_Circle(v); };
Figure TestCircle(std::int32_t radius) {
  return [radius](DesktopIconView& v) { Circle(v, radius); };
}
Figure Rings(std::int32_t radius) {
  return [radius](DesktopIconView& v) { RingCircle(v, radius); };
}

std::vector<Placement> Laid(const Figure& figure, std::int32_t icons, Rect area = {0, 0, 1024, 738}) {
  TestDesktop d(icons, ShellLayout::Progman, area);
  figure(d.view);
  return d.placements();
}

// The run as the user sees it, read from the one log that holds both placements and
// message boxes: runs of consecutive items as "items 0-33", and each box's text.
std::vector<std::string> Course(const RecordingPort& recorder) {
  std::vector<std::string> out;
  long first = -1;
  long last = -1;
  const auto flush = [&] {
    if (first >= 0) out.push_back("items " + std::to_string(first) + "-" + std::to_string(last));
    first = last = -1;
  };
  for (const std::string& line : recorder.lines()) {
    const std::string set = "LVM_SETITEMPOSITION, ";
    if (const auto at = line.find(set); at != std::string::npos) {
      const long index = std::stol(line.substr(at + set.size()), nullptr, 16);
      if (first >= 0 && index != last + 1) flush();
      if (first < 0) first = index;
      last = index;
    } else if (line.rfind("MessageBox(\"", 0) == 0) {
      flush();
      out.push_back(line.substr(12, line.size() - 14));
    }
  }
  flush();
  return out;
}

struct RingRun {
  std::vector<std::string> course;
  std::vector<Placement> placements;
};

RingRun RunRings(std::int32_t radius, std::int32_t icons, std::int32_t spacing = 75,
                 Rect area = {0, 0, 1024, 738}) {
  TestDesktop d(icons, ShellLayout::Progman, area);
  d.shell.SetMetric(SystemMetric::IconSpacingY, spacing);
  RingCircle(d.view, radius);
  return {Course(d.recorder), d.placements()};
}

TEST(CircleFigures, WorkedTableForTenIcons) {
  EXPECT_EQ(Laid(kMainCircle, 10), InOrder({{512, 678}, {711, 613}, {834, 443}, {834, 235}, {711, 65}, {512, 0},
                                             {313, 65}, {190, 235}, {190, 443}, {313, 613}}));
  EXPECT_EQ(Laid(TestCircle(350), 10), InOrder({{512, 719}, {717, 652}, {844, 477}, {844, 261}, {717, 86},
                                                 {512, 19}, {307, 86}, {180, 261}, {180, 477}, {307, 652}}));
}

TEST(CircleFigures, SmallCountsAndOtherWorkAreas) {
  const Rect tall{0, 0, 768, 1024};
  const Rect low{0, 0, 1024, 600};
  const struct { const char* name; Figure figure; std::int32_t icons; Rect area; std::vector<std::pair<int, int>> xy; }
      cases[] = {
          {"p_Circle 1", kMainCircle, 1, {0, 0, 1024, 738}, {{512, 678}}},
          {"Circle 1", TestCircle(350), 1, {0, 0, 1024, 738}, {{512, 719}}},
          {"p_Circle 2", kMainCircle, 2, {0, 0, 1024, 738}, {{512, 678}, {512, 0}}},
          {"p_Circle 4", kMainCircle, 4, {0, 0, 1024, 738}, {{512, 678}, {851, 339}, {512, 0}, {173, 339}}},
          {"Circle 4", TestCircle(350), 4, {0, 0, 1024, 738}, {{512, 719}, {862, 369}, {512, 19}, {162, 369}}},
          {"p_Circle tall", kMainCircle, 4, tall, {{384, 866}, {768, 482}, {384, 98}, {0, 482}}},
          {"Circle reduced", TestCircle(350), 4, low, {{512, 600}, {812, 300}, {512, 0}, {212, 300}}},
          {"Circle 6", TestCircle(350), 6, low, {{512, 600}, {771, 449}, {771, 150}, {512, 0}, {253, 151}, {253, 450}}},
          // Positions are measured from 0, whatever the work area's origin.
          {"offset area", TestCircle(350), 1, {100, 40, 1124, 778}, {{512, 719}}},
      };
  for (const auto& c : cases) EXPECT_EQ(Laid(c.figure, c.icons, c.area), InOrder(c.xy)) << c.name;
}

TEST(CircleFigures, TwelveIconsLoseAPixelWhereAProductFallsJustShort) {
  const std::pair<int, int> offsets[] = {{0, 350},     {175, 303},   {303, 174},   {350, 0},
                                         {303, -175},  {174, -303},  {0, -350},    {-175, -303},
                                         {-303, -174}, {-350, 0},    {-303, 175},  {-174, 303}};
  std::vector<std::pair<int, int>> xy;
  for (const auto& [dx, dy] : offsets) xy.push_back({512 + dx, 369 + dy});
  EXPECT_EQ(Laid(TestCircle(350), 12), InOrder(xy));

  // The step rounded from the extended quotient; the double quotient is one unit in
  // the last place smaller and would put icon 1 at (174, 303).
  using namespace numeric;
  ExtendedPrecisionScope fpu;
  volatile double two_pi = static_cast<double>(kTwoPi);
  const double pure = two_pi / 12.0;
  const double kept = ToDouble(Div(kTwoPi, 12.0L));
  EXPECT_EQ(std::nextafter(pure, 1.0), kept);
  EXPECT_EQ(Truncate(Mul(350.0L, Sin(pure))), 174);
  EXPECT_EQ(Truncate(Mul(350.0L, Cos(pure))), 303);
  EXPECT_EQ(Truncate(Mul(350.0L, Sin(kept))), 175);
}

TEST(CircleFigures, EmptyDesktopOrMissingViewSendsNothingAndShowsNothing) {
  for (const Figure& figure : {kMainCircle, TestCircle(350), Rings(350)}) {
    for (ShellLayout layout : {ShellLayout::Progman, ShellLayout::None}) {
      TestDesktop d(0, layout);
      figure(d.view);
      EXPECT_TRUE(d.placements().empty());
      EXPECT_TRUE(d.recorder.boxes().empty());
    }
  }
}

TEST(CircleFigures, EachFigureReadsViewThenWorkAreaThenCount) {
  for (const Figure& figure : {kMainCircle, TestCircle(350), Rings(350)}) {
    TestDesktop d(1);
    figure(d.view);
    ASSERT_GE(d.recorder.lines().size(), 7u);
    EXPECT_TRUE(testing::BeginsLikeAFigure(d));
  }
  TestDesktop d(1);
  RingCircle(d.view, 350);
  EXPECT_EQ(d.recorder.lines()[6], "GetSystemMetrics(SM_CYICONSPACING) = 75");
}

TEST(PlaceRing, TurnsClockwiseFromFirstToLastWhichStandsLowest) {
  TestDesktop d(8);
  PlaceRing(d.view, 100, 2, 5, 500, 300, 0x1234);
  EXPECT_EQ(d.placements(), InOrder({{400, 300}, {500, 200}, {600, 300}, {500, 400}}, 2));
  // Only the placements, to the view it is given: no lookup, no count.
  EXPECT_EQ(d.recorder.messages().size(), 4u);
  for (const SentMessage& m : d.recorder.messages()) EXPECT_EQ(m.window, 0x1234u);
  EXPECT_EQ(d.recorder.lines().size(), 4u);

  TestDesktop none(3);
  PlaceRing(none.view, 100, 5, 4, 500, 300, 0x1234);
  EXPECT_TRUE(none.recorder.lines().empty());

  // The item range at the top of the 32-bit range: neither the count nor the loop wraps.
  TestDesktop top(0);
  PlaceRing(top.view, 100, INT_MAX - 1, INT_MAX, 500, 300, 0x1234);
  EXPECT_EQ(top.placements(), (std::vector<Placement>{{INT_MAX - 1, 500, 200}, {INT_MAX, 500, 400}}));
}

TEST(RingCircle, WorkedCourses) {
  const struct { std::int32_t radius; std::int32_t icons; std::vector<std::string> course; } cases[] = {
      {350, 10, {"items 0-9"}},
      {200, 60, {"items 0-33", kRing, "items 34-51", kRing, kTooSmall}},
      {350, 130, {"items 0-58", kRing, "items 59-101", kRing, "items 102-128", kRing, kTooSmall}},
      // k = n: the first ring takes every icon, in its own order, with its message.
      {350, 59, {"items 0-58", kRing}},
      {50, 10, {"items 0-7", kRing, kTooSmall}},
      {-38, 10, {kRing, kTooSmall}},
      {-350, 10, {kRing, kTooSmall}},
      {INT_MIN, 10, {kRing, kTooSmall}},
  };
  for (const auto& c : cases) EXPECT_EQ(RunRings(c.radius, c.icons).course, c.course) << c.radius << ", " << c.icons;
}

TEST(RingCircle, TheFirstTwoRingsOfTheSecondCourse) {
  const auto placed = RunRings(200, 60).placements;
  ASSERT_EQ(placed.size(), 52u);
  const Placement listed[] = {{0, 476, 565},  {1, 440, 555},  {2, 407, 539},  {31, 584, 555},
                              {32, 548, 565}, {33, 512, 569}, {34, 477, 467}, {35, 445, 449},
                              {36, 422, 421}, {49, 579, 449}, {50, 547, 467}, {51, 512, 474}};
  for (const Placement& p : listed) EXPECT_EQ(placed[static_cast<std::size_t>(p.index)], p);
}

TEST(RingCircle, MoreRoomOnTheFirstRingThanIconsIsCircle) {
  EXPECT_EQ(RunRings(350, 58).placements, Laid(TestCircle(350), 58));
  EXPECT_EQ(RunRings(350, 10).placements, Laid(TestCircle(350), 10));
  // Reduced to the work area first, as Circle would.
  EXPECT_EQ(RunRings(5000, 10, 75, {0, 0, 1024, 600}).placements, Laid(TestCircle(300), 10, {0, 0, 1024, 600}));
}

TEST(RingCircle, APartlyFilledLastRingTakesOnlyTheIconsLeft) {
  const RingRun run = RunRings(350, 80);
  EXPECT_EQ(run.course, (std::vector<std::string>{"items 0-58", kRing, "items 59-79", kRing}));
  TestDesktop alone(80);
  PlaceRing(alone.view, 255, 59, 79, 512, 369, alone.shell.list_view());
  EXPECT_EQ(std::vector<Placement>(run.placements.begin() + 59, run.placements.end()), alone.placements());

  // The rings fill the desktop exactly: nothing is left for a further ring or message.
  EXPECT_EQ(RunRings(350, 102).course, (std::vector<std::string>{"items 0-58", kRing, "items 59-101", kRing}));
}

TEST(RingCircle, ARadiusTooSmallForAnyRingMovesNothing) {
  const struct { std::int32_t radius; std::int32_t spacing; } cases[] = {
      {0, 75}, {30, 75}, {37, 75}, {-37, 75}, {-1, 75}, {0, 1}, {37, 76}, {-37, 76}, {1, INT_MAX},
  };
  for (const auto& c : cases) {
    RingRun run;
    ASSERT_NO_THROW(run = RunRings(c.radius, 10, c.spacing)) << c.radius << ", " << c.spacing;
    EXPECT_EQ(run.course, (std::vector<std::string>{kTooSmall})) << c.radius << ", " << c.spacing;
  }
  // Exactly half the spacing is a ring: the arcsine of 1.
  EXPECT_EQ(RunRings(38, 10, 76).course, (std::vector<std::string>{"items 0-4", kRing, kTooSmall}));
  EXPECT_EQ(RunRings(-38, 10, 76).course, (std::vector<std::string>{kRing, kTooSmall}));
}

TEST(RingCircle, ASpacingOfZeroOrLessSizesNoRing) {
  for (std::int32_t spacing : {0, -1, -20, -21, -75, INT_MIN}) {
    for (std::int32_t radius : {350, 0, -350}) {
      RingRun run;
      ASSERT_NO_THROW(run = RunRings(radius, 10, spacing)) << spacing;
      EXPECT_TRUE(run.course.empty()) << spacing << ", " << radius;
    }
  }
}

TEST(RingCircle, EachBoxWaitsForThePlacementsBeforeIt) {
  TestDesktop d(60);
  std::vector<std::size_t> placed_when_shown;
  d.shell.on_message_box = [&](std::u16string_view) { placed_when_shown.push_back(d.placements().size()); };
  RingCircle(d.view, 200);
  EXPECT_EQ(placed_when_shown, (std::vector<std::size_t>{34, 52, 52}));
  EXPECT_EQ(d.recorder.boxes(), (std::vector<std::u16string>{u"f_Circle_one", u"f_Circle_one",
                                                              u"Radius is too small.Please enlarge radius!"}));
}

TEST(CircleFigures, ExtremeRadiiSpacingsAndWorkAreasNeitherCrashNorRaise) {
  const std::int32_t radii[] = {INT_MIN, INT_MIN + 1, -1, 1, 38, INT_MAX};
  const std::int32_t spacings[] = {1, 75, INT_MAX};
  const Rect areas[] = {{0, 0, 1024, 738}, {0, 0, INT_MAX, INT_MAX}, {INT_MIN, INT_MIN, INT_MAX, INT_MAX},
                        {0, 0, 0, 0}, {5, 5, -5, -5}, {0, 0, 4, 60}};
  for (const Rect& area : areas) {
    TestDesktop main(7, ShellLayout::Progman, area);
    EXPECT_NO_THROW(p_Circle(main.view));
    EXPECT_EQ(main.placements().size(), 7u);
    for (std::int32_t radius : radii) {
      TestDesktop single(7, ShellLayout::Progman, area);
      EXPECT_NO_THROW(Circle(single.view, radius));
      EXPECT_EQ(single.placements().size(), 7u);
      for (std::int32_t spacing : spacings) {
        RingRun run;
        EXPECT_NO_THROW(run = RunRings(radius, 40, spacing, area)) << radius << ", " << spacing;
        EXPECT_LE(run.placements.size(), 40u);
        EXPECT_FALSE(run.course.empty());
      }
    }
  }
}

}  // namespace
}  // namespace vandrel::arrange
