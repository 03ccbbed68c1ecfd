#include "arrange/cross_figures.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>

#include "arrange/numeric.h"
#include "test_desktop.h"

namespace vandrel::arrange {
namespace {

using testing::InOrder;
using testing::TestDesktop;
using Figure = std::function<void(DesktopIconView&, std::int32_t)>;

constexpr Rect kScreen{0, 0, 1024, 738};
const std::u16string kWarning = u"应该多条曲线";

// What the view reads back of a position that travels cut to 16 bits.
Placement Travelled(std::int32_t index, std::int64_t x, std::int64_t y) {
  const std::uint32_t packed = numeric::PackPosition(numeric::Wrap32(x), numeric::Wrap32(y));
  return {index, numeric::PackedX(packed), numeric::PackedY(packed)};
}

struct Outcome {
  std::vector<Placement> placed;
  std::vector<std::u16string> boxes;
};

Outcome Lay(const Figure& figure, std::int32_t icons, std::int32_t p, Rect area = kScreen) {
  TestDesktop d(icons, ShellLayout::Progman, area);
  figure(d.view, p);
  return {d.placements(), d.recorder.boxes()};
}

// Items first..last laid in a straight run: (x0, y0), then dx and dy further on for each item.
void ExpectRun(const std::vector<Placement>& placed, int first, int last, int x0, int dx, int y0, int dy) {
  for (int i = first; i <= last; ++i) {
    const auto at = static_cast<std::size_t>(i);
    ASSERT_LT(at, placed.size());
    EXPECT_EQ(placed[at], (Placement{i, x0 + dx * (i - first), y0 + dy * (i - first)})) << "item " << i;
  }
}

// A view that answers whatever count it is told to, as no real list view would.
struct FixedCountShell : InMemoryDesktop {
  explicit FixedCountShell(std::int32_t answered) : InMemoryDesktop(3), count(answered) {}
  std::intptr_t Send(WindowHandle window, std::uint32_t message, std::uintptr_t wparam, std::intptr_t lparam) override {
    if (message == lvm::kGetItemCount) return count;
    return InMemoryDesktop::Send(window, message, wparam, lparam);
  }
  std::int32_t count;
};

TEST(Shizi, WorkedTablesForEvenAndOddWidths) {
  // s = round(1762 / 10) = 176 (1761 / 10 for W = 1023): four icons a column.
  const struct { std::int32_t width; int columns[3]; } cases[] = {{1024, {512, 589, 666}}, {1023, {512, 588, 666}}};
  for (const auto& c : cases) {
    std::vector<std::pair<int, int>> xy;
    for (int i = 0; i < 10; ++i) xy.push_back({c.columns[i / 4], 176 * (i % 4)});
    EXPECT_EQ(Lay(shizi, 10, 77, {0, 0, c.width, 738}).placed, InOrder(xy)) << "W=" << c.width;
  }
}

TEST(Shizi, AStepAboveHLeavesColumnZeroEmpty) {
  EXPECT_EQ(Lay(shizi, 1, 77).placed, InOrder({{589, 0}}));            // s = 1762
  EXPECT_EQ(Lay(shizi, 2, 77).placed, InOrder({{589, 0}, {666, 0}}));  // s = 881
  EXPECT_TRUE(Lay(shizi, 2, 77).boxes.empty());
}

TEST(Shizi, AnIconWhosePlaceTimesStepEqualsHStillFits) {
  const struct { Rect area; int per_column; std::vector<int> columns; } cases[] = {
      {{0, 0, 1058, 704}, 4, {529, 606, 683}},
      {{0, 0, 1059, 703}, 3, {530, 606, 684, 760}},  // W / 2 = 529.5: columns alternate to the even side
  };
  for (const auto& c : cases) {
    std::vector<std::pair<int, int>> xy;
    for (int i = 0; i < 10; ++i)
      xy.push_back({c.columns[static_cast<std::size_t>(i / c.per_column)], 176 * (i % c.per_column)});
    EXPECT_EQ(Lay(shizi, 10, 77, c.area).placed, InOrder(xy)) << "H=" << c.area.bottom;
  }
}

TEST(Shizi, StepRoundsHalfToEvenAndAStepOfZeroNeverWraps) {
  // 1754 / 4 = 438.5 -> 438, three a column (3 * 438 = 1314 <= 1654 < 1752).
  EXPECT_EQ(Lay(shizi, 4, 77, {0, 0, 100, 1654}).placed, InOrder({{50, 0}, {50, 438}, {50, 876}, {127, 0}}));
  // s = round(4 / 10) = 0: no column ever wraps.
  EXPECT_EQ(Lay(shizi, 10, 77, {0, 0, 2, 2}).placed, InOrder(std::vector<std::pair<int, int>>(10, {1, 0})));
}

TEST(CrossFigures, EmptyDesktopOrMissingViewPlacesNothing) {
  for (ShellLayout layout : {ShellLayout::Progman, ShellLayout::None}) {
    TestDesktop d(0, layout);
    shizi(d.view, 77);
    huanrao(d.view, 881);  // round(1762 / 2): the step of an empty desktop
    EXPECT_EQ(d.recorder.message_numbers(), (std::vector<std::uint32_t>{lvm::kGetItemCount, lvm::kGetItemCount}));
    EXPECT_TRUE(d.recorder.boxes().empty());

    huanrao(d.view, 882);
    EXPECT_EQ(d.recorder.boxes(), std::vector<std::u16string>{kWarning});
    EXPECT_TRUE(d.placements().empty());
  }
}

TEST(CrossFigures, EachFigureReadsViewThenWorkAreaThenCount) {
  for (const Figure& figure : {Figure(shizi), Figure(huanrao)}) {
    TestDesktop d(1);
    figure(d.view, 77);
    const auto& lines = d.recorder.lines();
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_TRUE(testing::BeginsLikeAFigure(d));
    EXPECT_EQ(lines[6].rfind("SendMessage(" + Hex(d.shell.list_view()) + ", LVM_SETITEMPOSITION", 0), 0u);
  }
}

TEST(Huanrao, WorkedTableForTenIcons) {
  // s = round(3524 / 14) = 252; item 5 is the first of the right run, item 7 of the bottom run.
  const Outcome run = Lay(huanrao, 10, 77);
  EXPECT_EQ(run.placed, InOrder({{252, 0}, {504, 0}, {756, 0}, {1008, 0}, {1260, 0}, {898, 252}, {898, 504},
                                 {1024, 612}, {772, 612}, {520, 612}}));
  EXPECT_TRUE(run.boxes.empty());
}

TEST(Huanrao, FortyTwoIconsGoAllTheWayRoundAndFortyThreeAreRefused) {
  // s = 77, and round(38.5) = 38 puts the right and bottom runs 38 in.
  const Outcome walk = Lay(huanrao, 42, 77);
  ASSERT_EQ(walk.placed.size(), 42u);
  ExpectRun(walk.placed, 0, 13, 77, 77, 0, 0);
  ExpectRun(walk.placed, 14, 22, 986, 0, 77, 77);
  ExpectRun(walk.placed, 23, 36, 1024, -77, 700, 0);
  ExpectRun(walk.placed, 37, 41, 0, 0, 661, -77);
  EXPECT_TRUE(walk.boxes.empty());

  // p = s walks, p = s + 1 is refused; 43 icons give s = 75.
  for (const Outcome& refused : {Lay(huanrao, 42, 78), Lay(huanrao, 43, 77)}) {
    EXPECT_TRUE(refused.placed.empty());
    EXPECT_EQ(refused.boxes, std::vector<std::u16string>{kWarning});
  }
}

TEST(Huanrao, OneIconAndAnOddStep) {
  EXPECT_EQ(Lay(huanrao, 1, 77).placed, InOrder({{705, 0}}));
  // s = round(790 / 10) = 79: the right run stands round(39.5) = 40 in from W = 100.
  EXPECT_EQ(Lay(huanrao, 6, 77, {0, 0, 100, 295}).placed,
            InOrder({{79, 0}, {158, 0}, {60, 79}, {60, 158}, {60, 237}, {100, 255}}));
}

TEST(Huanrao, TheWalkEndsAtTheTopOfTheLeftEdge) {
  const struct { std::int32_t icons; std::vector<std::u16string> boxes; } cases[] = {
      {364, {}}, {365, {u"剩余图标1"}}, {366, {u"剩余图标2"}},
  };
  for (const auto& c : cases) {
    TestDesktop d(c.icons);
    for (auto& icon : d.shell.icons()) icon.x = icon.y = -7;
    huanrao(d.view, 10);  // s = 10 for all three counts

    const auto placed = d.placements();
    ASSERT_EQ(placed.size(), 363u) << c.icons;
    ExpectRun(placed, 0, 113, 10, 10, 0, 0);
    ExpectRun(placed, 114, 186, 1019, 0, 10, 10);
    ExpectRun(placed, 187, 289, 1024, -10, 733, 0);
    ExpectRun(placed, 290, 362, 0, 0, 728, -10);
    EXPECT_EQ(d.recorder.boxes(), c.boxes) << c.icons;
    // Item 363 would stand at y = -2: it and every item after it stay put.
    for (std::size_t i = 363; i < d.shell.icons().size(); ++i) {
      EXPECT_EQ(d.shell.icons()[i].x, -7) << i;
      EXPECT_EQ(d.shell.icons()[i].y, -7) << i;
    }
    if (!c.boxes.empty()) {
      EXPECT_EQ(d.recorder.lines().back().rfind("MessageBox(", 0), 0u);
    }
  }
}

TEST(Huanrao, AnItemCanPassThroughEveryPhaseInOnePass) {
  // W = H = 0 gives s = 0: item 0 fails all four tests at once and the walk ends on it.
  const Outcome run = Lay(huanrao, 3, 0, {0, 0, 0, 0});
  EXPECT_TRUE(run.placed.empty());
  EXPECT_EQ(run.boxes, std::vector<std::u16string>{u"剩余图标2"});
}

TEST(Huanrao, ANonsenseCountIsAnEmptyDesktop) {
  // n + 4 would be 0 at -4 and negative below it: the step stays that of no icons, 881.
  for (std::int32_t count : {-1, -4, -5, INT_MIN}) {
    for (std::int32_t p : {881, 882}) {
      FixedCountShell shell(count);
      RecordingPort recorder(shell);
      DesktopIconView view(recorder);
      EXPECT_NO_THROW(huanrao(view, p)) << count;
      EXPECT_NO_THROW(shizi(view, p)) << count;
      EXPECT_TRUE(recorder.placements().empty()) << count;
      EXPECT_EQ(recorder.boxes().size(), p == 882 ? 1u : 0u) << count << " p=" << p;
    }
  }
}

TEST(CrossFigures, HugeWorkAreasKeepTheirStepsWhole) {
  // A 32-bit W + H of this area is -2: the step would be 0 and stack every icon.
  // Whole, s = round((2^32 - 2) / 4) = 2^30 > H / 2, so each column holds one icon.
  const Rect huge{0, 0, INT_MAX, INT_MAX};
  const auto cross = Lay(shizi, 4, 77, huge).placed;
  ASSERT_EQ(cross.size(), 4u);
  const std::int64_t columns[] = {1073741824, 1073741900, 1073741978, 1073742054};  // 2^30 - 0.5 + 77 L, to even
  for (int i = 0; i < 4; ++i) EXPECT_EQ(cross[static_cast<std::size_t>(i)], Travelled(i, columns[i], 0)) << i;

  // H = 738 < s = round((2^31 + 737) / 2): the second icon must not wrap back under H.
  const auto two = Lay(shizi, 2, 77, {0, 0, INT_MAX, 738}).placed;
  EXPECT_EQ(two, (std::vector<Placement>{Travelled(0, 1073741900, 0), Travelled(1, 1073741978, 0)}));

  // A 32-bit 2 (W + H) is -4 here, which would refuse every p >= 0.
  const Outcome walk = Lay(huanrao, 1, 77, huge);
  EXPECT_TRUE(walk.boxes.empty());
  EXPECT_EQ(walk.placed, std::vector<Placement>{Travelled(0, 1717986918, 0)});  // (2^33 - 4) / 5
}

TEST(CrossFigures, ExtremeParametersAndWorkAreasNeitherCrashNorRaise) {
  const std::int32_t params[] = {INT_MIN, INT_MIN + 1, -77, -1, 0, 1, 77, INT_MAX};
  const Rect areas[] = {kScreen,           {INT_MIN, INT_MIN, INT_MAX, INT_MAX}, {0, 0, INT_MAX, INT_MAX},
                        {0, 0, 0, 0},      {5, 5, -5, -5},                       {INT_MAX, INT_MAX, INT_MIN, INT_MIN},
                        {0, 0, 1, 100000}, {0, 0, INT_MAX, 1}};
  for (std::int32_t p : params) {
    for (const Rect& area : areas) {
      for (std::int32_t icons : {1, 2, 7}) {
        const std::string at = "p=" + std::to_string(p) + " icons=" + std::to_string(icons) +
                               " area right=" + std::to_string(area.right);
        Outcome cross, walk;
        EXPECT_NO_THROW(cross = Lay(shizi, icons, p, area)) << at;
        EXPECT_EQ(cross.placed.size(), static_cast<std::size_t>(icons)) << at;
        EXPECT_NO_THROW(walk = Lay(huanrao, icons, p, area)) << at;
        EXPECT_LE(walk.placed.size(), static_cast<std::size_t>(icons)) << at;
        EXPECT_LE(walk.boxes.size(), 1u) << at;
      }
    }
  }
}

TEST(Huanrao, TheMessageBoxSeesTheCallersControlWord) {
  const std::uint16_t caller = numeric::CurrentControlWord();
  numeric::SetControlWord(0x027F);  // double precision, as some runtimes start
  TestDesktop d(43);
  std::uint16_t during_box = 0;
  d.shell.on_message_box = [&](std::u16string_view) { during_box = numeric::CurrentControlWord(); };
  huanrao(d.view, 77);
  numeric::SetControlWord(caller);
  EXPECT_EQ(during_box, 0x027F);
}

}  // namespace
}  // namespace vandrel::arrange
