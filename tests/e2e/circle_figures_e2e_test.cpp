// The circles: the main window's "circle" (p_Circle) and the test window's "f_circle"
// (RingCircle with the radius typed in Edit3), read back from the stand-in's list view
// on the 1024 x 738 work area with an icon spacing of 75. The rings are read while the
// product waits in the box that follows each of them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "bench_scenario.h"

namespace vandrel::e2e {
namespace {

constexpr wchar_t kRingPlaced[] = L"f_Circle_one";
constexpr wchar_t kRadiusTooSmall[] = L"Radius is too small.Please enlarge radius!";
// RingCircle's centre: the middle of the work area, not lifted.
constexpr Position kMiddle{512, 369};

class TenIconCircle : public Scenario {
 protected:
  static void SetUpTestSuite() { Begin({10}, /*with_product=*/true); }
  static void TearDownTestSuite() { End(); }
};

TEST_F(TenIconCircle, CircleLaysOutTheWorkedTable) {
  ASSERT_TRUE(ready()) << error();
  ASSERT_EQ(view().ItemCount(), 10);
  Scatter();
  product().Run(L"circle", L"left");
  // Centre (512, 339), 30 above the middle; radius 339 reaches the top edge.
  EXPECT_EQ(view().Positions(), (std::vector<Position>{{512, 678}, {711, 613}, {834, 443}, {834, 235}, {711, 65},
                                                       {512, 0}, {313, 65}, {190, 235}, {190, 443}, {313, 613}}));
}

// The offset a figure places: the exact one truncated toward zero. Where the exact
// value lies within a hair of a whole number the extended arithmetic may land either
// side of it, so either whole number toward zero passes there.
bool TruncatedFrom(int actual, double exact) {
  const double nearest = std::round(exact);
  if (std::abs(exact - nearest) < 1e-6) {
    const int whole = static_cast<int>(nearest);
    return actual == whole || actual == whole - (whole > 0) + (whole < 0);
  }
  return actual == static_cast<int>(std::trunc(exact));
}

// Icons first .. last spread evenly on a circle of radius r around kMiddle, angle 0
// straight down. Counter-clockwise on the screen from the first (Circle), or clockwise
// so that the last stands at the lowest point (a ring of RingCircle).
struct Arc {
  int radius;
  int first;
  int last;
  bool ring;
};

void ExpectOnCircle(const std::vector<Position>& laid, const Arc& arc) {
  const int k = arc.last - arc.first + 1;
  for (int j = arc.first; j <= arc.last; ++j) {
    const int place = arc.ring ? arc.last - j : j - arc.first;
    const double angle = place * (2 * std::numbers::pi / k);
    const double dx = arc.radius * std::sin(angle), dy = arc.radius * std::cos(angle);
    const Position& at = laid[static_cast<std::size_t>(j)];
    EXPECT_TRUE(TruncatedFrom(at.x - kMiddle.x, dx) && TruncatedFrom(at.y - kMiddle.y, dy))
        << "icon " << j << " at (" << at.x << ", " << at.y << "), exact offsets (" << dx << ", " << dy
        << ") on the circle of radius " << arc.radius;
  }
}

struct RingCourse {
  int radius;                                   // typed in Edit3
  std::vector<Arc> arcs;                        // in the order they are laid
  std::vector<std::wstring> boxes;              // in the order they come
  std::vector<std::pair<int, Position>> spots;  // worked places, exact
};

struct RingDesktop {
  const char* name;
  int icons;
  std::vector<RingCourse> courses;
};

void PrintTo(const RingDesktop& desktop, std::ostream* out) { *out << desktop.name; }

class RingCircle : public BenchScenario, public ::testing::WithParamInterface<RingDesktop> {
 protected:
  void SetUp() override { BeginWithBench({GetParam().icons, L"progman", GetParam().icons >= 100}); }
  void TearDown() override { EndWithBench(); }
};

TEST_P(RingCircle, RingsFromTheRadiusInwardWithABoxAfterEach) {
  ASSERT_TRUE(ready()) << error();
  const int n = GetParam().icons;
  ASSERT_EQ(view().ItemCount(), n);
  for (const RingCourse& course : GetParam().courses) {
    SCOPED_TRACE("radius " + std::to_string(course.radius));
    Scatter();
    const std::vector<Position> scattered = view().Positions();
    bench().Type(kEdit3Id, std::to_wstring(course.radius));

    std::size_t rings_seen = 0;
    const auto seen = bench().Click(L"f_circle", [&](const SeenBox& box) {
      if (box.text != kRingPlaced || rings_seen >= course.arcs.size()) return;
      // The ring just laid is complete and the icons after it have not moved yet.
      const Arc& ring = course.arcs[rings_seen++];
      const std::vector<Position> now = view().Positions();
      SCOPED_TRACE("box after ring " + std::to_string(rings_seen));
      ExpectOnCircle(now, ring);
      for (auto i = static_cast<std::size_t>(ring.last) + 1; i < static_cast<std::size_t>(n); ++i)
        ASSERT_EQ(now[i], scattered[i]) << "icon " << i << " moved early";
    });

    EXPECT_EQ(rings_seen, static_cast<std::size_t>(std::count(course.boxes.begin(), course.boxes.end(), kRingPlaced)))
        << "every ring is read while its box is open";

    std::vector<std::wstring> texts;
    for (const auto& box : seen) {
      texts.push_back(box.text);
      EXPECT_FALSE(box.icon) << Narrow(box.text);
    }
    EXPECT_EQ(texts, course.boxes);

    const std::vector<Position> laid = view().Positions();
    std::size_t placed = 0;
    for (const Arc& arc : course.arcs) {
      ExpectOnCircle(laid, arc);
      placed = static_cast<std::size_t>(arc.last) + 1;
    }
    for (const auto& [index, at] : course.spots)
      EXPECT_EQ(laid[static_cast<std::size_t>(index)], at) << "icon " << index;
    for (std::size_t i = placed; i < static_cast<std::size_t>(n); ++i)
      EXPECT_EQ(laid[i], scattered[i]) << "icon " << i << " should not move";
  }
}

const std::vector<std::pair<int, Position>> kCircle350Table = {
    {0, {512, 719}}, {1, {717, 652}}, {2, {844, 477}}, {3, {844, 261}}, {4, {717, 86}},
    {5, {512, 19}},  {6, {307, 86}},  {7, {180, 261}}, {8, {180, 477}}, {9, {307, 652}}};
// The worked course of radius 200: rings of 34 and 18 icons.
const std::vector<std::pair<int, Position>> kRings200 = {
    {0, {476, 565}},  {1, {440, 555}},  {2, {407, 539}},  {31, {584, 555}}, {32, {548, 565}}, {33, {512, 569}},
    {34, {477, 467}}, {35, {445, 449}}, {36, {422, 421}}, {49, {579, 449}}, {50, {547, 467}}, {51, {512, 474}}};

// A ring takes truncate(2 pi / arcsin(37.5 / r)) + 1 icons: 59 at r = 350, 43 at 255,
// 27 at 160, 34 at 200, 18 at 105; each next ring is 95 smaller, and a radius below 75 ends.
INSTANTIATE_TEST_SUITE_P(
    WorkedCourses, RingCircle,
    ::testing::Values(
        // Fewer icons than the first ring takes: one plain circle, no message.
        RingDesktop{"TenIcons",
                    10,
                    {{350, {{350, 0, 9, false}}, {}, kCircle350Table},
                     {200, {{200, 0, 9, false}}, {}, {{0, {512, 569}}, {5, {512, 169}}}}}},
        RingDesktop{"SixtyIcons",
                    60,
                    {{200, {{200, 0, 33, true}, {105, 34, 51, true}}, {kRingPlaced, kRingPlaced, kRadiusTooSmall},
                      kRings200},
                     // The second ring would take 43 and one icon is left: it takes the one
                     // (at its lowest point) and the figure ends there.
                     {350, {{350, 0, 58, true}, {255, 59, 59, true}}, {kRingPlaced, kRingPlaced},
                      {{58, {512, 719}}, {59, {512, 624}}}}}},
        RingDesktop{"HundredThirtyIcons",
                    130,
                    {{350,
                      {{350, 0, 58, true}, {255, 59, 101, true}, {160, 102, 128, true}},
                      {kRingPlaced, kRingPlaced, kRingPlaced, kRadiusTooSmall},
                      {{58, {512, 719}}, {101, {512, 624}}, {128, {512, 529}}}},
                     {200, {{200, 0, 33, true}, {105, 34, 51, true}}, {kRingPlaced, kRingPlaced, kRadiusTooSmall},
                      kRings200}}},
        // The plain circle only when the first ring would hold more than every icon.
        RingDesktop{"FiftyNineIcons", 59, {{350, {{350, 0, 58, true}}, {kRingPlaced}, {{58, {512, 719}}}}}},
        RingDesktop{"FiftyEightIcons", 58, {{350, {{350, 0, 57, false}}, {}, {{0, {512, 719}}}}}}),
    [](const auto& instance) { return std::string(instance.param.name); });

}  // namespace
}  // namespace vandrel::e2e
