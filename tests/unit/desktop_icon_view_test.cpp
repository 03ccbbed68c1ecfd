#include "desktop/desktop_icon_view.h"

#include <gtest/gtest.h>

#include <cstring>

#include "arrange/numeric.h"
#include "test_desktop.h"

namespace vandrel {
namespace {

using testing::TestDesktop;

TEST(DesktopLookup, FindsTheListViewWhereverTheShellKeepsIt) {
  for (ShellLayout layout : {ShellLayout::Progman, ShellLayout::Windows10WorkerW, ShellLayout::Windows11_24H2,
                             ShellLayout::None}) {
    TestDesktop d(3, layout);
    EXPECT_EQ(d.view.GetDesktopListView(), d.shell.list_view()) << static_cast<int>(layout);
  }
}

TEST(DesktopLookup, TakesTheProgmanChainFirstAndLooksNoFurther) {
  TestDesktop d(3);
  const WindowHandle view = d.view.GetDesktopListView();
  const std::string progman = Hex(d.shell.progman());
  const std::string defview = Hex(d.shell.FirstChild(d.shell.progman()));
  EXPECT_EQ(d.recorder.lines(), (std::vector<std::string>{
                                    "FindWindowA(\"progman\") = " + progman,
                                    "GetWindow(" + progman + ", GW_CHILD) = " + defview,
                                    "GetWindow(" + defview + ", GW_CHILD) = " + Hex(view),
                                    "GetClassNameA(" + Hex(view) + ") = \"SysListView32\"",
                                }));
}

TEST(DesktopLookup, WithoutAShellEveryStepIsNull) {
  TestDesktop d(0, ShellLayout::None);
  EXPECT_EQ(d.view.GetDesktopListView(), 0u);
  EXPECT_EQ(d.recorder.lines(), (std::vector<std::string>{
                                    "FindWindowA(\"progman\") = 0",
                                    "GetWindow(0, GW_CHILD) = 0",
                                    "GetWindow(0, GW_CHILD) = 0",
                                    "FindWindowExA(0, 0, \"WorkerW\") = 0",
                                }));
}

TEST(SetAutoArrange, WritesTheStyleWordWithOnlyTheAutoArrangeBitChanged) {
  const struct { std::uint32_t before; bool flag; std::uint32_t after; } cases[] = {
      {0x56000140, false, 0x56000040},
      {0x56000040, false, 0x56000040},  // already clear: written all the same
      {0x56000040, true, 0x56000140},
      {0xFFFFFFFF, false, 0xFFFFFEFF},
  };
  for (const auto& c : cases) {
    TestDesktop d(2);
    d.shell.set_style(c.before);
    EXPECT_TRUE(d.view.SetAutoArrange(c.flag));
    EXPECT_EQ(d.shell.style(), c.after);
    const auto& lines = d.recorder.lines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], "GetWindowLongA(" + Hex(d.shell.list_view()) + ", GWL_STYLE) = " + Hex(c.before));
    EXPECT_EQ(lines.back(), "SetWindowLongA(" + Hex(d.shell.list_view()) + ", GWL_STYLE, " + Hex(c.after) +
                                ") = " + Hex(c.before));
  }
}

TEST(SetAutoArrange, AnswersFalseWithoutAViewOrWhenTheWriteFails) {
  TestDesktop none(0, ShellLayout::None);
  EXPECT_FALSE(none.view.SetAutoArrange(false));
  for (const std::string& line : none.recorder.lines()) EXPECT_EQ(line.find("WindowLong"), std::string::npos);

  TestDesktop zero_style(1);
  zero_style.shell.set_style(0);  // SetWindowLongA answers the previous word: 0 reads as failure
  EXPECT_FALSE(zero_style.view.SetAutoArrange(true));
}

TEST(ClearSnapToGrid, ClearsOnlyTheSnapBit) {
  TestDesktop d(1);
  d.shell.set_extended_style(0x80000 | 0x400);
  d.view.ClearSnapToGrid();
  EXPECT_EQ(d.shell.extended_style(), 0x400u);
  EXPECT_EQ(d.recorder.messages(),
            (std::vector<SentMessage>{{d.shell.list_view(), lvm::kSetExtendedListViewStyle, 0x80000, 0}}));
}

