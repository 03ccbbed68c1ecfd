#include "desktop/readouts.h"

#include <gtest/gtest.h>

#include "test_desktop.h"

namespace vandrel {
namespace {

using testing::TestDesktop;

TEST(Readouts, IconMetricsNameHeightThenWidthThenSpacing) {
  const struct { int width, height, spacing; std::u16string text; } cases[] = {
      {32, 48, 75, u"高度=48,宽度=32,间距=75"},
      {32, 32, 75, u"高度=32,宽度=32,间距=75"},
      {-1, 0, 2147483647, u"高度=0,宽度=-1,间距=2147483647"},
  };
  for (const auto& c : cases) {
    TestDesktop d;
    d.shell.SetMetric(SystemMetric::IconWidth, c.width);
    d.shell.SetMetric(SystemMetric::IconHeight, c.height);
    d.shell.SetMetric(SystemMetric::IconSpacingY, c.spacing);
    EXPECT_EQ(IconMetricsText(d.view), c.text);
    EXPECT_EQ(d.recorder.lines(), (std::vector<std::string>{"GetSystemMetrics(SM_CXICON) = " + std::to_string(c.width),
                                                            "GetSystemMetrics(SM_CYICON) = " + std::to_string(c.height),
                                                            "GetSystemMetrics(SM_CYICONSPACING) = " +
                                                                std::to_string(c.spacing)}));
  }
}

TEST(Readouts, SpacingIsOneSignedNumber) {
  const struct { std::uint16_t cx, cy; std::u16string text; } cases[] = {
      {75, 75, u"4915275"}, {0x80, 0x11, u"1114240"}, {0xFFFF, 0xFFFF, u"-1"}, {0, 0x8000, u"-2147483648"},
  };
  for (const auto& c : cases) {
    TestDesktop d(1);
    d.shell.SetSpacing(true, c.cx, c.cy);
    d.shell.SetSpacing(false, 1, 1);
    EXPECT_EQ(ItemSpacingText(d.view), c.text);
  }
  TestDesktop none(0, ShellLayout::None);
  EXPECT_EQ(ItemSpacingText(none.view), u"0");
}

TEST(Readouts, LabelIsCutTo99BytesAndDecoded) {
  TestDesktop d(3);
  d.shell.icons()[0].label = "Caf\xE9";  // one byte of the ANSI code page
  d.shell.icons()[1].label = std::string(150, 'x');
  d.shell.FillOverlongLabels(true);
  EXPECT_EQ(LabelText(d.view, 0), u"Café");
  EXPECT_EQ(LabelText(d.view, 1), std::u16string(99, u'x'));
  EXPECT_EQ(LabelText(d.view, 2), u"Icon 2");
  EXPECT_EQ(LabelText(d.view, 3), u"");   // no such icon: the zeros of the fresh block
  EXPECT_EQ(LabelText(d.view, -1), u"");

  TestDesktop none(0, ShellLayout::None);
  EXPECT_EQ(LabelText(none.view, 0), u"");
  TestDesktop closed(2);
  closed.shell.FailOpenProcess(true);
  EXPECT_EQ(LabelText(closed.view, 0), u"");
}

}  // namespace
}  // namespace vandrel
