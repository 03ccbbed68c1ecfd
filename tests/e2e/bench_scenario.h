// A scenario with the product's test window shown: the stand-in desktop, the product,
// and "Form1" brought up by the driver before the first click.
#pragma once

#include <memory>

#include "scenario.h"
#include "test_bench.h"

namespace vandrel::e2e {

class BenchScenario : public Scenario {
 protected:
  static void BeginWithBench(const StandinOptions& options, WorkSize area = kStandardWorkArea);
  static void EndWithBench();

  static TestBench& bench() { return *bench_; }

 private:
  static std::unique_ptr<TestBench> bench_;
};

}  // namespace vandrel::e2e
