// The waves: the main window's "sine" and "cosine" and the test window's "sin/cos",
// read back from the stand-in's list view on the standard work area and on a wider one.
// The wide cases need a display of their own: ctest's e2e_wide runs them alone
// (VANDREL_SCREEN=1280x800x24); anywhere else they are skipped.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bench_scenario.h"

namespace vandrel::e2e {
namespace {

struct WaveCase {
  const wchar_t* caption;
  const wchar_t* other;  // selected first, so that the click selects `caption` anew
  std::vector<Position> positions;
};

class WaveScenario : public BenchScenario {
 protected:
  // The step is round(W / n); each icon stands 350 - round(350 sin(x 6.283 / 1024)) down.
  static void ExpectWaves(const std::vector<WaveCase>& cases) {
    for (const auto& c : cases) {
      SCOPED_TRACE(Narrow(c.caption));
      Scatter();
      product().Run(c.caption, c.other);
      EXPECT_EQ(view().Positions(), c.positions);
    }
  }
};

class TenIconWaves : public WaveScenario {
 protected:
  static void SetUpTestSuite() { Begin({10}, /*with_product=*/true); }
  static void TearDownTestSuite() { End(); }
};

TEST_F(TenIconWaves, SineAndCosineLayOutTheWorkedTable) {
  ASSERT_TRUE(ready()) << error();
  ASSERT_EQ(view().ItemCount(), 10);
  // W = 1024: a step of round(102.4) = 102, one period across the work area.
  ExpectWaves({
      {L"sine", L"cosine",
       {{0, 350}, {102, 145}, {204, 18}, {306, 16}, {408, 141}, {510, 346}, {612, 552}, {714, 681}, {816, 685},
        {918, 562}}},
      {L"cosine", L"sine",
       {{0, 0}, {102, 66}, {204, 240}, {306, 456}, {408, 631}, {510, 700}, {612, 636}, {714, 464}, {816, 248},
        {918, 71}}},
  });
}

constexpr WorkSize kWideWorkArea{1280, 800};

class WideWorkArea : public WaveScenario {
 protected:
  static void SetUpTestSuite() {
    const RECT area = WorkArea();
    display_fits_ = WorkAreaIs(kWideWorkArea);
    found_ = std::to_string(area.right - area.left) + " x " + std::to_string(area.bottom - area.top);
    if (display_fits_) BeginWithBench({8}, kWideWorkArea);
  }
  static void TearDownTestSuite() { EndWithBench(); }
  void SetUp() override {
    if (!display_fits_) {
      GTEST_SKIP() << "meant for a 1280 x 800 work area (ctest's e2e_wide runs it with VANDREL_SCREEN=1280x800x24); "
                   << "this display's is " << found_;
    }
  }

 private:
  static inline bool display_fits_ = false;
  static inline std::string found_;
};

TEST_F(WideWorkArea, SineAndCosineStretchTheStepButKeepThePeriod) {
  ASSERT_TRUE(ready()) << error();
  ASSERT_EQ(view().ItemCount(), 8);
  // W = 1280, n = 8: a step of 160, and still one period per 1024 pixels, so the
  // last icons start the next one.
  ExpectWaves({
      {L"sine", L"cosine",
       {{0, 350}, {160, 59}, {320, 27}, {480, 282}, {640, 597}, {800, 693}, {960, 484}, {1120, 156}}},
      {L"cosine", L"sine", {{0, 0}, {160, 156}, {320, 484}, {480, 693}, {640, 598}, {800, 282}, {960, 27}, {1120, 59}}},
  });
}

TEST_F(WideWorkArea, TheTestWindowsSineIsTheMainWindows) {
  ASSERT_TRUE(ready()) << error();
  Scatter();
  EXPECT_TRUE(bench().Click(L"sin/cos").empty()) << "the wave shows no message";
  EXPECT_EQ(view().Positions(),
            (std::vector<Position>{{0, 350}, {160, 59}, {320, 27}, {480, 282}, {640, 597}, {800, 693}, {960, 484},
                                   {1120, 156}}));
}

}  // namespace
}  // namespace vandrel::e2e
