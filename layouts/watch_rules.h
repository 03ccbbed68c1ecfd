// When the resident watcher reads the desktop, keeps a display's automatic layout and
// puts it back. Windows rearranges the icons after a display change, a resume, a remote
// connect or an Explorer restart, and it does so after it has told anyone: the rules
// below keep only layouts that held still well before such an event, and restore only
// once the display has stopped changing.
//
// The rules are fed with events and readings and told the time; they never read a clock
// or sleep, so the tests drive them with a fake one. The glue (a hidden window and
// its timer) calls Tick when asked and translates window messages into events.
#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "layouts/snapshot.h"

namespace vandrel::layouts {

// Time on one steady clock, from any origin; the glue's and the tests' alike.
using WatchTime = std::chrono::milliseconds;

// What the rules ask of the world around them.
class WatchWorld {
 public:
  virtual ~WatchWorld() = default;
  // The desktop now; empty when its view cannot be found or read (Explorer restarting).
  virtual std::optional<Snapshot> Read() = 0;
  // The automatic layout kept for `display`, if there is one.
  virtual std::optional<Snapshot> Automatic(const DisplayConfiguration& display) = 0;
  // Keeps `snapshot` as its display's automatic layout, replacing the one before.
  virtual void KeepAutomatic(const Snapshot& snapshot) = 0;
  virtual void ForgetAutomatic(const DisplayConfiguration& display) = 0;
  // Puts `layout` back as one change that Undo takes back. Empty when done, else why not
  // (no view, another Vandrel holding the icons too long, a shell not answering).
  virtual std::string Restore(const Snapshot& layout) = 0;
  virtual bool MouseButtonDown() = 0;
  // One line for the notification area.
  virtual void Notify(const std::string& text) = 0;
};

enum class WatchEvent {
  // Restore triggers: the display may have come back.
  DisplayChanged,  // WM_DISPLAYCHANGE, a work-area or DPI change
  SessionResumed,  // unlock, or a console or remote connect
  PowerResumed,    // back from sleep
  ShellRestarted,  // "TaskbarCreated": a new view, icons in the shell's own order
  // The last moments of a desktop the user arranged: captured if it held still.
  SessionLocked,
  Suspending,
  LoggingOff,
};

// True when every icon of `layout` that is on the desktop `now` stands where the layout
// has it. Icons added since and icons gone do not count.
bool LaidOutAs(const Snapshot& now, const Snapshot& layout);

class WatchRules {
 public:
  // Two reads this far apart, alike, make a capture; a capture this young when the
  // display changes, the session locks or the machine suspends is not trusted.
  static constexpr WatchTime kHeldStill{3000};
  // Without input, positions change only when a program moves them, which is rare; a
  // whole-desktop read costs some 0.1 s of processor time at 1,000 icons under Wine, so
  // an idle watcher reads every 5 minutes, not every minute.
  static constexpr WatchTime kIdleRead{300000};
  // How often the glue is asked to look for input; reading that costs next to nothing.
  static constexpr WatchTime kInputPoll{1000};
  // While settling, reads follow one another closely: how late the settle is seen adds
  // to every restore (a whole-desktop read of 1,000 icons takes 0.3 s to 1 s under Wine).
  static constexpr WatchTime kSettleRead{250};
  static constexpr WatchTime kSettled{2000};
  static constexpr WatchTime kSettleLimit{20000};
  static constexpr WatchTime kReadBack{2000};
  static constexpr WatchTime kMouseWait{250};
  static constexpr int kMostPasses = 3;

  explicit WatchRules(WatchWorld& world) : world_(world) {}

  void OnEvent(WatchEvent event, WatchTime now);
  // Does what is due at `now`; `last_input` is when the user last pressed a key or moved
  // the mouse. Answers when it wants to be called again, or nothing when only an event
  // can wake it (a locked or suspended session).
  std::optional<WatchTime> Tick(WatchTime now, WatchTime last_input);

  // The view arranges the icons itself: the watcher leaves them alone.
  bool AutoArrangeOn() const { return auto_arrange_; }
  // Between a trigger and the end of its restore.
  bool Restoring() const { return state_ != State::Watching && state_ != State::Paused; }

 private:
  enum class State { Watching, Paused, Settling, ReadingBack };
  struct Reading {
    Snapshot snapshot;
    WatchTime at{};
  };
  struct Capture {
    DisplayConfiguration display;
    WatchTime at{};
    std::optional<Snapshot> previous;
  };

  void Watch(WatchTime now);
  void Consider(const Snapshot& now_read, WatchTime now);
  void DiscardYoungCapture(WatchTime now);
  void StartSettling(WatchTime now);
  std::optional<WatchTime> NextWake(WatchTime now) const;
  void Settle(WatchTime now);
  void Settled(const std::optional<Snapshot>& reading, WatchTime now);
  void ReadBack(WatchTime now);
  void Pass(const Snapshot& layout, WatchTime now);
  // Back to capturing; `reading` is the desktop as just read, if it was.
  void ResumeWatching(WatchTime now, const std::optional<Snapshot>& reading);

  WatchWorld& world_;
  State state_ = State::Watching;
  bool auto_arrange_ = false;

  // Watching.
  std::optional<WatchTime> last_read_;
  std::optional<Reading> candidate_;
  std::optional<Capture> last_capture_;
  // After a restore that did not hold, what the shell left is no layout of the user's:
  // nothing is captured until the user has touched something since.
  std::optional<WatchTime> capture_after_input_;

  // From a trigger to the end of its restore.
  WatchTime triggered_at_{};
  std::optional<Reading> steady_;
  WatchTime next_settle_read_{};
  std::optional<Snapshot> target_;
  int passes_ = 0;
  WatchTime read_back_at_{};
};

}  // namespace vandrel::layouts
