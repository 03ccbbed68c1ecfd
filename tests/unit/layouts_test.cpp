#include "layouts/layouts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <fstream>
#include <memory>
#include <thread>
#ifndef _WIN32
#include <sys/resource.h>
#endif

#include "layouts/atomic_file.h"
#include "temp_folder.h"
#include "test_desktop.h"
#include "ui/figure_host.h"

namespace vandrel::layouts {
namespace {

namespace fs = std::filesystem;
using testing::TempFolder;
using testing::TestDesktop;

// Files of this process can hold at most `bytes`, as on a full disk, while it lives.
// Windows has no such limit for a process.
struct FileRoom {
#ifdef _WIN32
  static constexpr bool kPossible = false;
#else
  static constexpr bool kPossible = true;
#endif
  explicit FileRoom([[maybe_unused]] std::size_t bytes) {
#ifndef _WIN32
    if (bytes == 0) return;
    signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails with EFBIG instead
    getrlimit(RLIMIT_FSIZE, &old_);
    rlimit limit = old_;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
    set_ = true;
#endif
  }
  ~FileRoom() {
#ifndef _WIN32
    if (set_) setrlimit(RLIMIT_FSIZE, &old_);
#endif
  }
#ifndef _WIN32
  rlimit old_{};
  bool set_ = false;
#endif
};

struct Place {
  std::string label;
  int x, y;
  friend bool operator==(const Place&, const Place&) = default;
};

// A desktop with its icons, a data folder of its own, and Vandrel's layouts over both.
struct Bench {
  explicit Bench(const std::vector<Place>& icons, fs::path data_in = {})
      : data(data_in.empty() ? temp.path : std::move(data_in)) {
    Lay(icons);
  }
  void Lay(const std::vector<Place>& icons) {
    d.shell.icons().clear();
    for (const Place& p : icons) {
      d.shell.icons().push_back({p.label, static_cast<std::int16_t>(p.x), static_cast<std::int16_t>(p.y)});
    }
  }
  std::vector<Place> Icons() const {
    std::vector<Place> out;
    for (const DesktopIcon& i : d.shell.icons()) out.push_back({i.label, i.x, i.y});
    return out;
  }
  void Scramble() {
    for (DesktopIcon& icon : d.shell.icons()) icon.x = static_cast<std::int16_t>(icon.x + 333);
    d.shell.set_style(d.shell.style() & ~kAutoArrangeStyle);
    d.shell.set_extended_style(0);
  }

