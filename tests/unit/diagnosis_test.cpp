// What `vandrel doctor` reads, against the in-memory shell in each of its window layouts:
// the chain it went through, and the folder view compared with the list view.
#include <gtest/gtest.h>

#include "desktop/diagnosis.h"
#include "test_desktop.h"

namespace vandrel {
namespace {

using testing::TestDesktop;

std::vector<std::string> ClassNames(const Diagnosis& diagnosis) {
  std::vector<std::string> names;
  for (const ChainLink& link : diagnosis.chain) names.push_back(link.class_name);
  return names;
}

TEST(Diagnosis, NamesTheShapeAndTheChainOfEachLayoutAndReadsWithoutChangingAnything) {
  const struct {
    ShellLayout layout;
    ViewShape shape;
    std::vector<std::string> chain;
  } cases[] = {
      {ShellLayout::Progman, ViewShape::Progman, {"Progman", "SHELLDLL_DefView", "SysListView32"}},
      {ShellLayout::Windows10WorkerW, ViewShape::WorkerW, {"WorkerW", "SHELLDLL_DefView", "SysListView32"}},
      {ShellLayout::Windows11_24H2, ViewShape::Shell24H2, {"Progman", "SHELLDLL_DefView", "SysListView32"}},
      {ShellLayout::None, ViewShape::None, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(ShapeName(c.shape));
    TestDesktop d(7, c.layout);
    // The lookup the figures use finds the same view.
    const WindowHandle found = d.view.GetDesktopListView();
    d.shell.SetShellPointerBits(32);
    const std::uint32_t style = c.layout != ShellLayout::None ? d.shell.style() : 0;
    const Diagnosis diagnosis = Diagnose(d.view, d.recorder);

    EXPECT_EQ(diagnosis.shape, c.shape);
    EXPECT_EQ(ClassNames(diagnosis), c.chain);
    ASSERT_EQ(diagnosis.monitors.size(), 1u);
    if (c.layout == ShellLayout::None) {
      EXPECT_EQ(found, 0u);
      EXPECT_EQ(diagnosis.problems, std::vector<std::string>{"no desktop list view was found"});
      EXPECT_FALSE(diagnosis.contents);
      continue;
    }
    EXPECT_EQ(diagnosis.chain.back().window, found);
    EXPECT_EQ(diagnosis.chain.back().process_id, InMemoryDesktop::kShellProcessId);
    EXPECT_EQ(diagnosis.shell_process, InMemoryDesktop::kShellProcessId);
    EXPECT_EQ(diagnosis.shell_bits, 32);
    ASSERT_TRUE(diagnosis.contents);
    EXPECT_EQ(diagnosis.contents->icons.size(), 7u);
    EXPECT_TRUE(diagnosis.contents->view.auto_arrange);
    EXPECT_TRUE(diagnosis.contents->view.snap_to_grid);
    EXPECT_EQ(diagnosis.folder_view.reach, FolderViewCheck::Reach::NoShellWindow);
    EXPECT_TRUE(diagnosis.problems.empty());
    // Read only: the bits stay, and no placement or style change was sent.
    EXPECT_EQ(d.shell.style(), style);
    EXPECT_EQ(d.shell.extended_style(), InMemoryDesktop::kInitialExtendedStyle);
    EXPECT_TRUE(d.placements().empty());
    EXPECT_EQ(d.shell.open_process_handles(), 0u);
    EXPECT_EQ(d.shell.allocated_blocks(), 0u);
  }
}

TEST(Diagnosis, ComparesTheFirstIconsWithTheFolderView) {
  enum class Folder { Agrees, OneElsewhere, OneMissing, Unreadable };
  const struct {
    Folder folder;
    FolderViewCheck::Reach reach;
    std::size_t compared;
    std::size_t differences;
    bool problem;
  } cases[] = {
      {Folder::Agrees, FolderViewCheck::Reach::Read, 3, 0, false},
      {Folder::OneElsewhere, FolderViewCheck::Reach::Read, 3, 1, false},
      {Folder::OneMissing, FolderViewCheck::Reach::Read, 3, 1, false},
      {Folder::Unreadable, FolderViewCheck::Reach::Unreadable, 0, 0, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.folder));
    TestDesktop d(5);
    d.shell.folder_view.emplace();
    if (c.folder == Folder::OneElsewhere) d.shell.folder_view->elsewhere[1] = Point{300, 400};
    // Past the first three: not asked about.
    if (c.folder != Folder::Unreadable) d.shell.folder_view->elsewhere[4] = Point{1, 1};
    if (c.folder == Folder::OneMissing) d.shell.folder_view->elsewhere[2] = std::nullopt;
    d.shell.folder_view->unreadable = c.folder == Folder::Unreadable;

    const Diagnosis diagnosis = Diagnose(d.view, d.recorder, 3);
    const FolderViewCheck& check = diagnosis.folder_view;
    EXPECT_EQ(check.reach, c.reach);
    EXPECT_EQ(check.compared, c.compared);
    ASSERT_EQ(check.differences.size(), c.differences);
    EXPECT_EQ(diagnosis.problems.empty(), !c.problem);
    EXPECT_EQ(d.shell.open_folder_views(), 0u);
    EXPECT_TRUE(d.shell.folder_view->commits.empty());
    if (c.folder == Folder::OneElsewhere) {
      const FolderViewCheck::Difference& difference = check.differences[0];
      EXPECT_EQ(difference.index, 1);
      EXPECT_EQ(difference.list_view, (Point{d.shell.icons()[1].x, d.shell.icons()[1].y}));
      EXPECT_EQ(difference.folder_view, (Point{300, 400}));
    }
    if (c.folder == Folder::OneMissing) {
      EXPECT_EQ(check.differences[0].folder_view, std::nullopt);
    }
  }
}

TEST(Diagnosis, AShellThatStopsAnsweringIsAProblemNotAThrow) {
  TestDesktop d(5);
  d.shell.StopAnsweringAfter(0);
  const Diagnosis diagnosis = Diagnose(d.view, d.recorder);
  EXPECT_EQ(diagnosis.shape, ViewShape::Progman);
  EXPECT_EQ(diagnosis.problems, std::vector<std::string>{ShellNotAnswering().what()});
}

}  // namespace
}  // namespace vandrel
