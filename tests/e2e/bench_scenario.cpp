#include "bench_scenario.h"

namespace vandrel::e2e {

std::unique_ptr<TestBench> BenchScenario::bench_;

void BenchScenario::BeginWithBench(const StandinOptions& options, WorkSize area) {
  Begin(options, /*with_product=*/true, area);
  if (!ready()) return;
  try {
    bench_ = std::make_unique<TestBench>(product().process().id());
    bench_->Show();
  } catch (const std::exception& e) {
    bench_.reset();
    Fail(e.what());
  }
}

void BenchScenario::EndWithBench() {
  bench_.reset();
  End();
}

}  // namespace vandrel::e2e