TEST(SetTextColor, SendsColoursCountAndRedrawInOrder) {
  const struct { std::int32_t icons; std::intptr_t last; } cases[] = {{12, 11}, {1, 0}, {0, -1}};
  for (const auto& c : cases) {
    TestDesktop d(c.icons);
    d.view.SetTextColor(255, kNoColour);
    const WindowHandle v = d.shell.list_view();
    EXPECT_EQ(d.recorder.messages(), (std::vector<SentMessage>{{v, lvm::kSetTextColor, 0, 255},
                                                               {v, lvm::kSetTextBkColor, 0, 0xFFFFFFFF},
                                                               {v, lvm::kGetItemCount, 0, 0},
                                                               {v, lvm::kRedrawItems, 0, c.last}}));
    EXPECT_EQ(d.shell.text_colour(), 255u);
    EXPECT_EQ(d.shell.background_colour(), kNoColour);
  }
}

TEST(SetTextColor, WithoutAViewTheMessagesGoNowhere) {
  TestDesktop d(0, ShellLayout::None);
  d.view.SetTextColor(255, kNoColour);
  for (const SentMessage& m : d.recorder.messages()) EXPECT_EQ(m.window, 0u);
  EXPECT_EQ(d.recorder.messages().back(), (SentMessage{0, lvm::kRedrawItems, 0, -1}));
}

TEST(SetItemPosition, SendsIndexAndPackedPosition) {
  TestDesktop d(5);
  d.view.SetItemPosition(d.shell.list_view(), 3, numeric::PackPosition(-5, 40));
  EXPECT_EQ(d.recorder.messages(), (std::vector<SentMessage>{{d.shell.list_view(), lvm::kSetItemPosition, 3, 0x0028FFFB}}));
  EXPECT_EQ(d.shell.icons()[3].x, -5);
  EXPECT_EQ(d.shell.icons()[3].y, 40);
}

TEST(GetItemSpacing, AnswersThePackedSpacingUnchanged) {
  TestDesktop d(1);
  d.shell.SetSpacing(true, 75, 75);
  EXPECT_EQ(d.view.GetItemSpacing(d.shell.list_view(), true), 4915275);
  EXPECT_EQ(d.recorder.messages().back(), (SentMessage{d.shell.list_view(), lvm::kGetItemSpacing, 1, 0}));
  EXPECT_EQ(d.view.GetItemSpacing(0, true), 0);
}

TEST(GetItemCount, NullViewAnswersZero) {
  TestDesktop d(7);
  EXPECT_EQ(d.view.GetItemCount(d.shell.list_view()), 7);
  EXPECT_EQ(d.view.GetItemCount(0), 0);
}

TEST(GetItemTextRemote, AllocatesWritesSendsReadsAndFreesInOrder) {
  const struct { int bits; std::size_t record; } cases[] = {{32, 40}, {64, 88}};
  for (const auto& c : cases) {
    TestDesktop d(4);
    d.shell.SetShellPointerBits(c.bits);
    d.shell.icons()[0].label = "Recycle Bin";
    char buffer[101];
    std::memset(buffer, 'x', sizeof buffer);
    const WindowHandle v = d.shell.list_view();
    EXPECT_EQ(d.view.GetItemTextRemote(v, 0, 0, buffer, 100), 11);
    EXPECT_STREQ(buffer, "Recycle Bin");
    EXPECT_EQ(buffer[100], 'x');  // only size bytes are ever written

    const std::string block = Hex(c.bits == 32 ? 0x00A10000ULL : 0x00007FF6A0000000ULL);
    const std::string text = Hex((c.bits == 32 ? 0x00A10000ULL : 0x00007FF6A0000000ULL) + c.record);
    const std::string size = std::to_string(100 + c.record);
    EXPECT_EQ(d.recorder.lines(),
              (std::vector<std::string>{
                  "GetWindowThreadProcessId(" + Hex(v) + ") = 4242",
                  "OpenProcess(0x38, FALSE, 4242) = 0x200",
                  "PointerBits(4242) = " + std::to_string(c.bits),
                  "VirtualAllocEx(0x200, 0, " + size + ", MEM_COMMIT, PAGE_READWRITE) = " + block,
                  "WriteProcessMemory(0x200, " + block + ", " + std::to_string(c.record) + ") = 1",
                  "SendMessage(" + Hex(v) + ", LVM_GETITEMTEXTA, 0, " + block + ") = 11",
                  "ReadProcessMemory(0x200, " + text + ", 100) = 1",
                  "VirtualFreeEx(0x200, " + block + ", " + size + ", MEM_DECOMMIT)",
                  "VirtualFreeEx(0x200, " + block + ", 0, MEM_RELEASE)",
                  "CloseHandle(0x200)",
              }));
    EXPECT_EQ(d.shell.allocated_blocks(), 0u);
    EXPECT_EQ(d.shell.open_process_handles(), 0u);
  }
}

