// A change's positions handed to the shell's folder view after the figure: what the
// figure sends stays as it was, and the hand-over follows it only where there is a view.
#include <gtest/gtest.h>

#include <algorithm>

#include "test_desktop.h"
#include "ui/figure_host.h"

namespace vandrel {
namespace {

using testing::TestDesktop;

std::vector<PlacedIcon> Positions(const InMemoryDesktop& shell) {
  std::vector<PlacedIcon> out;
  for (std::size_t i = 0; i < shell.icons().size(); ++i) {
    out.push_back({static_cast<std::int32_t>(i), shell.icons()[i].x, shell.icons()[i].y});
  }
  return out;
}

enum class Shell { None, Keeps, SaysNotKept, MovesTheListView, Snaps, Skips, Fails, Arranges, MissesAnIcon };

TEST(ShellPositions, AfterEachFigureThePlacedIconsAreHandedOverPutBackWhenNotKeptAndAFailureToldOnce) {
  // The figure alone, on a shell without a folder view: what every other case must send first.
  TestDesktop plain(6);
  FigureHost(plain.view).AlignLeft(75);
  const std::vector<SentMessage> figure = plain.recorder.messages();
  const std::vector<PlacedIcon> laid = Positions(plain.shell);

  const struct {
    Shell shell;
    ShellCommit outcome;
    std::u16string_view box;  // after each figure, or once a session
    bool once;
  } cases[] = {{Shell::None, ShellCommit::Kept, {}, false},
               {Shell::Keeps, ShellCommit::Kept, {}, false},
               {Shell::SaysNotKept, ShellCommit::NotKept, DesktopIconView::kPositionsNotKept, false},
               {Shell::MovesTheListView, ShellCommit::Kept, DesktopIconView::kPositionsNotKept, false},
               {Shell::Snaps, ShellCommit::Snapped, DesktopIconView::kPositionsSnapped, false},
               {Shell::Skips, ShellCommit::Skipped, {}, false},
               {Shell::Fails, ShellCommit::Failed, DesktopIconView::kShellUnreachable, true},
               {Shell::Arranges, ShellCommit::Arranging, DesktopIconView::kShellArranges, true},
               {Shell::MissesAnIcon, ShellCommit::Unidentified, DesktopIconView::kIconsNotFound, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.shell));
    TestDesktop d(6);
    if (c.shell != Shell::None) {
      d.shell.folder_view.emplace();
      d.shell.folder_view->outcome = c.outcome;
      // The shell takes the positions its own way: 7 pixels off.
      d.shell.folder_view->on_commit = [&](const std::vector<PlacedIcon>&) {
        if (c.shell == Shell::MovesTheListView || c.shell == Shell::SaysNotKept || c.shell == Shell::Snaps) {
          for (DesktopIcon& icon : d.shell.icons()) icon.x = static_cast<std::int16_t>(icon.x + 7);
        }
      };
    }
    FigureHost host(d.view);
    host.AlignLeft(75);
    const std::vector<SentMessage> sent = d.recorder.messages();
    host.AlignLeft(75);

    ASSERT_GE(sent.size(), figure.size());
    EXPECT_TRUE(std::equal(figure.begin(), figure.end(), sent.begin()));
    // Wherever the shell put them, the icons are where the figure left them.
    EXPECT_EQ(Positions(d.shell), laid);
    std::vector<std::u16string> boxes;
    if (!c.box.empty()) boxes.assign(c.once ? 1 : 2, std::u16string(c.box));
    EXPECT_EQ(d.recorder.boxes(), boxes);
    if (c.shell == Shell::None) {
      // The lookup, and not one message more.
      EXPECT_EQ(sent.size(), figure.size());
      EXPECT_EQ(d.recorder.lines().back(), "OpenFolderView(" + Hex(d.shell.list_view()) + ") = 0");
      continue;
    }
    ASSERT_EQ(d.shell.folder_view->commits.size(), 2u);
    EXPECT_EQ(d.shell.folder_view->commits[0], laid);
    EXPECT_EQ(d.shell.open_folder_views(), 0u);
  }
}

TEST(ShellPositions, AFigureThatFailsHandsNothingOverNorDoesTheNextOneForIt) {
  TestDesktop d(6);
  d.shell.folder_view.emplace();
  d.shell.StopAnsweringAfter(4);
  FigureHost host(d.view);
  EXPECT_THROW(host.AlignLeft(75), ShellNotAnswering);
  d.shell.StopAnsweringAfter(1000);
  d.shell.SetIconCount(0);  // the next figure places nothing
  host.AlignLeft(75);
  EXPECT_TRUE(d.shell.folder_view->commits.empty());
  EXPECT_EQ(d.shell.open_folder_views(), 0u);
}

}  // namespace
}  // namespace vandrel
