// Every figure and read-out at the ends of the 32-bit range: parameters, icon
// spacings, work areas (empty, negative, left > right, extents that wrap) and icon
// counts. Under the linux-sanitize preset these runs also show that no input reaches
// undefined behaviour. Here they check what must hold whatever the input: nothing
// escapes a figure, no figure runs on without end, the icons are placed as the
// figure's own rules promise, and the caller gets its FPU back as it left it.
#include <gtest/gtest.h>
#include <xmmintrin.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "arrange/circle_figures.h"
#include "arrange/cross_figures.h"
#include "arrange/line_figures.h"
#include "arrange/numeric.h"
#include "arrange/wave_figures.h"
#include "tests/support/in_memory_desktop.h"
#include "desktop/readouts.h"
#include "tests/support/recording_port.h"

namespace vandrel::arrange {
namespace {

using Figure = std::function<void(DesktopIconView&)>;

constexpr std::int32_t kEnds[] = {INT_MIN, INT_MIN + 1, -1, 0, 1, INT_MAX - 1, INT_MAX};
constexpr Rect kScreen{0, 0, 1024, 738};

const std::u16string kWarning = u"应该多条曲线";
const std::u16string kLeftOver = u"剩余图标";
const std::u16string kRing = u"f_Circle_one";
const std::u16string kTooSmall = u"Radius is too small.Please enlarge radius!";

// Every width and height from kEnds, and rectangles whose 32-bit extent wraps.
std::vector<Rect> WorkAreas() {
  std::vector<Rect> areas;
  for (std::int32_t w : kEnds) {
    for (std::int32_t h : kEnds) areas.push_back({0, 0, w, h});
  }
  areas.push_back({INT_MIN, INT_MIN, INT_MAX, INT_MAX});  // 2^32 - 1 wraps to -1
  areas.push_back({INT_MAX, INT_MAX, INT_MIN, INT_MIN});  // 1 - 2^32 wraps to 1
  areas.push_back({-1, -1, INT_MAX, INT_MAX});            // 2^31 wraps to INT_MIN
  areas.push_back({1, 1, INT_MIN, INT_MIN});              // -2^31 - 1 wraps to INT_MAX
  areas.push_back({1024, 738, 0, 0});                     // left > right, top > bottom
  areas.push_back(kScreen);
  return areas;
}
const std::vector<Rect> kAreas = WorkAreas();

struct Bench {
  Bench(Rect work_area, std::int32_t held, std::optional<std::int32_t> answered = std::nullopt,
        std::int32_t icon_spacing = 75)
      : area(work_area), icons(held), count(answered), spacing(icon_spacing) {}
  Rect area;
  std::int32_t icons;                 // icons the shell holds
  std::optional<std::int32_t> count;  // answered instead: counts no desktop could hold
  std::int32_t spacing;               // SM_CYICONSPACING
};

std::string Describe(const std::string& figure, const Bench& s) {
  return figure + " on (" + std::to_string(s.area.left) + ", " + std::to_string(s.area.top) + ", " +
         std::to_string(s.area.right) + ", " + std::to_string(s.area.bottom) + "), " +
         (s.count ? "count " + std::to_string(*s.count) : std::to_string(s.icons) + " icons") + ", spacing " +
         std::to_string(s.spacing);
}

// Thrown by the shell once a run has gone on longer than its desktop could need.
struct RunTooLong {};

// The in-memory shell, answering a set count when told to, and cutting a run short
// after a budget of placements or message boxes: a figure that would run on without
// end, or through two billion icons, ends with RunTooLong instead.
class BoundedShell : public InMemoryDesktop {
 public:
  explicit BoundedShell(const Bench& s) : InMemoryDesktop(s.icons), count_(s.count) {
    SetWorkArea(s.area);
    SetMetric(SystemMetric::IconSpacingY, s.spacing);
  }

