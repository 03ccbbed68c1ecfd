#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "desktop/desktop_icon_view.h"
#include "test_desktop.h"

namespace vandrel {
namespace {

using testing::TestDesktop;

// The recorded calls that begin with one of `calls`, in order.
std::vector<std::string> Calls(const TestDesktop& d, std::initializer_list<std::string_view> calls) {
  std::vector<std::string> out;
  for (const std::string& line : d.recorder.lines()) {
    for (std::string_view call : calls) {
      if (line.rfind(call, 0) == 0) out.push_back(line);
    }
  }
  return out;
}

TEST(ReadDesktop, ReadsEveryLabelAndPositionInOneBlockOneWriteAndOneRead) {
  const std::vector<IconReading> icons = {
      {"Recycle Bin", -5, 40},        {"notes.txt", 100, 200},        {"notes.txt", 100, 275},
      {std::string(130, 'L'), 0, 0},  {"caf\xE9 \x81\x40\xFF", 32767, -32768},
      {std::string(300, 'W'), 7, 7},  {"", 1, 2},
  };
  std::vector<IconReading> expected = icons;
  expected[5].label.resize(kSnapshotLabelRoom - 1);
  const struct { int bits; std::size_t record; RemoteAddress block; bool wine_fills; bool arranged; } cases[] = {
      {32, 40, 0x00A10000, false, true},
      {64, 88, 0x00007FF6A0000000, true, false},
  };
  for (const auto& c : cases) {
    TestDesktop d;
    d.shell.SetShellPointerBits(c.bits);
    d.shell.FillOverlongLabels(c.wine_fills);
    d.shell.set_style(c.arranged ? 0x56000140 : 0x56000040);
    d.shell.set_extended_style(c.arranged ? 0x80400 : 0x400);
    for (const IconReading& icon : icons) {
      d.shell.icons().push_back({icon.label, static_cast<std::int16_t>(icon.x), static_cast<std::int16_t>(icon.y)});
    }
    const WindowHandle v = d.shell.list_view();
    const auto contents = d.view.ReadDesktop(v);
    ASSERT_TRUE(contents.has_value()) << c.bits;
    EXPECT_EQ(contents->icons, expected) << c.bits;
    EXPECT_EQ(contents->view, (ViewState{c.arranged, c.arranged, 0x00FFFFFF, 0x00A56E3A})) << c.bits;

    const std::size_t n = icons.size();
    const std::size_t size = n * (c.record + 8 + kSnapshotLabelRoom);
    std::vector<SentMessage> sent = {{v, lvm::kGetItemCount, 0, 0},
                                     {v, lvm::kGetExtendedListViewStyle, 0, 0},
                                     {v, lvm::kGetTextColor, 0, 0},
                                     {v, lvm::kGetTextBkColor, 0, 0}};
    for (std::size_t i = 0; i < n; ++i) {
      sent.push_back({v, lvm::kGetItemPosition, i, static_cast<std::intptr_t>(c.block + n * c.record + 8 * i)});
      sent.push_back({v, lvm::kGetItemTextA, i, static_cast<std::intptr_t>(c.block + c.record * i)});
    }
    EXPECT_EQ(d.recorder.messages(), sent) << c.bits;
    const std::string at = Hex(c.block);
    EXPECT_EQ(Calls(d, {"VirtualAllocEx", "WriteProcessMemory", "ReadProcessMemory"}), (std::vector<std::string>{
        "VirtualAllocEx(0x200, 0, " + std::to_string(size) + ", MEM_COMMIT, PAGE_READWRITE) = " + at,
        "WriteProcessMemory(0x200, " + at + ", " + std::to_string(n * c.record) + ") = 1",
        "ReadProcessMemory(0x200, " + at + ", " + std::to_string(size) + ") = 1",
    }));
    EXPECT_EQ(d.shell.allocated_blocks(), 0u);
    EXPECT_EQ(d.shell.open_process_handles(), 0u);
  }
}

TEST(ReadDesktop, FailuresAndOddCountsLeakNothingAndLeaveATimedOutBlockToTheShell) {
  using Setup = std::function<void(InMemoryDesktop&)>;
  // icons: what the read gives; -1 for nothing, -2 for ShellNotAnswering.
  const struct { ShellLayout layout; Setup setup; int icons; std::size_t blocks_left; bool opens; } cases[] = {
      {ShellLayout::None, nullptr, -1, 0, false},
      {ShellLayout::Progman, [](InMemoryDesktop& s) { s.FailOpenProcess(true); }, -1, 0, true},
      {ShellLayout::Progman, [](InMemoryDesktop& s) { s.FailAllocation(true); }, -1, 0, true},
      {ShellLayout::Progman, [](InMemoryDesktop& s) { s.StopAnsweringAfter(4 + 3); }, -2, 1, true},  // 1.5 icons
      {ShellLayout::Progman, [](InMemoryDesktop& s) { s.ReportItemCount(-1); }, 0, 0, false},
      {ShellLayout::Progman, [](InMemoryDesktop& s) { s.ReportItemCount(DesktopIconView::kMostIconsRead + 1); }, -1,
       0, false},
      {ShellLayout::Progman, [](InMemoryDesktop& s) { s.ReportItemCount(5); }, 3, 0, true},  // 2 icons vanish
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const auto& c = cases[i];
    TestDesktop d(3, c.layout);
    if (c.setup) c.setup(d.shell);
    const WindowHandle v = d.view.GetDesktopListView();
    if (c.icons == -2) {
      EXPECT_THROW(d.view.ReadDesktop(v), ShellNotAnswering);
    } else {
      const auto contents = d.view.ReadDesktop(v);
      EXPECT_EQ(contents ? static_cast<int>(contents->icons.size()) : -1, c.icons) << i;
    }
    EXPECT_EQ(d.shell.allocated_blocks(), c.blocks_left) << i;
    EXPECT_EQ(d.shell.open_process_handles(), 0u) << i;
    EXPECT_EQ(Calls(d, {"OpenProcess"}).size(), c.opens ? 1u : 0u) << i;
  }
}

TEST(ReadDesktop, AViewThatGoesBeforeOrDuringTheReadGivesNothingToKeep) {
  // When the view goes: before the count, after it (the style and colours then read as
  // 0), or after the second icon's position.
  const struct { const char* when; bool before_count; std::uint32_t after_message; std::uintptr_t after_item; } cases[] = {
      {"before the count", true, 0, 0},
      {"after the count", false, lvm::kGetItemCount, 0},
      {"mid-read", false, lvm::kGetItemPosition, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.when);
    TestDesktop d(3);
    const WindowHandle v = d.view.GetDesktopListView();
    if (c.before_count) d.shell.DestroyListView();
    d.shell.after_message = [&](std::uint32_t message, std::uintptr_t item) {
      if (message == c.after_message && item == c.after_item) d.shell.DestroyListView();
    };
    EXPECT_FALSE(d.view.ReadDesktop(v).has_value());
    EXPECT_EQ(d.shell.allocated_blocks(), 0u);
    EXPECT_EQ(d.shell.open_process_handles(), 0u);
  }
}

TEST(ViewState, FreePlacementAndApplyViewStateWriteOnlyWhatChanges) {
  const ViewState restored{true, true, 0x123456, kNoColour};
  // The in-memory shell's own colours: nothing to redraw for.
  const ViewState same_colours{true, true, 0x00FFFFFF, 0x00A56E3A};
  const struct {
    std::uint32_t style, extended;
    const ViewState* apply;  // none: FreePlacement
    std::uint32_t style_after, extended_after;
    std::size_t extended_writes;
    bool redrawn;
  } cases[] = {
      {0x56000140, 0x80400, nullptr, 0x56000040, 0x400, 1, false},
      {0x56000040, 0x400, nullptr, 0x56000040, 0x400, 0, false},
      {0x56000040, 0x400, &restored, 0x56000140, 0x80400, 1, true},
      {0x56000140, 0x400, &restored, 0x56000140, 0x80400, 1, true},
      {0x56000140, 0x80400, &restored, 0x56000140, 0x80400, 0, true},
      {0x56000040, 0x400, &same_colours, 0x56000140, 0x80400, 1, false},
  };
  for (const auto& c : cases) {
    TestDesktop d(4);
    d.shell.set_style(c.style);
    d.shell.set_extended_style(c.extended);
    if (c.apply == nullptr) {
      d.view.FreePlacement(d.shell.list_view());
    } else {
      d.view.ApplyViewState(d.shell.list_view(), *c.apply);
      EXPECT_EQ(d.shell.text_colour(), c.apply->text_colour);
      EXPECT_EQ(d.shell.background_colour(), c.apply->background_colour);
    }
    EXPECT_EQ(d.shell.redraws().size(), c.redrawn ? 1u : 0u);
    if (c.redrawn) {
      EXPECT_EQ(d.shell.redraws().back().last, 3);
    }
    EXPECT_EQ(d.shell.style(), c.style_after);
    EXPECT_EQ(d.shell.extended_style(), c.extended_after);
    EXPECT_EQ(Calls(d, {"SetWindowLongA"}).size(), c.style == c.style_after ? 0u : 1u);
    const auto& sent = d.recorder.messages();
    EXPECT_EQ(std::count_if(sent.begin(), sent.end(),
                            [](const SentMessage& m) { return m.message == lvm::kSetExtendedListViewStyle; }),
              static_cast<long>(c.extended_writes));
  }
}

}  // namespace
}  // namespace vandrel
