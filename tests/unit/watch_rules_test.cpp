// The watcher's rules against a desktop that the test moves by hand, on a fake clock.
#include "layouts/watch_rules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <utility>
#include <vector>

#include "layouts/restore.h"

namespace vandrel::layouts {

// Found by the test framework beside IconPlace: readable failures.
void PrintTo(const IconPlace& icon, std::ostream* out) {
  *out << icon.label << "#" << icon.occurrence << "@(" << icon.x << ", " << icon.y << ")";
}

namespace {

using namespace std::chrono_literals;

DisplayConfiguration Display(std::int32_t width) {
  DisplayConfiguration display;
  display.work_area = Rect{0, 0, width, 738};
  display.screen_width = width;
  display.screen_height = 768;
  return display;
}

// Icons "a", "b", "c", ... at the given places.
Snapshot Desktop(std::int32_t width, const std::vector<std::pair<int, int>>& places) {
  Snapshot snapshot;
  snapshot.display = Display(width);
  for (std::size_t i = 0; i < places.size(); ++i) {
    snapshot.icons.push_back(
        IconPlace{std::string(1, static_cast<char>('a' + i)), 0, places[i].first, places[i].second});
  }
  return snapshot;
}

const Snapshot kArranged = Desktop(1024, {{500, 100}, {600, 200}, {700, 300}});
const Snapshot kMovedByUser = Desktop(1024, {{10, 10}, {600, 200}, {700, 300}});
const Snapshot kGrid = Desktop(1024, {{19, 2}, {19, 77}, {19, 152}});
const Snapshot kOtherDisplay = Desktop(800, {{19, 2}, {19, 77}, {19, 152}});

class FakeWorld : public WatchWorld {
 public:
  std::optional<Snapshot> Read() override {
    ++reads;
    if (!readable) return std::nullopt;
    return desktop;
  }
  std::optional<Snapshot> Automatic(const DisplayConfiguration& display) override {
    for (const Snapshot& kept : automatic) {
      if (kept.display == display) return kept;
    }
    return std::nullopt;
  }
  void KeepAutomatic(const Snapshot& snapshot) override {
    ForgetAutomatic(snapshot.display);
    automatic.push_back(snapshot);
  }
  void ForgetAutomatic(const DisplayConfiguration& display) override {
    std::erase_if(automatic, [&](const Snapshot& kept) { return kept.display == display; });
  }
  std::string Restore(const Snapshot& layout) override {
    ++restores;
    if (!refusal.empty()) return refusal;
    // A shell that puts its own grid back right after every restore, `undone` times.
    if (undone > 0) {
      --undone;
      return {};
    }
    for (const Move& move : MatchIcons(desktop.icons, layout.icons).moves) {
      desktop.icons[static_cast<std::size_t>(move.index)].x = move.x;
      desktop.icons[static_cast<std::size_t>(move.index)].y = move.y;
    }
    return {};
  }
  bool MouseButtonDown() override { return mouse_down; }
  void Notify(const std::string& text) override { notes.push_back(text); }

  std::optional<Snapshot> Kept(std::int32_t width) { return Automatic(Display(width)); }

  Snapshot desktop = kArranged;
  bool readable = true;
  bool mouse_down = false;
  int undone = 0;
  std::string refusal;
  std::vector<Snapshot> automatic;
  int reads = 0;
  int restores = 0;
  std::vector<std::string> notes;
};

// Ticks the rules when they ask, up to `until`; the user's last input stays as given.
class Clock {
 public:
  explicit Clock(WatchRules& rules) : rules_(rules) {}
  void RunUntil(WatchTime until) {
    while (true) {
      const std::optional<WatchTime> wake = rules_.Tick(now, last_input);
      if (!wake || *wake > until) break;
      now = std::max(*wake, now + 1ms);
    }
    now = until;
  }
  void Advance(WatchTime by) { RunUntil(now + by); }
  void Input() { last_input = now; }

  WatchTime now{100000};
  WatchTime last_input{0};