TEST(GetItemTextRemote, ALongLabelComesBackCutTo99Bytes) {
  for (bool wine_fills_every_byte : {false, true}) {
    TestDesktop d(2);
    d.shell.icons()[1].label = std::string(130, 'L');
    d.shell.FillOverlongLabels(wine_fills_every_byte);
    char buffer[101] = {};
    d.view.GetItemTextRemote(d.shell.list_view(), 1, 0, buffer, 100);
    EXPECT_EQ(std::strlen(buffer), 99u) << wine_fills_every_byte;
  }
}

TEST(GetItemTextRemote, AnIndexWithoutIconReadsAsEmpty) {
  TestDesktop d(2);
  char buffer[101];
  std::memset(buffer, 'x', sizeof buffer);
  EXPECT_EQ(d.view.GetItemTextRemote(d.shell.list_view(), 9, 0, buffer, 100), 0);
  EXPECT_EQ(buffer[0], '\0');  // the zeros of the fresh block
}

TEST(GetItemTextRemote, FailuresAnswerZeroLeaveTheBufferAndLeakNothing) {
  enum class Fault { NoView, CannotOpen, CannotCommit, NegativeSize };
  for (Fault fault : {Fault::NoView, Fault::CannotOpen, Fault::CannotCommit, Fault::NegativeSize}) {
    TestDesktop d(3, fault == Fault::NoView ? ShellLayout::None : ShellLayout::Progman);
    d.shell.FailOpenProcess(fault == Fault::CannotOpen);
    d.shell.FailAllocation(fault == Fault::CannotCommit);
    char buffer[101];
    std::memset(buffer, 'k', sizeof buffer);
    const std::int32_t size = fault == Fault::NegativeSize ? -40 : 100;
    EXPECT_EQ(d.view.GetItemTextRemote(d.view.GetDesktopListView(), 0, 0, buffer, size), 0);
    for (char c : buffer) ASSERT_EQ(c, 'k') << static_cast<int>(fault);
    EXPECT_EQ(d.shell.open_process_handles(), 0u) << static_cast<int>(fault);
    EXPECT_EQ(d.shell.allocated_blocks(), 0u) << static_cast<int>(fault);
  }
}

TEST(WorkArea, FallsBackToThePrimaryScreenWhenTheReadFails) {
  TestDesktop d(0, ShellLayout::Progman, Rect{0, 0, 1024, 738});
  EXPECT_EQ(d.view.WorkArea(), (Rect{0, 0, 1024, 738}));
  d.shell.FailWorkAreaRead(true);
  d.shell.SetMetric(SystemMetric::ScreenWidth, 1366);
  d.shell.SetMetric(SystemMetric::ScreenHeight, 768);
  EXPECT_EQ(d.view.WorkArea(), (Rect{0, 0, 1366, 768}));
}

}  // namespace
}  // namespace vandrel

namespace vandrel {
namespace {

TEST(ShellNotAnswering, TheLabelReadLeavesItsBlockToTheShellAndClosesTheProcess) {
  TestDesktop d(3);
  d.shell.StopAnsweringAfter(0);
  char buffer[101] = "untouched";
  EXPECT_THROW(d.view.GetItemTextRemote(d.shell.list_view(), 0, 0, buffer, 100), ShellNotAnswering);
  EXPECT_STREQ(buffer, "untouched");
  // The request may still be answered later, into the block: it must stay allocated.
  EXPECT_EQ(d.shell.allocated_blocks(), 1u);
  EXPECT_EQ(d.shell.open_process_handles(), 0u);
}

}  // namespace
}  // namespace vandrel