  std::intptr_t Send(WindowHandle window, std::uint32_t message, std::uintptr_t wparam, std::intptr_t lparam) override {
    if (window == list_view() && message == lvm::kGetItemCount && count_) return *count_;
    if (window == list_view() && message == lvm::kSetItemPosition) {
      const auto packed = static_cast<std::uint32_t>(lparam);
      placed.push_back({static_cast<std::int32_t>(static_cast<std::uint32_t>(wparam)), numeric::PackedX(packed),
                        numeric::PackedY(packed)});
      if (placed.size() > kPlacementBudget) throw RunTooLong();
    }
    return InMemoryDesktop::Send(window, message, wparam, lparam);
  }

  void ShowMessage(std::u16string_view text) override {
    boxes.emplace_back(text);
    if (boxes.size() > kBoxBudget) throw RunTooLong();
    InMemoryDesktop::ShowMessage(text);
  }

  static constexpr std::size_t kPlacementBudget = 256;
  static constexpr std::size_t kBoxBudget = 64;
  std::vector<Placement> placed;
  std::vector<std::u16string> boxes;

 private:
  std::optional<std::int32_t> count_;
};

struct Outcome {
  std::vector<Placement> placed;
  std::vector<std::u16string> boxes;
  bool cut_short = false;
  std::string escaped;  // what left the figure, other than RunTooLong
  bool fpu_restored = true;
};

// A caller in an unusual FPU state: 53-bit precision, as the MSVC runtime starts, and
// SSE denormals flushed to zero. A figure must hand both back, even when cut short.
constexpr std::uint16_t kCallerControlWord = 0x027F;
constexpr unsigned kCallerCsr = 0x9F80;
constexpr unsigned kCsrFlags = 0x3F;

Outcome RunFigure(const Bench& setup, const Figure& figure) {
  BoundedShell shell(setup);
  DesktopIconView view(shell);
  Outcome out;
  const std::uint16_t saved_control_word = numeric::CurrentControlWord();
  const unsigned saved_csr = _mm_getcsr();
  numeric::SetControlWord(kCallerControlWord);
  _mm_setcsr(kCallerCsr);
  try {
    figure(view);
  } catch (const RunTooLong&) {
    out.cut_short = true;
  } catch (const std::exception& e) {
    out.escaped = e.what();
  } catch (...) {
    out.escaped = "an exception of no standard type";
  }
  out.fpu_restored = numeric::CurrentControlWord() == kCallerControlWord && (_mm_getcsr() & ~kCsrFlags) == kCallerCsr;
  numeric::SetControlWord(saved_control_word);
  _mm_setcsr(saved_csr);
  out.placed = shell.placed;
  out.boxes = shell.boxes;
  return out;
}

// Collects what went wrong over thousands of runs and reports the first few, so that
// a fault common to many inputs does not bury the others.
class Findings {
 public:
  void Expect(bool ok, const std::string& what, const std::string& at) {
    if (ok) return;
    ++count_;
    if (shown_.size() < 12) shown_.push_back(what + ": " + at);
  }
  // Nothing escaped, the run ended by itself, and the FPU is as the caller left it.
  void ExpectClean(const Outcome& o, const std::string& at) {
    Expect(o.escaped.empty(), "escaped \"" + o.escaped + "\"", at);
    Expect(!o.cut_short, "ran past its budget", at);
    Expect(o.fpu_restored, "FPU state not restored", at);
  }
  ::testing::AssertionResult None() const {
    if (count_ == 0) return ::testing::AssertionSuccess();
    auto failure = ::testing::AssertionFailure() << count_ << " findings, the first:";
    for (const std::string& line : shown_) failure << "\n  " << line;
    return failure;
  }

