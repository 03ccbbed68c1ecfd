#include "arrange/wave_figures.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <functional>

#include "test_desktop.h"

namespace vandrel::arrange {
namespace {

using testing::InOrder;
using testing::TestDesktop;
using Figure = std::function<void(DesktopIconView&)>;

struct Wave {
  const char* name;
  Figure figure;
  bool sine;
};
const Wave kWaves[] = {{"zhengxuan", zhengxuan, true}, {"yuxuan", yuxuan, false}};

std::vector<Placement> Laid(const Figure& figure, std::int32_t icons, Rect area) {
  TestDesktop d(icons, ShellLayout::Progman, area);
  figure(d.view);
  return d.placements();
}

std::vector<Placement> Laid(const Figure& figure, std::int32_t icons, std::int32_t width) {
  return Laid(figure, icons, Rect{0, 0, width, 738});
}

TEST(WaveFigures, LaysTheWavesOutAcrossTheWidth) {
  const struct {
    std::int32_t width;
    std::int32_t icons;
    std::vector<std::pair<int, int>> sine;
    std::vector<std::pair<int, int>> cosine;
  } cases[] = {
      {1024, 10,
       {{0, 350}, {102, 145}, {204, 18}, {306, 16}, {408, 141}, {510, 346}, {612, 552}, {714, 681}, {816, 685},
        {918, 562}},
       {{0, 0}, {102, 66}, {204, 240}, {306, 456}, {408, 631}, {510, 700}, {612, 636}, {714, 464}, {816, 248},
        {918, 71}}},
      {1280, 8,
       {{0, 350}, {160, 59}, {320, 27}, {480, 282}, {640, 597}, {800, 693}, {960, 484}, {1120, 156}},
       {{0, 0}, {160, 156}, {320, 484}, {480, 693}, {640, 598}, {800, 282}, {960, 27}, {1120, 59}}},
      {1024, 1, {{0, 350}}, {{0, 0}}},
      {1024, 2, {{0, 350}, {512, 350}}, {{0, 0}, {512, 700}}},
      // 1026 / 4 = 256.5 goes down to the even 256, 1366 / 4 = 341.5 up to 342.
      {1026, 4, {{0, 350}, {256, 0}, {512, 350}, {768, 700}}, {{0, 0}, {256, 350}, {512, 700}, {768, 350}}},
      {1366, 4, {{0, 350}, {342, 48}, {684, 655}, {1026, 346}}, {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Laid(zhengxuan, c.icons, c.width), InOrder(c.sine)) << "W=" << c.width << " n=" << c.icons;
    if (!c.cosine.empty()) {
      EXPECT_EQ(Laid(yuxuan, c.icons, c.width), InOrder(c.cosine)) << "W=" << c.width << " n=" << c.icons;
    }
  }
}

TEST(WaveFigures, AStepRoundedUpCarriesTheLastIconPastTheRightEdge) {
  // 1024 / 97 = 10.557... gives 11: the 97th icon stands at 11 * 96 = 1056.
  EXPECT_EQ(Laid(zhengxuan, 97, 1024).back(), (Placement{96, 1056, 282}));
  EXPECT_EQ(Laid(yuxuan, 97, 1024).back(), (Placement{96, 1056, 7}));
}

TEST(WaveFigures, TheWaveKeepsItsPixelShapeWhateverTheHeightOrOrigin) {
  EXPECT_EQ(Laid(zhengxuan, 4, Rect{0, 0, 1024, 600}), InOrder({{0, 350}, {256, 0}, {512, 350}, {768, 700}}));
  EXPECT_EQ(Laid(yuxuan, 2, Rect{0, 0, 1024, 300}), InOrder({{0, 0}, {512, 700}}));
  EXPECT_EQ(Laid(zhengxuan, 2, Rect{200, 150, 1224, 750}), InOrder({{0, 350}, {512, 350}}));
}

TEST(WaveFigures, TheColumnIsAnUnsigned16BitValue) {
  // Each column travels as its low word, and its phase is taken from that word
  // read unsigned: 32800, not -32736.
  const struct {
    std::int32_t width;
    std::int32_t icons;
    std::vector<std::uint16_t> columns;
    std::vector<int> sine;
    std::vector<int> cosine;
  } cases[] = {
      {98400, 3, {0, 32800, 64}, {350, 284, 216}, {0, 6, 27}},  // 32800 * 2 = 65600 wraps to 64
      {131200, 2, {0, 64}, {350, 216}, {0, 27}},                // a step of 65600 keeps its low word, 64
      {INT_MAX, 3, {0, 43690, 21844}, {350, 651, 45}, {0, 529, 521}},
      // A negative width steps by the low word of -256: the wave walks off the left edge.
      {-1024, 4, {0, 65280, 65024, 64768}, {350, 700, 346, 0}, {0, 354, 700, 346}},
  };
  for (const auto& c : cases) {
    for (const auto& wave : kWaves) {
      TestDesktop d(c.icons, ShellLayout::Progman, Rect{0, 0, c.width, 738});
      wave.figure(d.view);
      const auto placed = d.placements();
      const auto& sent = d.recorder.messages();
      ASSERT_EQ(placed.size(), c.columns.size()) << wave.name << " W=" << c.width;
      for (std::size_t i = 0; i < placed.size(); ++i) {
        const auto low_word = static_cast<std::uint16_t>(static_cast<std::uint32_t>(sent[i + 1].lparam) & 0xFFFFu);
        EXPECT_EQ(low_word, c.columns[i]) << wave.name << " W=" << c.width << " icon " << i;
        EXPECT_EQ(placed[i].x, static_cast<std::int16_t>(c.columns[i])) << wave.name << " W=" << c.width;
        EXPECT_EQ(placed[i].y, wave.sine ? c.sine[i] : c.cosine[i]) << wave.name << " W=" << c.width << " icon " << i;
      }
    }
  }
}

TEST(WaveFigures, EveryColumnLiesOnTheWaveOf6283RadiansPer1024Pixels) {
  // A step of 16 runs the column over its whole 16-bit range; the nearest integer of
  // the true curve may differ from the figure's only by rounding.
  constexpr std::int32_t kIcons = 4096;
  const struct { const char* name; Figure figure; double (*wave)(double); } cases[] = {
      {"zhengxuan", zhengxuan, [](double t) { return std::sin(t); }},
      {"yuxuan", yuxuan, [](double t) { return std::cos(t); }},
  };
  for (const auto& c : cases) {
    TestDesktop d(kIcons, ShellLayout::Progman, Rect{0, 0, 65536, 738});
    c.figure(d.view);
    const auto& sent = d.recorder.messages();
    ASSERT_EQ(sent.size(), static_cast<std::size_t>(kIcons) + 1);
    for (std::int32_t i = 0; i < kIcons; ++i) {
      const auto packed = static_cast<std::uint32_t>(sent[static_cast<std::size_t>(i) + 1].lparam);
      const std::uint32_t x = packed & 0xFFFFu;
      const std::uint32_t y = packed >> 16;
      ASSERT_EQ(x, static_cast<std::uint32_t>(16 * i)) << c.name;
      const double curve = 350.0 - 350.0 * c.wave(x * 6.283 / 1024.0);
      EXPECT_LE(std::fabs(curve - y), 0.5 + 1e-6) << c.name << " x=" << x;
    }
  }
}

TEST(WaveFigures, EmptyDesktopOrMissingViewSendsOnlyTheCountRequest) {
  for (const auto& wave : kWaves) {
    for (ShellLayout layout : {ShellLayout::Progman, ShellLayout::None}) {
      TestDesktop d(0, layout);
      wave.figure(d.view);
      EXPECT_EQ(d.recorder.messages(), (std::vector<SentMessage>{{d.shell.list_view(), lvm::kGetItemCount, 0, 0}}))
          << wave.name;
    }
  }
}

TEST(WaveFigures, ReadsViewWorkAreaAndCountOnceThenOnlyPlaces) {
  for (const auto& wave : kWaves) {
    TestDesktop d(3);
    // Icons that come and go during the run change nothing: the count was read once.
    d.shell.after_message = [&](std::uint32_t message, std::uintptr_t) {
      if (message == lvm::kSetItemPosition && d.shell.icons().size() == 3) d.shell.SetIconCount(1);
    };
    wave.figure(d.view);
    EXPECT_TRUE(testing::BeginsLikeAFigure(d)) << wave.name;
    using namespace lvm;
    EXPECT_EQ(d.recorder.message_numbers(),
              (std::vector<std::uint32_t>{kGetItemCount, kSetItemPosition, kSetItemPosition, kSetItemPosition}))
        << wave.name;
    EXPECT_EQ(d.placements().size(), 3u) << wave.name;
  }
}

TEST(WaveFigures, ExtremeWorkAreasNeitherCrashNorRaise) {
  const Rect areas[] = {
      {0, 0, INT_MAX, 738},     {0, 0, INT_MAX - 1, 738}, {0, 0, INT_MIN, 738},
      {0, 0, INT_MIN + 1, 738}, {INT_MAX, 0, -1, 738},    {INT_MIN, INT_MIN, INT_MAX, INT_MAX},
      {0, 0, -1, 738},          {0, 0, -1024, -738},      {0, 0, 0, 0},
      {5, 5, -5, -5},
  };
  for (const auto& wave : kWaves) {
    for (const Rect& area : areas) {
      for (std::int32_t icons : {1, 2, 3, 7}) {
        TestDesktop d(icons, ShellLayout::Progman, area);
        EXPECT_NO_THROW(wave.figure(d.view)) << wave.name << " right=" << area.right << " n=" << icons;
        const auto placed = d.placements();
        ASSERT_EQ(placed.size(), static_cast<std::size_t>(icons));
        for (const Placement& p : placed) EXPECT_TRUE(p.y >= 0 && p.y <= 700) << wave.name << " y=" << p.y;
      }
    }
  }
  // W = INT_MIN, one icon: a step of -2^31 is formed and kept without a wrap.
  EXPECT_EQ(Laid(zhengxuan, 1, INT_MIN), InOrder({{0, 350}}));
  // W = INT_MAX over two icons: 1073741823.5 goes to the even 2^30, whose low word is 0.
  EXPECT_EQ(Laid(yuxuan, 2, INT_MAX), InOrder({{0, 0}, {0, 0}}));
}

}  // namespace
}  // namespace vandrel::arrange
