// The test window's figure buttons, each with its fixed argument (radius 350, step 77),
// on the 1024 x 738 work area, read back from the stand-in's list view; and the main
// window and the test window placing the same icons alike.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bench_scenario.h"

namespace vandrel::e2e {
namespace {

using Places = std::vector<Position>;

class TestWindowTenIcons : public BenchScenario {
 protected:
  static void SetUpTestSuite() { BeginWithBench({10}); }
  static void TearDownTestSuite() { EndWithBench(); }
};

TEST_F(TestWindowTenIcons, EachFigureButtonLaysOutItsWorkedPlaces) {
  ASSERT_TRUE(ready()) << error();
  ASSERT_EQ(view().ItemCount(), 10);
  // Step 77: columns of 9 (77 x 9 = 693 <= 738), rows of 13 starting 77 - 46 = 31 in.
  const Places left = {{19, 0}, {19, 77}, {19, 154}, {19, 231}, {19, 308}, {19, 385}, {19, 462}, {19, 539}, {19, 616},
                       {96, 0}};
  const struct {
    const wchar_t* caption;
    Places positions;
  } cases[] = {
      {L"circle", {{512, 719}, {717, 652}, {844, 477}, {844, 261}, {717, 86}, {512, 19}, {307, 86}, {180, 261},
                   {180, 477}, {307, 652}}},
      {L"restore", left},
      {L"alignLeft", left},
      {L"alignRight", {{947, 0}, {947, 77}, {947, 154}, {947, 231}, {947, 308}, {947, 385}, {947, 462}, {947, 539},
                       {947, 616}, {870, 0}}},
      {L"AlignTop", {{31, 0}, {108, 0}, {185, 0}, {262, 0}, {339, 0}, {416, 0}, {493, 0}, {570, 0}, {647, 0}, {724, 0}}},
      // One row, lowered by 738 - 77.
      {L"AlignBottom", {{31, 661}, {108, 661}, {185, 661}, {262, 661}, {339, 661}, {416, 661}, {493, 661}, {570, 661},
                        {647, 661}, {724, 661}}},
      {L"sin/cos", {{0, 350}, {102, 145}, {204, 18}, {306, 16}, {408, 141}, {510, 346}, {612, 552}, {714, 681},
                    {816, 685}, {918, 562}}},
      // s = round(1762 / 10) = 176: columns of 4 from the middle, 77 apart.
      {L"十字架", {{512, 0}, {512, 176}, {512, 352}, {512, 528}, {589, 0}, {589, 176}, {589, 352}, {589, 528},
                  {666, 0}, {666, 176}}},
      // s = round(3524 / 14) = 252: five along the top (the last past the right edge),
      // two down the right, three back along the bottom.
      {L"环绕", {{252, 0}, {504, 0}, {756, 0}, {1008, 0}, {1260, 0}, {898, 252}, {898, 504}, {1024, 612}, {772, 612},
                {520, 612}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Narrow(c.caption));
    Scatter();
    const auto boxes = bench().Click(c.caption);
    EXPECT_TRUE(boxes.empty()) << "first box: " << (boxes.empty() ? "" : Narrow(boxes.front().text));
    EXPECT_EQ(view().Positions(), c.positions);
  }
}

class FortyTwoIcons : public BenchScenario {
 protected:
  static void SetUpTestSuite() { BeginWithBench({42}); }
  static void TearDownTestSuite() { EndWithBench(); }

  // Lays `first` out, then `second`, from the same scattered start: both must place
  // every icon alike.
  template <class RunFirst, class RunSecond>
  static void ExpectSamePlaces(RunFirst first, RunSecond second) {
    Scatter();
    first();
    const Places laid = view().Positions();
    Scatter();
    ASSERT_NE(view().Positions(), laid) << "the scatter must undo the first figure";
    second();
    EXPECT_EQ(view().Positions(), laid);
  }
};

TEST_F(FortyTwoIcons, AroundTheEdgeWalksTheWholeWay) {
  ASSERT_TRUE(ready()) << error();
  ASSERT_EQ(view().ItemCount(), 42);
  Scatter();
  const auto boxes = bench().Click(L"环绕");
  EXPECT_TRUE(boxes.empty()) << "first box: " << (boxes.empty() ? "" : Narrow(boxes.front().text));

  // s = round(3524 / 46) = 77, just enough for the parameter 77; half a step is 38.
  Places expected;
  for (int i = 0; i <= 13; ++i) expected.push_back({77 * (i + 1), 0});      // top, past x = 1024
  for (int i = 14; i <= 22; ++i) expected.push_back({986, 77 * (i - 13)});  // right
  for (int i = 23; i <= 36; ++i) expected.push_back({1024 - 77 * (i - 23), 700});  // bottom
  for (int i = 37; i <= 41; ++i) expected.push_back({0, 738 - 77 * (i - 36)});      // left
  EXPECT_EQ(view().Positions(), expected);
  EXPECT_EQ(expected[13], (Position{1078, 0}));
  EXPECT_EQ(expected[41], (Position{0, 353}));
}

TEST_F(FortyTwoIcons, TheTwoWindowsPlaceTheSameFiguresAlike) {
  ASSERT_TRUE(ready()) << error();
  {
    SCOPED_TRACE("sin/cos against sine");
    ExpectSamePlaces([] { product().Run(L"sine", L"cosine"); }, [] { bench().Click(L"sin/cos"); });
  }
  {
    SCOPED_TRACE("restore against alignLeft");
    ExpectSamePlaces([] { bench().Click(L"alignLeft"); }, [] { bench().Click(L"restore"); });
  }
}

class FortyThreeIcons : public BenchScenario {
 protected:
  static void SetUpTestSuite() { BeginWithBench({43}); }
  static void TearDownTestSuite() { EndWithBench(); }
};

TEST_F(FortyThreeIcons, AroundTheEdgeWarnsAndMovesNothing) {
  ASSERT_TRUE(ready()) << error();
  ASSERT_EQ(view().ItemCount(), 43);
  Scatter();
  const Places scattered = view().Positions();
  // s = round(3524 / 47) = 75, below the parameter 77.
  EXPECT_EQ(bench().Click(L"环绕"), (std::vector<SeenBox>{{L"应该多条曲线", false}}));
  EXPECT_EQ(view().Positions(), scattered);
}

}  // namespace
}  // namespace vandrel::e2e