 private:
  std::size_t count_ = 0;
  std::vector<std::string> shown_;
};

// Items first, first + 1, ..., each once, in the order sent.
bool InOrderFrom(const std::vector<Placement>& placed, std::int64_t first) {
  for (std::size_t k = 0; k < placed.size(); ++k) {
    if (placed[k].index != numeric::Wrap32(first + static_cast<std::int64_t>(k))) return false;
  }
  return true;
}

bool EveryIconInOrder(const std::vector<Placement>& placed, std::int32_t icons) {
  return placed.size() == static_cast<std::size_t>(icons) && InOrderFrom(placed, 0);
}

// Where the view reads a position back when it travels cut to 16 bits.
Placement Travelled(std::int32_t index, std::int64_t x, std::int64_t y) {
  const std::uint32_t packed = numeric::PackPosition(numeric::Wrap32(x), numeric::Wrap32(y));
  return {index, numeric::PackedX(packed), numeric::PackedY(packed)};
}

// The difference of two coordinates that travelled, taken in 16 bits.
std::uint16_t Apart(std::int32_t a, std::int32_t b) { return static_cast<std::uint16_t>(a - b); }

struct Named {
  const char* name;
  std::function<void(DesktopIconView&, std::int32_t)> figure;
};

const Named kLineFigures[] = {{"AlignLeft", AlignLeft}, {"AlignRight", AlignRight}, {"AlignTop", AlignTop}};

TEST(ExtremeInputs, LineFiguresPlaceEveryIconOnceInOrder) {
  Findings f;
  for (const Named& line : kLineFigures) {
    for (std::int32_t a : kEnds) {
      for (const Rect& area : kAreas) {
        for (std::int32_t icons : {0, 1, 3}) {
          const Bench s{area, icons};
          const std::string at = Describe(std::string(line.name) + "(" + std::to_string(a) + ")", s);
          const Outcome o = RunFigure(s, [&](DesktopIconView& v) { line.figure(v, a); });
          f.ExpectClean(o, at);
          f.Expect(EveryIconInOrder(o.placed, icons), "not items 0 to n - 1 in order", at);
        }
      }
    }
  }
  EXPECT_TRUE(f.None());
}

TEST(ExtremeInputs, AlignBottomEndsAsAlignTopLoweredAsOneBlock) {
  Findings f;
  for (std::int32_t a : kEnds) {
    for (const Rect& area : kAreas) {
      for (std::int32_t icons : {1, 3}) {
        const Bench s{area, icons};
        const std::string at = Describe("AlignBottom(" + std::to_string(a) + ")", s);
        const Outcome top = RunFigure(s, [&](DesktopIconView& v) { AlignTop(v, a); });
        const Outcome bottom = RunFigure(s, [&](DesktopIconView& v) { AlignBottom(v, a); });
        f.ExpectClean(bottom, at);
        const auto n = static_cast<std::size_t>(icons);
        if (bottom.placed.size() != 2 * n || top.placed.size() != n) {
          f.Expect(false, "not two passes over every icon", at);
          continue;
        }
        // The first pass is AlignTop's; the second moves every icon down by the same D.
        f.Expect(std::equal(top.placed.begin(), top.placed.end(), bottom.placed.begin()), "first pass not AlignTop",
                 at);
        for (std::size_t i = 0; i < n; ++i) {
          const Placement& final_place = bottom.placed[n + i];
          f.Expect(final_place.index == top.placed[i].index && final_place.x == top.placed[i].x &&
                       Apart(final_place.y, top.placed[i].y) == Apart(bottom.placed[n].y, top.placed[0].y),
                   "item " + std::to_string(i) + " not lowered with the block", at);
        }
      }
    }
  }
  EXPECT_TRUE(f.None());
}

TEST(ExtremeInputs, WavesSpaceTheIconsEvenlyWithinTheirBand) {
  const struct { const char* name; void (*figure)(DesktopIconView&); std::int32_t first_y; } waves[] = {
      {"zhengxuan", zhengxuan, 350}, {"yuxuan", yuxuan, 0}};
  Findings f;
  for (const auto& wave : waves) {
    for (const Rect& area : kAreas) {
      for (std::int32_t icons : {0, 1, 2, 5}) {
        const Bench s{area, icons};
        const std::string at = Describe(wave.name, s);
        const Outcome o = RunFigure(s, wave.figure);
        f.ExpectClean(o, at);
        if (!EveryIconInOrder(o.placed, icons)) {
          f.Expect(false, "not items 0 to n - 1 in order", at);
          continue;
        }
        if (icons == 0) continue;
        f.Expect(o.placed[0].x == 0 && o.placed[0].y == wave.first_y, "icon 0 not at the start of the wave", at);
        for (std::size_t i = 0; i < o.placed.size(); ++i) {
          f.Expect(o.placed[i].y >= 0 && o.placed[i].y <= 700, "y outside 0 to 700", at);
          // x_i = s * i mod 65536: every column one step from the one before.
          if (i > 0) f.Expect(Apart(o.placed[i].x, o.placed[i - 1].x) == Apart(o.placed[1].x, 0), "uneven steps", at);
        }
      }
    }
  }
  EXPECT_TRUE(f.None());
}

TEST(ExtremeInputs, CirclesStartAtTheirLowestPoint) {
  Findings f;
  for (const Rect& area : kAreas) {
    const std::int32_t width = numeric::WrapSub(area.right, area.left);
    const std::int32_t height = numeric::WrapSub(area.bottom, area.top);
    const std::int64_t cx = numeric::Half(width);
    const std::int64_t cy = numeric::Half(height);
    for (std::int32_t icons : {0, 1, 4}) {
      const Bench s{area, icons};
      // The centre of p_Circle is lifted by 30 (in 32 bits, as the figure's own values are).
      const std::int64_t lifted = numeric::WrapSub(static_cast<std::int32_t>(cy), 30);
      const Outcome main = RunFigure(s, p_Circle);
      f.ExpectClean(main, Describe("p_Circle", s));
      f.Expect(EveryIconInOrder(main.placed, icons), "not items 0 to n - 1 in order", Describe("p_Circle", s));
      if (icons > 0) {
        f.Expect(main.placed[0] == Travelled(0, cx, lifted + std::min(cx, lifted)), "icon 0 not at the lowest point",
                 Describe("p_Circle", s));
      }
      for (std::int32_t radius : kEnds) {
        const std::string at = Describe("Circle(" + std::to_string(radius) + ")", s);
        const Outcome o = RunFigure(s, [&](DesktopIconView& v) { Circle(v, radius); });
        f.ExpectClean(o, at);
        f.Expect(EveryIconInOrder(o.placed, icons), "not items 0 to n - 1 in order", at);
        const std::int64_t r = std::min({cx, cy, std::int64_t{radius}});
        if (icons > 0) f.Expect(o.placed[0] == Travelled(0, cx, cy + r), "icon 0 not at the lowest point", at);
      }
    }
  }
  EXPECT_TRUE(f.None());
}

TEST(ExtremeInputs, PlaceRingPlacesItsRunAndEndsAtTheLowestPoint) {
  const struct { std::int32_t first, last; } runs[] = {
      {INT_MIN, INT_MIN + 1}, {INT_MAX - 1, INT_MAX}, {-1, 1}, {0, 0}, {INT_MAX, INT_MIN}, {1, 0}, {INT_MAX, INT_MAX},
  };
  Findings f;
  for (std::int32_t radius : kEnds) {
    for (const auto& run : runs) {
      for (std::int32_t cx : kEnds) {
        for (std::int32_t cy : kEnds) {
          const Bench s{kScreen, 0};
          const std::string at =
              Describe("PlaceRing(" + std::to_string(radius) + ", " + std::to_string(run.first) + ", " +
                           std::to_string(run.last) + ", " + std::to_string(cx) + ", " + std::to_string(cy) + ")",
                       s);
          const Outcome o = RunFigure(s, [&](DesktopIconView& v) {
            PlaceRing(v, radius, run.first, run.last, cx, cy, v.GetDesktopListView());
          });
          f.ExpectClean(o, at);
          const std::int64_t length = std::max<std::int64_t>(0, std::int64_t{run.last} - run.first + 1);
          f.Expect(o.placed.size() == static_cast<std::size_t>(length) && InOrderFrom(o.placed, run.first),
                   "not items first to last in order", at);
          if (length > 0 && !o.placed.empty()) {
            f.Expect(o.placed.back() == Travelled(run.last, cx, std::int64_t{cy} + radius),
                     "the last item not at the lowest point", at);
          }
        }
      }
    }
  }
  EXPECT_TRUE(f.None());
}

TEST(ExtremeInputs, RingCircleEndsAndPlacesNoIconTwice) {
  // With the ends of the range alone no run would get past its first ring: an
  // ordinary radius and spacing are added, and enough icons for three rings.
  std::vector<std::int32_t> radii(std::begin(kEnds), std::end(kEnds));
  std::vector<std::int32_t> spacings = radii;
  radii.push_back(350);
  spacings.push_back(75);
  Findings f;
  for (std::int32_t radius : radii) {
    for (std::int32_t spacing : spacings) {
      for (const Rect& area : kAreas) {
        for (std::int32_t icons : {0, 1, 3, 40, 130}) {
          const Bench s{area, icons, std::nullopt, spacing};
          const std::string at = Describe("RingCircle(" + std::to_string(radius) + ")", s);
          const Outcome o = RunFigure(s, [&](DesktopIconView& v) { RingCircle(v, radius); });
          f.ExpectClean(o, at);
          std::set<std::int32_t> seen;
          for (const Placement& p : o.placed) {
            f.Expect(p.index >= 0 && p.index < icons && seen.insert(p.index).second,
                     "item " + std::to_string(p.index) + " placed twice or outside the desktop", at);
          }
          for (std::size_t b = 0; b < o.boxes.size(); ++b) {
            // "f_Circle_one" after each ring; "Radius is too small..." at most once, and last.
            f.Expect(o.boxes[b] == kRing || (o.boxes[b] == kTooSmall && b + 1 == o.boxes.size()),
                     "an unexpected message box", at);
          }
        }
      }
    }
  }
  EXPECT_TRUE(f.None());
}

TEST(ExtremeInputs, ShiziPlacesEveryIconOnceInOrder) {
  Findings f;
  for (std::int32_t p : kEnds) {
    for (const Rect& area : kAreas) {
      for (std::int32_t icons : {0, 1, 3}) {
        const Bench s{area, icons};
        const std::string at = Describe("shizi(" + std::to_string(p) + ")", s);
        const Outcome o = RunFigure(s, [&](DesktopIconView& v) { shizi(v, p); });
        f.ExpectClean(o, at);
        f.Expect(EveryIconInOrder(o.placed, icons), "not items 0 to n - 1 in order", at);
        f.Expect(o.boxes.empty(), "a message box", at);
        // Every column is filled from the top edge down.
        if (icons > 0) f.Expect(o.placed[0].y == 0, "icon 0 not at the top", at);
      }
    }
  }
  EXPECT_TRUE(f.None());
}

TEST(ExtremeInputs, HuanraoAccountsForEveryIcon) {
  Findings f;
  for (std::int32_t p : kEnds) {
    for (const Rect& area : kAreas) {
      for (std::int32_t icons : {0, 1, 3, 12}) {
        const Bench s{area, icons};
        const std::string at = Describe("huanrao(" + std::to_string(p) + ")", s);
        const Outcome o = RunFigure(s, [&](DesktopIconView& v) { huanrao(v, p); });
        f.ExpectClean(o, at);
        const auto n = static_cast<std::size_t>(icons);
        f.Expect(InOrderFrom(o.placed, 0) && o.placed.size() <= n, "not items 0, 1, ... in order", at);
        f.Expect(o.boxes.size() <= 1, "more than one message box", at);
        if (o.boxes.empty()) {
          // The walk went round every icon, or ended at the last one, which stays.
          f.Expect(o.placed.size() + 1 >= n, "icons left over without a word", at);
        } else if (o.boxes[0] == kWarning) {
          f.Expect(o.placed.empty(), "icons moved despite the warning", at);
        } else if (o.boxes[0].compare(0, kLeftOver.size(), kLeftOver) == 0) {
          // The walk ended at item i, which is not counted: the box names n - 1 - i.
          const std::u16string number = o.boxes[0].substr(kLeftOver.size());
          const std::string expected = std::to_string(n - 1 - o.placed.size());
          f.Expect(std::string(number.begin(), number.end()) == expected, "a wrong count of icons left over", at);
        } else {
          f.Expect(false, "an unexpected message box", at);
        }
      }
    }
  }
  EXPECT_TRUE(f.None());
}

// Each figure with a parameter from the ends of the range; a figure without one runs once.
struct AnyFigure {
  std::string name;
  Figure figure;
};
std::vector<AnyFigure> EveryFigure() {
  std::vector<AnyFigure> all{{"zhengxuan", zhengxuan}, {"yuxuan", yuxuan}, {"p_Circle", p_Circle}};
  const Named with_parameter[] = {
      {"AlignLeft", AlignLeft}, {"AlignRight", AlignRight}, {"AlignTop", AlignTop}, {"AlignBottom", AlignBottom},
      {"Circle", Circle},       {"RingCircle", RingCircle}, {"shizi", shizi},       {"huanrao", huanrao},
  };
  for (const Named& named : with_parameter) {
    for (std::int32_t p : {INT_MIN, -1, 0, 1, 77, INT_MAX}) {
      all.push_back({std::string(named.name) + "(" + std::to_string(p) + ")",
                     [figure = named.figure, p](DesktopIconView& v) { figure(v, p); }});
    }
  }
  return all;
}

TEST(ExtremeInputs, CountsAtOrBelowZeroPlaceNothing) {
  Findings f;
  for (const AnyFigure& any : EveryFigure()) {
    for (std::int32_t count : {INT_MIN, INT_MIN + 1, -5, -4, -1, 0}) {
      for (const Rect& area : {kScreen, Rect{INT_MIN, INT_MIN, INT_MAX, INT_MAX}, Rect{0, 0, 0, 0}}) {
        const Bench s{area, 3, count};
        const std::string at = Describe(any.name, s);
        const Outcome o = RunFigure(s, any.figure);
        f.ExpectClean(o, at);
        f.Expect(o.placed.empty(), "an icon placed", at);
        // Only huanrao's warning and RingCircle's own messages may still be shown.
        for (const std::u16string& box : o.boxes) {
          f.Expect(box == kWarning || box == kRing || box == kTooSmall, "an unexpected message box", at);
        }
      }
    }
  }
  EXPECT_TRUE(f.None());
}

TEST(ExtremeInputs, HugeCountsStartWithoutErrorAndInOrder) {
  // No test can wait for two billion placements: the shell cuts each run short after
  // its budget, and what was sent until then must be in order and free of errors.
  Findings f;
  for (const AnyFigure& any : EveryFigure()) {
    for (std::int32_t count : {INT_MAX - 1, INT_MAX}) {
      for (const Rect& area :
           {kScreen, Rect{INT_MIN, INT_MIN, INT_MAX, INT_MAX}, Rect{0, 0, INT_MAX, INT_MAX}, Rect{0, 0, 0, 0}}) {
        for (std::int32_t spacing : {1, 75, INT_MAX}) {
          const Bench s{area, 3, count, spacing};
          const std::string at = Describe(any.name, s);
          const Outcome o = RunFigure(s, any.figure);
          f.Expect(o.escaped.empty(), "escaped \"" + o.escaped + "\"", at);
          f.Expect(o.fpu_restored, "FPU state not restored", at);
          // Every figure but RingCircle (whose rings run backwards) sends 0, 1, 2, ...
          // AlignBottom's budget runs out in its first pass.
          if (any.name.rfind("RingCircle", 0) != 0) {
            f.Expect(InOrderFrom(o.placed, 0), "not items 0, 1, ... in order", at);
          }
        }
      }
    }
  }
  EXPECT_TRUE(f.None());
}

TEST(ExtremeInputs, MetricAndSpacingReadoutsWriteTheWholeRange) {
  const auto digits = [](std::int64_t v) {
    const std::string text = std::to_string(v);
    return std::u16string(text.begin(), text.end());
  };
  for (std::size_t k = 0; k < std::size(kEnds); ++k) {
    // Each metric takes every value, each time beside different neighbours.
    const std::int32_t width = kEnds[k];
    const std::int32_t height = kEnds[(k + 2) % std::size(kEnds)];
    const std::int32_t spacing = kEnds[(k + 5) % std::size(kEnds)];
    InMemoryDesktop shell(1);
    shell.SetMetric(SystemMetric::IconWidth, width);
    shell.SetMetric(SystemMetric::IconHeight, height);
    shell.SetMetric(SystemMetric::IconSpacingY, spacing);
    DesktopIconView view(shell);
    EXPECT_EQ(IconMetricsText(view),
              u"高度=" + digits(height) + u",宽度=" + digits(width) + u",间距=" + digits(spacing));
  }
  const std::uint16_t halves[] = {0, 1, 0x7FFF, 0x8000, 0xFFFF};
  for (std::uint16_t cx : halves) {
    for (std::uint16_t cy : halves) {
      InMemoryDesktop shell(1);
      shell.SetSpacing(true, cx, cy);
      DesktopIconView view(shell);
      EXPECT_EQ(ItemSpacingText(view), digits(static_cast<std::int32_t>(std::uint32_t{cy} << 16 | cx)))
          << cx << " by " << cy;
    }
  }
}

TEST(ExtremeInputs, LabelReadAtEveryIndexAndLength) {
  const std::size_t lengths[] = {0, 1, 98, 99, 100, 101, 4096};
  for (int bits : {32, 64}) {
    for (bool wine_fill : {false, true}) {
      for (std::size_t length : lengths) {
        InMemoryDesktop shell(2);
        shell.SetShellPointerBits(bits);
        shell.FillOverlongLabels(wine_fill);
        shell.icons()[0].label = std::string(length, '\xE9');
        shell.icons()[1].label = std::string("ab\0cd", 5);
        DesktopIconView view(shell);
        for (std::int32_t index : kEnds) {
          const std::string at = "item " + std::to_string(index) + ", label of " + std::to_string(length) + " bytes, " +
                                 std::to_string(bits) + "-bit shell" + (wine_fill ? ", Wine's fill" : "");
          std::u16string expected;
          if (index == 0) expected = std::u16string(std::min<std::size_t>(length, 99), u'\u00E9');
          if (index == 1) expected = u"ab";
          EXPECT_EQ(LabelText(view, index), expected) << at;
        }
        // Every block allocated for a read is given back.
        EXPECT_EQ(shell.allocated_blocks(), 0u);
        EXPECT_EQ(shell.open_process_handles(), 0u);
      }
    }
  }

  // The view's own read at sizes no read-out uses: nothing below 1 writes the buffer.
  for (std::int32_t size : {INT_MIN, INT_MIN + 1, -1, 0, 1, 2}) {
    InMemoryDesktop shell(1);
    DesktopIconView view(shell);
    char buffer[4] = {'#', '#', '#', '#'};
    EXPECT_NO_THROW(view.GetItemTextRemote(shell.list_view(), 0, 0, buffer, size)) << size;
    const std::string expected = size < 1 ? "####" : size == 1 ? std::string("\0###", 4) : std::string("I\0##", 4);
    EXPECT_EQ(std::string(buffer, 4), expected) << size;
    EXPECT_EQ(shell.allocated_blocks(), 0u) << size;
  }
}

}  // namespace
}  // namespace vandrel::arrange
