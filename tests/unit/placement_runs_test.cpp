// A figure's placements reach the port as whole runs (which the Win32 port sends from a
// thread that owns no windows), bounded in length, and never across another call: the
// log of messages stays exactly what one-by-one sends would give.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "arrange/circle_figures.h"
#include "arrange/cross_figures.h"
#include "arrange/line_figures.h"
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
      // The first pass reads the count after each placement: only the second is a run.
      {"bottom", 100, [](DesktopIconView& v) { AlignBottom(v, 75); }, {100}},
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

}  // namespace
}  // namespace vandrel::arrange