  TempFolder temp;
  fs::path data;
  TestDesktop d;
  LayoutStore store{data};
  Layouts layouts{d.view, store};
  std::vector<std::string> warnings;
  Layouts::Warn warn = [this](std::string_view line) { warnings.emplace_back(line); };
};

// One read of the desktop (a position request per icon), the view freed before the
// first placement: its snap-to-grid bit cleared, or, when `snap_was_on` is false, read
// after the desktop's read and left as it was.
void ExpectOneReadThenFreePlacement(const TestDesktop& d, bool snap_was_on = true) {
  const std::vector<SentMessage>& m = d.recorder.messages();
  const auto is = [](std::uint32_t message) { return [=](const SentMessage& s) { return s.message == message; }; };
  EXPECT_EQ(std::count_if(m.begin(), m.end(), is(lvm::kGetItemPosition)), static_cast<long>(d.shell.icons().size()));
  const auto first = std::find_if(m.begin(), m.end(), is(lvm::kSetItemPosition));
  const auto cleared = [](const SentMessage& s) {
    return s.message == lvm::kSetExtendedListViewStyle && s.wparam == kSnapToGrid && s.lparam == 0;
  };
  EXPECT_EQ(std::any_of(m.begin(), first, cleared), snap_was_on);
  const auto last_read = std::find_if(std::make_reverse_iterator(first), m.rend(), is(lvm::kGetItemTextA)).base();
  EXPECT_TRUE(std::any_of(last_read, first, is(lvm::kGetExtendedListViewStyle)));
}

const std::vector<Place> kDesk = {{"Recycle Bin", 10, 10}, {"a.txt", 80, 10}, {"a.txt", 160, 10},
                                  {"Caf\xE9", 240, 10},    {"gone", 320, 10}};

TEST(Undo, PutsEveryIconAndTheViewBackThenHasNothingLeft) {
  Bench b(kDesk);
  b.layouts.BeforeChange();
  b.Scramble();
  b.d.view.SetTextColor(0x123, 0x456);
  b.d.recorder.Clear();
  EXPECT_EQ(b.layouts.Undo(), "Restored 5 icons.");
  ExpectOneReadThenFreePlacement(b.d, false);
  EXPECT_EQ(b.Icons(), kDesk);
  EXPECT_EQ(b.d.shell.style() & kAutoArrangeStyle, kAutoArrangeStyle);
  EXPECT_EQ(b.d.shell.extended_style() & kSnapToGrid, kSnapToGrid);
  EXPECT_EQ(b.d.shell.text_colour(), 0x00FFFFFFu);
  EXPECT_EQ(b.d.shell.background_colour(), 0x00A56E3Au);
  EXPECT_THROW(b.layouts.Undo(), NothingToUndo);

  // The first change on this display kept the desktop as its original, labels in UTF-8.
  const LayoutRecord original = b.store.Load("original");
  EXPECT_TRUE(original.original);
  EXPECT_EQ(original.snapshot.icons[3].label, "Caf\xC3\xA9");
}

TEST(Restore, MatchesLabelAndOccurrenceLeavesNewIconsAndCountsTheMissing) {
  Bench b(kDesk);
  EXPECT_EQ(b.layouts.Save("desk"), "Saved the layout \"desk\": 5 icons.");
  const std::vector<Place> changed = {{"new", 99, 99}, {"a.txt", 1, 1}, {"Caf\xE9", 2, 2},
                                      {"a.txt", 3, 3}, {"Recycle Bin", 4, 4}};
  b.Lay(changed);
  b.d.recorder.Clear();
  EXPECT_EQ(b.layouts.Restore("DESK", b.warn), "Restored 4 icons; 1 icon of the layout is no longer on the desktop.");
  EXPECT_EQ(b.Icons(), (std::vector<Place>{{"new", 99, 99}, {"a.txt", 80, 10}, {"Caf\xE9", 240, 10},
                                           {"a.txt", 160, 10}, {"Recycle Bin", 10, 10}}));
  EXPECT_TRUE(b.warnings.empty());
  ExpectOneReadThenFreePlacement(b.d);
  // A restore is a change like any other: undone, the desktop is as before it.
  EXPECT_EQ(b.layouts.Undo(), "Restored 5 icons.");
  EXPECT_EQ(b.Icons(), changed);
}

TEST(Restore, ALayoutOfAnotherDisplayOnlyByNameAndAfterAWarning) {
  Bench b(kDesk);
  b.d.shell.SetWorkArea({0, 0, 1920, 1080});
  b.layouts.Save("big");
  b.d.shell.SetWorkArea({0, 0, 1024, 738});
  b.Scramble();
  try {
    b.layouts.Restore(std::nullopt, b.warn);
    ADD_FAILURE();
  } catch (const LayoutNameError& e) {
    EXPECT_STREQ(e.what(), "There is no layout saved for this display (1024x738 at 96 dpi, 1 monitor).");
  }
  EXPECT_EQ(b.layouts.Restore("big", b.warn), "Restored 5 icons.");
  EXPECT_EQ(b.warnings, std::vector<std::string>{"Layout \"big\" was saved for 1920x1080 at 96 dpi, 1 monitor; "
                                                 "this display is 1024x738 at 96 dpi, 1 monitor."});
  EXPECT_EQ(b.Icons(), kDesk);

  // Without a name: the newest of this display; the list puts this display's first.
  Snapshot old = b.store.Load("big").snapshot;
  old.display = b.d.view.ReadDisplay();
  old.taken_at = 1;
  b.store.Save({"old", false, old});
  b.layouts.Save("here");
  b.Scramble();
  EXPECT_EQ(b.layouts.Restore(std::nullopt, b.warn), "Restored 5 icons.");
  EXPECT_EQ(b.Icons(), kDesk);
  std::vector<std::string> names;
  for (const LayoutSummary& s : b.layouts.List()) names.push_back(s.name);
  // "old" was saved after the original, whatever its time says.
  EXPECT_EQ(names, (std::vector<std::string>{"here", "old", "original", "big"}));
}

TEST(Restore, WithoutANameTakesTheLastSavedThoughAnotherWasSavedWithTheClockAhead) {
  Bench b(kDesk);
  Snapshot ahead = TakeSnapshot(b.d.view);
  ahead.taken_at = 4102444800;  // 2100-01-01
  for (IconPlace& icon : ahead.icons) icon.y += 100;
  b.store.Save({"ahead", false, ahead});
  b.layouts.Save("now");
  EXPECT_EQ(b.layouts.List().front().name, "now");
  b.Scramble();
  EXPECT_EQ(b.layouts.Restore(std::nullopt, b.warn), "Restored 5 icons.");
  EXPECT_EQ(b.Icons(), kDesk);
}

TEST(Save, TheOriginalsNamesAreKeptAndALayoutIsReplacedOnlyWhenAsked) {
  Bench b(kDesk);
  for (const char* name : {"original", "Original", "ORIGINAL", "original 2", "Original 17"}) {
    try {
      b.layouts.Save(name);
      ADD_FAILURE() << name;
    } catch (const LayoutNameError& e) {
      EXPECT_NE(std::string(e.what()).find("kept for the originals"), std::string::npos) << e.what();
    }
  }
  for (const char* name : {"originals", "original 0", "my original", "original 2b"}) {
    EXPECT_NO_THROW(b.layouts.Save(name));
  }
  EXPECT_FALSE(b.store.Exists("original"));

  b.layouts.Save("work");
  b.Scramble();
  EXPECT_THROW(b.layouts.Save("WORK"), LayoutExists);
  EXPECT_EQ(b.store.Load("work").snapshot.icons[0].x, 10);
  EXPECT_EQ(b.layouts.Save("WORK", true), "Saved the layout \"WORK\": 5 icons.");
  EXPECT_EQ(b.store.Load("work").snapshot.icons[0].x, 343);

  // Vandrel's own original is deleted by its exact name only.
  b.layouts.BeforeChange();
  ASSERT_TRUE(b.store.Load("original").original);
  EXPECT_THROW(b.layouts.Delete("Original"), LayoutNameError);
  b.layouts.Delete("original");
  EXPECT_FALSE(b.store.Exists("original"));
}

TEST(Redo, PutsBackWhatAnUndoTookAndANewChangeEndsIt) {
  Bench b(kDesk);
  EXPECT_THROW(b.layouts.Redo(), NothingToRedo);
  b.layouts.BeforeChange();
  b.Scramble();
  const std::vector<Place> scrambled = b.Icons();
  for (int round = 0; round < 2; ++round) {
    EXPECT_EQ(b.layouts.Undo(), "Restored 5 icons.");
    EXPECT_EQ(b.Icons(), kDesk);
    EXPECT_EQ(b.layouts.Redo(), "Restored 5 icons.");
    EXPECT_EQ(b.Icons(), scrambled);
  }
  EXPECT_THROW(b.layouts.Redo(), NothingToRedo);
  b.layouts.Undo();
  b.layouts.BeforeChange();  // a new change: what was undone stays undone
  EXPECT_THROW(b.layouts.Redo(), NothingToRedo);
  EXPECT_EQ(b.store.HistorySize(), 1u);
}

TEST(FreePlacement, TheOriginalAndAnUndoEntryHoldTheSwitchesAsTheyWere) {
  for (const bool snap : {true, false}) {
    SCOPED_TRACE(snap);
    Bench b(kDesk);
    b.d.shell.set_extended_style(snap ? kSnapToGrid : 0);
    {
      const auto hold = b.layouts.BeginFreePlacement();
      b.d.view.SetAutoArrange(false);  // what the main window's FormShow does
      b.d.view.ClearSnapToGrid();
    }
    const LayoutRecord original = b.store.Load("original");
    EXPECT_TRUE(original.snapshot.view.auto_arrange);
    EXPECT_EQ(original.snapshot.view.snap_to_grid, snap);
    // The test desktop starts auto-arranged: a switch went off either way.
    EXPECT_EQ(b.store.HistorySize(), 1u);
    b.layouts.Undo();
    EXPECT_EQ((b.d.shell.extended_style() & kSnapToGrid) != 0, snap);
    EXPECT_EQ(b.d.shell.style() & kAutoArrangeStyle, kAutoArrangeStyle);
  }
  // Both off: nothing to take back, but the original is kept all the same.
  Bench b(kDesk);
  b.Scramble();
  b.layouts.BeginFreePlacement();
  EXPECT_EQ(b.store.HistorySize(), 0u);
  EXPECT_TRUE(b.store.Exists("original"));

  // Every later start: the original is there and no switch is on, so no icon is read.
  Layouts next_start(b.d.view, b.store);
  b.d.recorder.Clear();
  next_start.BeginFreePlacement();
  const std::vector<SentMessage>& m = b.d.recorder.messages();
  EXPECT_FALSE(
      std::any_of(m.begin(), m.end(), [](const SentMessage& s) { return s.message == lvm::kGetItemPosition; }));
  EXPECT_EQ(b.store.HistorySize(), 0u);
}

TEST(ChangeLock, OneChangeAtATimeAndAClaimOfAnEndedProcessComesBackAtOnce) {
  const std::unique_ptr<ChangeLock> one = SessionChangeLock();
  const std::unique_ptr<ChangeLock> two = SessionChangeLock();
  // Another thread stands for another process: a Windows mutex is its thread's own.
  const auto other_takes = [&] {
    bool took = false;
    std::thread([&] {
      try {
        two->Take(std::chrono::milliseconds(50));
        took = true;
      } catch (const AnotherVandrelIsChanging& e) {
        EXPECT_STREQ(e.what(), "Another Vandrel is changing the icons.");
      }
    }).join();
    return took;
  };
  {
    const ChangeLock::Hold held = one->Take();
    const ChangeLock::Hold again = one->Take();  // the holder itself does not wait
    EXPECT_FALSE(other_takes());
  }
  EXPECT_TRUE(other_takes());

  // An undo killed halfway left its entry claimed: under the lock no one else can hold
  // a claim, so the next undo takes it back at once, whatever its age.
  Bench b(kDesk);
  b.layouts.BeforeChange();
  b.Scramble();
  const fs::path entry = *fs::directory_iterator(b.data / "history");
  fs::path claimed = entry;
  claimed += ".claimed-99999999999999999999-0000000001-00000000000000000001";
  fs::rename(entry, claimed);
  EXPECT_EQ(b.layouts.Undo(), "Restored 5 icons.");
  EXPECT_EQ(b.Icons(), kDesk);
}

TEST(RestoreOriginal, TakesThisDisplaysOriginalThenTheLayoutNamedOriginal) {
  Bench b(kDesk);
  try {
    b.layouts.RestoreOriginal(b.warn);
    ADD_FAILURE();
  } catch (const LayoutNameError& e) {
    EXPECT_STREQ(e.what(), "There is no original layout yet: Vandrel has not changed this desktop.");
  }
  // The user's own, saved before the name was kept for the originals: Vandrel keeps
  // its original beside it.
  b.store.Save({"original", false, TakeSnapshot(b.d.view)});
  b.layouts.BeforeChange();
  EXPECT_TRUE(b.store.Load("original 2").original);
  b.d.shell.SetWorkArea({0, 0, 800, 600});
  b.Scramble();
  const std::vector<Place> scrambled = b.Icons();
  b.layouts.BeforeChange();
  b.layouts.BeforeChange();  // kept once only
  EXPECT_EQ(b.store.Load("original 3").snapshot.display.work_area, (Rect{0, 0, 800, 600}));
  EXPECT_FALSE(b.store.Exists("original 4"));

  b.Lay(kDesk);
  EXPECT_EQ(b.layouts.RestoreOriginal(b.warn), "Restored 5 icons.");
  EXPECT_EQ(b.Icons(), scrambled);
  EXPECT_TRUE(b.warnings.empty());

  b.d.shell.SetWorkArea({0, 0, 640, 480});
  b.layouts.RestoreOriginal(b.warn);
  EXPECT_EQ(b.Icons(), kDesk);
  EXPECT_EQ(b.warnings, std::vector<std::string>{"Layout \"original\" was saved for 1024x738 at 96 dpi, 1 monitor; "
                                                 "this display is 640x480 at 96 dpi, 1 monitor."});
}

TEST(Layouts, NoUndoCopyNoChangeUnlessTheUserSaysSo) {
  const fs::path file = fs::temp_directory_path() / ("vandrel-file-" + std::to_string(CurrentProcessId()));
  std::ofstream(file) << "not a folder";
  struct Case {
    const char* what;
    fs::path data;          // empty: a folder of the bench's own
    std::size_t file_room;  // the most a file may hold, as on a full disk; 0 for no limit
    const char* reason;
  };
  const Case cases[] = {
      {"a file where the folder should be", file / "data", 0, "history\" ("},
      {"a full disk", {}, 200, "history"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.file_room != 0 && !FileRoom::kPossible) continue;
    for (const int answer : {-1, 0, 1}) {  // no one to ask, No, Yes
      Bench b(kDesk, c.data);
      std::vector<std::string> asked;
      if (answer >= 0) {
        b.layouts.set_ask_without_undo([&](const std::string& reason) {
          asked.push_back(reason);
          return answer == 1;
        });
      }
      FigureHost host(b.d.view);
      host.set_before_change([&] { return std::make_shared<Layouts::Hold>(b.layouts.BeginChange()); });
      bool declined = false;
      {
        FileRoom room(c.file_room);
        try {
          host.AlignRight(75);
        } catch (const NoUndoCopy& e) {
          EXPECT_EQ(answer, -1);
          EXPECT_NE(std::string(e.what()).find(c.reason), std::string::npos) << e.what();
          EXPECT_NE(std::string(e.what()).find("--no-undo"), std::string::npos) << e.what();
        } catch (const ChangeDeclined&) {
          declined = true;
        }
      }
      EXPECT_EQ(declined, answer == 0);
      EXPECT_EQ(b.Icons() == kDesk, answer != 1) << "moved without a yes";
      EXPECT_EQ(asked.size(), answer >= 0 ? 1u : 0u);
      if (!asked.empty()) {
        EXPECT_NE(asked[0].find(c.reason), std::string::npos) << asked[0];
      }
      EXPECT_THROW(b.layouts.Undo(), NothingToUndo);
    }
    // --no-undo: laid out, nothing asked, nothing kept.
    Bench b(kDesk, c.data);
    b.layouts.set_keep_undo(false);
    FileRoom room(c.file_room);
    b.layouts.BeforeChange();
  }
  fs::remove(file);
  Bench none(kDesk);
  TestDesktop no_shell(0, ShellLayout::None);
  Layouts layouts(no_shell.view, none.store);
  layouts.BeforeChange();
  EXPECT_THROW(layouts.Save("x"), NoDesktopView);
}

TEST(MatchIcons, PairsEachSavedIconWithOneIconOfTheSameLabelAndOccurrence) {
  const std::vector<IconPlace> now = {{"b", 0, 0, 0}, {"a", 0, 0, 0}, {"b", 1, 0, 0}, {"b", 2, 0, 0}, {"c", 0, 0, 0}};
  const std::vector<IconPlace> saved = {{"a", 0, 1, 2}, {"b", 1, 3, 4}, {"b", 0, 5, 6}, {"d", 0, 7, 8}, {"a", 1, 9, 9}};
  const RestorePlan plan = MatchIcons(now, saved);
  EXPECT_EQ(plan.moves, (std::vector<Move>{{0, 5, 6}, {1, 1, 2}, {2, 3, 4}}));
  EXPECT_EQ(plan.missing, 2);

  // A parsing name first where both sides know one; where either does not, the label.
  const std::vector<IconPlace> named = {
      {"a", 0, 0, 0, "P2"}, {"a", 1, 0, 0, "P1"}, {"x", 0, 0, 0, "P3"}, {"b", 0, 0, 0}};
  const std::vector<IconPlace> kept = {
      {"a", 0, 1, 1, "P1"}, {"a", 1, 2, 2, "P2"}, {"b", 0, 3, 3, "P9"}, {"x", 0, 4, 4}};
  EXPECT_EQ(MatchIcons(named, kept).moves, (std::vector<Move>{{0, 2, 2}, {1, 1, 1}, {2, 4, 4}, {3, 3, 3}}));
}

TEST(Restore, FindsIconsByParsingNameAndHandsTheirPositionsToTheShell) {
  Bench b({{"a.txt", 10, 10}, {"a.txt", 80, 10}, {"b", 160, 10}});
  b.d.shell.folder_view.emplace();
  b.d.shell.folder_view->parsing_names = {"C:\\Users\\Public\\Desktop\\a.txt", "C:\\Users\\me\\Desktop\\a.txt",
                                          "C:\\b"};
  b.layouts.Save("desk");
  // The user's own a.txt was made again: it now comes first in the view's order.
  b.Lay({{"a.txt", 1, 1}, {"b", 2, 2}, {"a.txt", 3, 3}});
  b.d.shell.folder_view->parsing_names = {"C:\\Users\\me\\Desktop\\a.txt", "C:\\b",
                                          "C:\\Users\\Public\\Desktop\\a.txt"};
  EXPECT_EQ(b.layouts.Restore("desk", b.warn), "Restored 3 icons.");
  EXPECT_EQ(b.Icons(), (std::vector<Place>{{"a.txt", 80, 10}, {"b", 160, 10}, {"a.txt", 10, 10}}));
  ASSERT_EQ(b.d.shell.folder_view->commits.size(), 1u);
  EXPECT_EQ(b.d.shell.folder_view->commits[0], (std::vector<PlacedIcon>{{0, 80, 10}, {1, 160, 10}, {2, 10, 10}}));
}

TEST(Texts, DisplaysAndLabelsReadAsTheySay) {
  EXPECT_EQ(Layouts::Describe({Rect{INT32_MIN, 0, INT32_MAX, 0}, 0, 0, 96, 1}), "4294967295x0 at 96 dpi, 1 monitor");
  EXPECT_EQ(Utf16ToUtf8(u"A\u00E9\u56DE\U0001F600"), "A\xC3\xA9\xE5\x9B\x9E\xF0\x9F\x98\x80");
  EXPECT_EQ(Utf16ToUtf8(std::u16string{u'a', char16_t(0xD800), u'b', char16_t(0xDC00)}),
            "a\xEF\xBF\xBD" "b\xEF\xBF\xBD");
}

}  // namespace
}  // namespace vandrel::layouts
