// A figure's placements reach the port as whole runs (which the Win32 port sends from a
// thread that owns no windows), bounded in length, and never across another call: the
// log of messages stays exactly what one-by-one sends would give.
#include <gtest/gtest.h>

#include <functional>
#include <numeric>

#include "arrange/circle_figures.h"
#include "arrange/cross_figures.h"
#include "arrange/line_figures.h"
#include "arrange/wave_figures.h"
#include "desktop/desktop_port.h"
#include "test_desktop.h"

namespace vandrel::arrange {
namespace {

using testing::TestDesktop;

TEST(PlacementRuns, EachFigureHandsItsPlacementsOverAsRuns) {
  const struct {
    const char* name;
    std::int32_t icons;
    std::function<void(DesktopIconView&)> figure;
    std::vector<std::size_t> runs;
  } cases[] = {
      {"left", 100, [](DesktopIconView& v) { AlignLeft(v, 75); }, {100}},
      {"right", 100, [](DesktopIconView& v) { AlignRight(v, 75); }, {100}},
      {"top", 100, [](DesktopIconView& v) { AlignTop(v, 75); }, {100}},
      // The first pass reads the count after each placement: only the second is a run.
      {"bottom", 100, [](DesktopIconView& v) { AlignBottom(v, 75); }, {100}},
      {"sine", 100, [](DesktopIconView& v) { zhengxuan(v); }, {100}},
      {"cosine", 100, [](DesktopIconView& v) { yuxuan(v); }, {100}},
      {"circle", 100, [](DesktopIconView& v) { p_Circle(v); }, {100}},
      {"cross", 100, [](DesktopIconView& v) { shizi(v, 77); }, {100}},
      {"walk", 30, [](DesktopIconView& v) { huanrao(v, 77); }, {30}},
      // One run a ring, each sent before its box.
      {"rings", 100, [](DesktopIconView& v) { RingCircle(v, 350); }, {59, 41}},
      // A long desktop goes in bounded runs.
      {"left, 10,000 icons", 10000, [](DesktopIconView& v) { AlignLeft(v, 75); }, {4096, 4096, 1808}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TestDesktop d(c.icons);
    c.figure(d.view);
    EXPECT_EQ(d.recorder.run_lengths(), c.runs);
  }
}

TEST(PlacementRuns, AShellThatStopsAnsweringMidRunKeepsWhatWasPlacedBefore) {
  TestDesktop d(100);
  // The lookup sends nothing; the count is the first message, then 40 placements.
  d.shell.StopAnsweringAfter(41);
  EXPECT_THROW(AlignLeft(d.view, 75), ShellNotAnswering);
  // The 42nd message was sent and not answered; nothing after it went.
  EXPECT_EQ(d.placements().size(), 41u);
  EXPECT_EQ(d.recorder.run_lengths(), std::vector<std::size_t>{100});
}

}  // namespace
}  // namespace vandrel::arrange
