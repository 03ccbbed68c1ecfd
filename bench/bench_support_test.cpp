// What the benchmarks stand on: a stub desktop that must take every figure down the
// same path as a shell would, or the benchmark times a figure that does something
// else; and the summaries the reports are made of.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "bench/desktop_stub.h"
#include "bench/figure_table.h"
#include "bench/statistics.h"
#include "tests/support/in_memory_desktop.h"
#include "tests/support/recording_port.h"

namespace vandrel::bench {
namespace {

constexpr Rect kWorkArea{0, 0, 1024, 738};

// The list-view traffic of one figure run, without window handles (the stub's and
// the in-memory shell's differ), and the message boxes it showed.
struct Traffic {
  std::vector<SentMessage> messages;
  std::vector<std::u16string> boxes;
  friend bool operator==(const Traffic&, const Traffic&) = default;
};

class LoggingStub : public DesktopStub {
 public:
  using DesktopStub::DesktopStub;
  std::intptr_t Send(WindowHandle window, std::uint32_t message, std::uintptr_t wparam, std::intptr_t lparam) override {
    traffic.messages.push_back({0, message, wparam, lparam});
    return DesktopStub::Send(window, message, wparam, lparam);
  }
  void ShowMessage(std::u16string_view text) override { traffic.boxes.emplace_back(text); }
  Traffic traffic;
};

Traffic OnStub(const Figure& figure, std::int32_t icons) {
  LoggingStub stub(icons, kWorkArea, kIconSpacing);
  DesktopIconView desktop(stub);
  figure.run(desktop);
  return stub.traffic;
}

Traffic OnInMemoryShell(const Figure& figure, std::int32_t icons) {
  InMemoryDesktop shell(icons, ShellLayout::Progman);
  shell.SetWorkArea(kWorkArea);
  shell.SetMetric(SystemMetric::IconSpacingY, kIconSpacing);
  RecordingPort recorder(shell);
  DesktopIconView desktop(recorder);
  figure.run(desktop);
  Traffic traffic{recorder.messages(), recorder.boxes()};
  for (SentMessage& m : traffic.messages) m.window = 0;
  return traffic;
}

TEST(DesktopStub, EveryFigureSendsWhatItSendsToTheInMemoryShell) {
  for (const Figure& figure : kFigures) {
    // 15: the worked examples; 100: RingCircle's rings fill up; 1000: huanrao's walk
    // ends early and RingCircle runs out of radius.
    for (const std::int32_t icons : {0, 1, 15, 100, 1000}) {
      const Traffic stub = OnStub(figure, icons);
      EXPECT_EQ(stub, OnInMemoryShell(figure, icons)) << figure.name << " with " << icons << " icons";
      if (icons > 0) {
        EXPECT_FALSE(stub.messages.empty()) << figure.name;
      }
    }
  }
}

TEST(Statistics, Quantiles) {
  const struct {
    std::vector<double> values;
    double q;
    double want;
  } cases[] = {
      {{}, 0.5, 0},
      {{7}, 0.5, 7},
      {{3, 1, 2}, 0.5, 2},       // unsorted input
      {{4, 1, 3, 2}, 0.5, 2.5},  // even count: the mean of the middle two
      {{4, 1, 3, 2}, 0, 1},
      {{4, 1, 3, 2}, 1, 4},
      {{1, 2, 3, 4, 5}, 0.25, 2},
      {{10, 20}, 0.25, 12.5},
      {{1, 2, 3}, 2.0, 3},  // out of range: held to the ends
      {{1, 2, 3}, -1.0, 1},
  };
  for (const auto& c : cases) {
    EXPECT_DOUBLE_EQ(Quantile(c.values, c.q), c.want) << "q = " << c.q << ", " << c.values.size() << " values";
  }
  EXPECT_DOUBLE_EQ(Median({5, 1, 9, 3}), 4);
}

}  // namespace
}  // namespace vandrel::bench
