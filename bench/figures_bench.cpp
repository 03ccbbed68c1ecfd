// The figures' own arithmetic: each figure runs against a desktop whose list view
// only counts what it is sent, so that the time is the figure's alone, per icon it
// places. Google Benchmark's table comes first, then a summary in nanoseconds per
// icon against the target.
//   figures_bench [--benchmark_filter=REGEX] [any other --benchmark_* flag]

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include <unistd.h>

#include "bench/desktop_stub.h"
#include "bench/figure_table.h"

namespace vandrel::bench {
namespace {

constexpr Rect kWorkArea{0, 0, 1024, 738};
constexpr std::int64_t kIconCounts[] = {100, 1000, 5000};
constexpr double kTargetNanosPerIcon = 100.0;

class CountingDesktop : public DesktopStub {
 public:
  using DesktopStub::DesktopStub;

  std::intptr_t Send(WindowHandle window, std::uint32_t message, std::uintptr_t wparam, std::intptr_t lparam) override {
    if (message != lvm::kSetItemPosition) return DesktopStub::Send(window, message, wparam, lparam);
    ++placements_;
    // Every figure places items from 0 upwards, so the highest index tells how many
    // icons a run reached, whether it placed some twice (AlignBottom) or not.
    reached_ = std::max(reached_, static_cast<std::int64_t>(static_cast<std::int32_t>(wparam)) + 1);
    return 0;
  }

  std::int64_t placements() const { return placements_; }
  std::int64_t reached() const { return reached_; }

 private:
  std::int64_t placements_ = 0;
  std::int64_t reached_ = 0;
};

void RunFigure(benchmark::State& state, const Figure& figure) {
  const auto icons = static_cast<std::int32_t>(state.range(0));
  // One run outside the timing, to learn how many icons the figure reaches. A figure
  // that reaches none (a stub the lookup does not find, a refused argument) would
  // otherwise pass as infinitely fast.
  std::int64_t reached = 0;
  {
    CountingDesktop probe(icons, kWorkArea, kIconSpacing);
    DesktopIconView desktop(probe);
    figure.run(desktop);
    reached = probe.reached();
  }
  if (reached == 0 || (figure.places_every_icon && reached != icons)) {
    state.SkipWithError(("placed " + std::to_string(reached) + " of " + std::to_string(icons) + " icons").c_str());
    return;
  }

  CountingDesktop port(icons, kWorkArea, kIconSpacing);
  DesktopIconView desktop(port);
  for (auto _ : state) figure.run(desktop);
  benchmark::DoNotOptimize(port.placements());
  state.counters["icons"] = static_cast<double>(reached);
  // Seconds per icon: shown as e.g. "12.3n", 12.3 ns.
  state.counters["per_icon"] = benchmark::Counter(
      static_cast<double>(reached), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// Google Benchmark's table, cut to the medians when runs are repeated, and the
// median of each figure and icon count kept for the summary.
class SummaryReporter : public benchmark::ConsoleReporter {
 public:
  struct Row {
    std::string figure;
    std::string icons;
    double nanos_per_icon;
  };

  // Colours only on a terminal: a report kept in a file reads better without them.
  SummaryReporter() : ConsoleReporter(isatty(fileno(stdout)) ? OO_ColorTabular : OO_Tabular) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    std::vector<Run> shown;
    for (const Run& run : runs) {
      const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
      const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
      if (!median && !single && !run.error_occurred) continue;
      shown.push_back(run);
      // Each repetition of a failed benchmark reports the failure again.
      const std::string failure = run.benchmark_name() + ": " + run.error_message;
      if (run.error_occurred && std::find(failed_.begin(), failed_.end(), failure) == failed_.end()) {
        failed_.push_back(failure);
      }
      const auto per_icon = run.counters.find("per_icon");
      if (run.error_occurred || per_icon == run.counters.end()) continue;
      rows_.push_back({run.run_name.function_name, run.run_name.args, per_icon->second.value * 1e9});
    }
    if (!shown.empty()) ConsoleReporter::ReportRuns(shown);
  }

  const std::vector<Row>& rows() const { return rows_; }
  const std::vector<std::string>& failed() const { return failed_; }

 private:
  std::vector<Row> rows_;
  std::vector<std::string> failed_;
};

// One line per figure, one column per icon count; answers whether every value is
// under the target and no figure failed its check.
bool PrintSummary(const std::vector<SummaryReporter::Row>& rows, const std::vector<std::string>& failed) {
  std::vector<std::string> figures;
  std::vector<std::string> counts;
  std::map<std::pair<std::string, std::string>, double> value;
  for (const auto& row : rows) {
    if (std::find(figures.begin(), figures.end(), row.figure) == figures.end()) figures.push_back(row.figure);
    if (std::find(counts.begin(), counts.end(), row.icons) == counts.end()) counts.push_back(row.icons);
    value[{row.figure, row.icons}] = row.nanos_per_icon;
  }
  std::printf("\nFigure arithmetic, ns per icon placed (median; target under %.0f ns)\n", kTargetNanosPerIcon);
  std::printf("  %-12s", "figure");
  for (const auto& c : counts) std::printf(" %10s", (c + " icons").c_str());
  std::printf("\n");

  double worst = 0;
  std::string worst_at;
  for (const auto& f : figures) {
    std::printf("  %-12s", f.c_str());
    for (const auto& c : counts) {
      const auto found = value.find({f, c});
      if (found == value.end()) {
        std::printf(" %10s", "-");
        continue;
      }
      std::printf(" %10.1f", found->second);
      if (found->second > worst) {
        worst = found->second;
        worst_at = f + " at " + c + " icons";
      }
    }
    std::printf("\n");
  }
  for (const auto& f : failed) std::printf("[ERROR] figure arithmetic, %s\n", f.c_str());
  if (rows.empty()) return false;
  const bool met = worst < kTargetNanosPerIcon;
  std::printf("%s figure arithmetic under %.0f ns per icon: slowest %.1f ns (%s)\n", met ? "[met]" : "[MISSED]",
              kTargetNanosPerIcon, worst, worst_at.c_str());
  return met && failed.empty();
}

}  // namespace
}  // namespace vandrel::bench

int main(int argc, char** argv) {
  using namespace vandrel::bench;
  // Defaults first: a flag given on the command line comes later and wins. The median
  // of five short repetitions stands up better to a busy machine than one long run.
  std::vector<char*> args = {argv[0]};
  std::string defaults[] = {"--benchmark_repetitions=5", "--benchmark_min_time=0.2",
                            "--benchmark_report_aggregates_only=true"};
  for (auto& flag : defaults) args.push_back(flag.data());
  for (int i = 1; i < argc; ++i) args.push_back(argv[i]);
  int count = static_cast<int>(args.size());

  for (const Figure& figure : kFigures) {
    auto* registered = benchmark::RegisterBenchmark(figure.name, RunFigure, figure);
    for (const std::int64_t icons : kIconCounts) registered->Arg(icons);
  }
  benchmark::Initialize(&count, args.data());
  if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 2;

  SummaryReporter reporter;
  // The machine's description with the table, in order, in one stream.
  reporter.SetErrorStream(&std::cout);
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  PrintSummary(reporter.rows(), reporter.failed());
  // A missed target is a result; only a figure that failed its check is an error.
  return reporter.failed().empty() ? 0 : 1;
}