 private:
  WatchRules& rules_;
};

struct Watch {
  Watch() {
    world.automatic.push_back(kArranged);
    clock.Advance(1s);
  }
  FakeWorld world;
  WatchRules rules{world};
  Clock clock{rules};
};

TEST(WatchCapture, KeepsWhatHeldStillForThreeSecondsAndOnlyThat) {
  struct Case {
    const char* what;
    std::vector<std::pair<WatchTime, Snapshot>> moves;  // after the watcher has started
    WatchTime watched;
    bool captured;
  };
  const Snapshot kMovedAgain = Desktop(1024, {{10, 10}, {80, 80}, {700, 300}});
  const Case cases[] = {
      {"moved, then still", {{2s, kMovedByUser}}, 10s, true},
      {"still for less than 3 s", {{2s, kMovedByUser}}, 4s, false},
      {"moving every 2 s", {{2s, kMovedByUser}, {4s, kMovedAgain}, {6s, kMovedByUser}, {8s, kMovedAgain}}, 9s, false},
      {"moving, then still", {{2s, kMovedByUser}, {4s, kMovedAgain}}, 12s, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Watch w;
    const WatchTime start = w.clock.now;
    for (const auto& [at, desktop] : c.moves) {
      w.clock.RunUntil(start + at);
      w.world.desktop = desktop;
      w.clock.Input();
    }
    w.clock.RunUntil(start + c.watched);
    EXPECT_EQ(w.world.Kept(1024)->icons, c.captured ? w.world.desktop.icons : kArranged.icons);
  }
}

TEST(WatchCapture, ReadsAfterInputAndOtherwiseEveryFiveMinutes) {
  Watch w;
  const int first = w.world.reads;
  w.clock.Advance(298s);
  EXPECT_EQ(w.world.reads, first);
  w.clock.Advance(2s);
  EXPECT_EQ(w.world.reads, first + 1);
  // A key every second: a read every 3 s, not every second.
  for (int i = 0; i < 30; ++i) {
    w.clock.Input();
    w.clock.Advance(1s);
  }
  EXPECT_EQ(w.world.reads, first + 1 + 10);
}

TEST(WatchCapture, NothingWithAutoArrangeOn) {
  Watch w;
  w.world.desktop = kMovedByUser;
  w.world.desktop.view.auto_arrange = true;
  w.clock.Input();
  w.clock.Advance(10s);
  EXPECT_TRUE(w.rules.AutoArrangeOn());
  EXPECT_EQ(w.world.Kept(1024)->icons, kArranged.icons);
  w.rules.OnEvent(WatchEvent::DisplayChanged, w.clock.now);
  w.world.desktop.icons = kGrid.icons;
  w.clock.Advance(30s);
  EXPECT_EQ(w.world.restores, 0);
}

TEST(WatchCapture, ACaptureYoungerThanThreeSecondsGoesWithTheEvent) {
  for (const WatchEvent event : {WatchEvent::DisplayChanged, WatchEvent::SessionLocked, WatchEvent::Suspending}) {
    for (const bool had_one_before : {true, false}) {
      SCOPED_TRACE(testing::Message() << static_cast<int>(event) << (had_one_before ? " over one" : " first"));
      Watch w;
      if (!had_one_before) w.world.automatic.clear();
      // Windows starts moving the icons before it says that the display changes.
      w.world.desktop = kMovedByUser;
      w.clock.Input();
      w.clock.Advance(5s);
      ASSERT_EQ(w.world.Kept(1024)->icons, kMovedByUser.icons);
      w.rules.OnEvent(event, w.clock.now);
      if (had_one_before) {
        EXPECT_EQ(w.world.Kept(1024)->icons, kArranged.icons);
      } else {
        EXPECT_FALSE(w.world.Kept(1024));
      }
    }
  }
}

TEST(WatchCapture, AnOlderCaptureStandsAndALockEndsCapturing) {
  Watch w;
  w.world.desktop = kMovedByUser;
  w.clock.Input();
  w.clock.Advance(10s);
  w.rules.OnEvent(WatchEvent::DisplayChanged, w.clock.now);
  EXPECT_EQ(w.world.Kept(1024)->icons, kMovedByUser.icons);

  // Moved just before a lock: it had not held still, so it is not kept.
  Watch locked;
  locked.world.desktop = kMovedByUser;
  locked.clock.Input();
  locked.clock.Advance(1500ms);
  locked.rules.OnEvent(WatchEvent::SessionLocked, locked.clock.now);
  EXPECT_EQ(locked.world.Kept(1024)->icons, kArranged.icons);
  // Locked: nothing is read until the session comes back.
  const int reads = locked.world.reads;
  locked.clock.Advance(5min);
  EXPECT_EQ(locked.world.reads, reads);
}

TEST(WatchRestore, PutsTheLayoutBackOnceTheDisplayHasSettled) {
  Watch w;
  w.rules.OnEvent(WatchEvent::DisplayChanged, w.clock.now);
  // The shell lays its grid out, then keeps moving one icon for 3 s.
  w.world.desktop = kGrid;
  for (int i = 0; i < 6; ++i) {
    w.clock.Advance(500ms);
    w.world.desktop.icons[0].y += 1;
  }
  // Read every 250 ms: the last move, and the settle, are seen at most that late.
  w.clock.Advance(2000ms);
  EXPECT_EQ(w.world.restores, 0) << "restored before the icons held still for 2 s";
  w.clock.Advance(300ms);
  EXPECT_EQ(w.world.restores, 1);
  EXPECT_EQ(w.world.desktop.icons, kArranged.icons);
  w.clock.Advance(3s);
  EXPECT_EQ(w.world.notes.size(), 1u);
  EXPECT_FALSE(w.rules.Restoring());
}

TEST(WatchRestore, TriesAgainWhileTheShellMovesThemBackAtMostThreeTimes) {
  struct Case {
    int undone;
    int restores;
    bool laid_out;
  };
  for (const Case c : {Case{0, 1, true}, Case{1, 2, true}, Case{2, 3, true}, Case{5, 3, false}}) {
    SCOPED_TRACE(c.undone);
    Watch w;
    w.world.undone = c.undone;
    w.rules.OnEvent(WatchEvent::ShellRestarted, w.clock.now);
    w.world.desktop = kGrid;
    w.clock.Advance(30s);
    EXPECT_EQ(w.world.restores, c.restores);
    EXPECT_EQ(w.world.desktop.icons == kArranged.icons, c.laid_out);
    ASSERT_EQ(w.world.notes.size(), 1u);
    // What the shell left after giving up is not the user's layout: kept only once they
    // have touched something since.
    w.clock.Advance(2min);
    EXPECT_EQ(w.world.Kept(1024)->icons, kArranged.icons);
    w.world.desktop = kMovedByUser;
    w.clock.Input();
    w.clock.Advance(10s);
    EXPECT_EQ(w.world.Kept(1024)->icons, kMovedByUser.icons);
  }
}

TEST(WatchRestore, LeavesAloneWhatItCannotOrNeedNotRestore) {
  struct Case {
    const char* what;
    Snapshot after;
    bool auto_arrange;
    int restores;
  };
  const Case cases[] = {
      {"nothing moved", kArranged, false, 0},
      {"a display without a layout", kOtherDisplay, false, 0},
      {"auto-arrange on", kGrid, true, 0},
      {"moved", kGrid, false, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Watch w;
    w.rules.OnEvent(WatchEvent::PowerResumed, w.clock.now);
    w.world.desktop = c.after;
    w.world.desktop.view.auto_arrange = c.auto_arrange;
    w.clock.Advance(25s);
    EXPECT_EQ(w.world.restores, c.restores);
  }
}

TEST(WatchRestore, TwoDisplaysKeepOneLayoutEach) {
  Watch w;
  w.rules.OnEvent(WatchEvent::DisplayChanged, w.clock.now);
  w.world.desktop = kOtherDisplay;
  w.clock.Advance(10s);
  // The user arranges the smaller display by hand.
  const Snapshot small = Desktop(800, {{300, 300}, {400, 300}, {500, 300}});
  w.world.desktop = small;
  w.clock.Input();
  w.clock.Advance(10s);
  EXPECT_EQ(w.world.Kept(800)->icons, small.icons);
  // Back to the first display, scrambled by the shell, then to the second again.
  w.rules.OnEvent(WatchEvent::DisplayChanged, w.clock.now);
  w.world.desktop = kGrid;
  w.clock.Advance(10s);
  EXPECT_EQ(w.world.desktop.icons, kArranged.icons);
  w.rules.OnEvent(WatchEvent::DisplayChanged, w.clock.now);
  w.world.desktop = kOtherDisplay;
  w.clock.Advance(10s);
  EXPECT_EQ(w.world.desktop.icons, small.icons);
  EXPECT_EQ(w.world.Kept(1024)->icons, kArranged.icons);
}

TEST(WatchRestore, WaitsForTheViewTheMouseAndGivesUpOnAChangingDisplayAfter20s) {
  Watch w;
  w.rules.OnEvent(WatchEvent::ShellRestarted, w.clock.now);
  w.world.readable = false;
  w.world.mouse_down = true;
  w.clock.Advance(5s);
  w.world.readable = true;
  w.world.desktop = kGrid;
  w.clock.Advance(5s);
  EXPECT_EQ(w.world.restores, 0) << "restored while a mouse button was held";
  w.world.mouse_down = false;
  w.clock.Advance(1s);
  EXPECT_EQ(w.world.restores, 1);

  // A display that never holds still is restored at the limit.
  Watch busy;
  busy.rules.OnEvent(WatchEvent::DisplayChanged, busy.clock.now);
  busy.world.desktop = kGrid;
  for (int i = 0; i < 38; ++i) {
    busy.clock.Advance(500ms);
    busy.world.desktop.icons[1].x += 1;
  }
  EXPECT_EQ(busy.world.restores, 0);
  busy.clock.Advance(1500ms);
  EXPECT_EQ(busy.world.restores, 1);
}

TEST(WatchRestore, SaysWhyWhenTheRestoreIsRefused) {
  Watch w;
  w.world.refusal = "Another Vandrel is changing the icons.";
  w.rules.OnEvent(WatchEvent::SessionResumed, w.clock.now);
  w.world.desktop = kGrid;
  w.clock.Advance(10s);
  ASSERT_EQ(w.world.notes.size(), 1u);
  EXPECT_NE(w.world.notes[0].find("Another Vandrel"), std::string::npos);
  EXPECT_EQ(w.world.restores, 1);
}

}  // namespace
}  // namespace vandrel::layouts
