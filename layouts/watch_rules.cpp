#include "layouts/watch_rules.h"

#include <algorithm>

#include "layouts/display_match.h"
#include "layouts/restore.h"

namespace vandrel::layouts {
namespace {

// The same desktop: the same display, and every icon with the same label at the same place.
bool Alike(const Snapshot& a, const Snapshot& b) { return SameDisplay(a.display, b.display) && a.icons == b.icons; }

}  // namespace

bool LaidOutAs(const Snapshot& now, const Snapshot& layout) {
  const RestorePlan plan = MatchIcons(now.icons, layout.icons);
  return std::all_of(plan.moves.begin(), plan.moves.end(), [&](const Move& move) {
    const IconPlace& icon = now.icons[static_cast<std::size_t>(move.index)];
    return icon.x == move.x && icon.y == move.y;
  });
}

void WatchRules::OnEvent(WatchEvent event, WatchTime now) {
  switch (event) {
    case WatchEvent::DisplayChanged:
      // The message comes after Windows has started to move the icons.
      DiscardYoungCapture(now);
      StartSettling(now);
      return;
    case WatchEvent::SessionResumed:
    case WatchEvent::PowerResumed:
    case WatchEvent::ShellRestarted: StartSettling(now); return;
    case WatchEvent::SessionLocked:
    case WatchEvent::Suspending:
    case WatchEvent::LoggingOff:
      DiscardYoungCapture(now);
      // A last read: a layout that has held still since before now is kept, one that has
      // not yet is lost with the session.
      if (state_ == State::Watching) Watch(now);
      state_ = State::Paused;
      candidate_.reset();
      target_.reset();
      return;
  }
}

std::optional<WatchTime> WatchRules::Tick(WatchTime now, WatchTime last_input) {
  switch (state_) {
    case State::Paused: break;
    case State::Settling:
      if (now >= next_settle_read_) Settle(now);
      break;
    case State::ReadingBack:
      if (now >= read_back_at_) ReadBack(now);
      break;
    case State::Watching: {
      const bool due = !last_read_ || (candidate_ && now - candidate_->at >= kHeldStill) ||
                       (last_input > *last_read_ && now - *last_read_ >= kHeldStill) || now - *last_read_ >= kIdleRead;
      if (!due) break;
      if (capture_after_input_ && last_input > *capture_after_input_) capture_after_input_.reset();
      Watch(now);
      break;
    }
  }
  return NextWake(now);
}

std::optional<WatchTime> WatchRules::NextWake(WatchTime now) const {
  switch (state_) {
    case State::Paused: return std::nullopt;
    case State::Settling: return next_settle_read_;
    case State::ReadingBack: return read_back_at_;
    case State::Watching: break;
  }
  // Input is looked for every second; a candidate is read again once it may count.
  WatchTime wake = now + kInputPoll;
  if (candidate_) wake = std::min(wake, candidate_->at + kHeldStill);
  return wake;
}

void WatchRules::Watch(WatchTime now) {
  last_read_ = now;
  const std::optional<Snapshot> reading = world_.Read();
  if (!reading) {
    candidate_.reset();
    return;
  }
  Consider(*reading, now);
}

void WatchRules::Consider(const Snapshot& reading, WatchTime now) {
  auto_arrange_ = reading.view.auto_arrange;
  if (auto_arrange_ || capture_after_input_) {
    candidate_.reset();
    return;
  }
  std::optional<Snapshot> automatic = world_.Automatic(reading.display);
  if (automatic && Alike(*automatic, reading)) {
    candidate_.reset();
    return;
  }
  if (candidate_ && Alike(candidate_->snapshot, reading)) {
    if (now - candidate_->at < kHeldStill) return;
    world_.KeepAutomatic(reading);
    last_capture_ = Capture{reading.display, now, std::move(automatic)};
    candidate_.reset();
    return;
  }
  candidate_ = Reading{reading, now};
}

void WatchRules::DiscardYoungCapture(WatchTime now) {
  if (last_capture_ && now - last_capture_->at < kHeldStill) {
    if (last_capture_->previous) {
      world_.KeepAutomatic(*last_capture_->previous);
    } else {
      world_.ForgetAutomatic(last_capture_->display);
    }
  }
  last_capture_.reset();
}

void WatchRules::StartSettling(WatchTime now) {
  state_ = State::Settling;
  triggered_at_ = now;
  next_settle_read_ = now;
  steady_.reset();
  candidate_.reset();
  target_.reset();
  passes_ = 0;
}

void WatchRules::Settle(WatchTime now) {
  next_settle_read_ = now + kSettleRead;
  std::optional<Snapshot> reading = world_.Read();
  if (!reading) {
    steady_.reset();
  } else if (!steady_ || !Alike(steady_->snapshot, *reading)) {
    steady_ = Reading{*reading, now};
  }
  const bool settled = steady_ && now - steady_->at >= kSettled;
  if (settled || now - triggered_at_ >= kSettleLimit) Settled(reading, now);
}

void WatchRules::Settled(const std::optional<Snapshot>& reading, WatchTime now) {
  if (!reading) {
    // The view is not back within the limit: nothing to restore onto.
    ResumeWatching(now, std::nullopt);
    return;
  }
  if (world_.MouseButtonDown()) {
    // The user is dragging something: the restore waits until the button is up.
    next_settle_read_ = now + kMouseWait;
    return;
  }
  auto_arrange_ = reading->view.auto_arrange;
  std::optional<Snapshot> automatic = auto_arrange_ ? std::nullopt : world_.Automatic(reading->display);
  if (!automatic || LaidOutAs(*reading, *automatic)) {
    ResumeWatching(now, reading);
    return;
  }
  target_ = std::move(automatic);
  passes_ = 0;
  Pass(*target_, now);
}

void WatchRules::Pass(const Snapshot& layout, WatchTime now) {
  ++passes_;
  const std::string why = world_.Restore(layout);
  if (!why.empty()) {
    world_.Notify("Vandrel could not put the icons back: " + why);
    capture_after_input_ = now;
    ResumeWatching(now, std::nullopt);
    return;
  }
  state_ = State::ReadingBack;
  read_back_at_ = now + kReadBack;
}

void WatchRules::ReadBack(WatchTime now) {
  const std::optional<Snapshot> reading = world_.Read();
  if (reading && LaidOutAs(*reading, *target_)) {
    world_.Notify("Vandrel put the icons back where they were on this display.");
    ResumeWatching(now, reading);
    return;
  }
  if (passes_ >= kMostPasses) {
    world_.Notify("Windows moved the icons again after Vandrel put them back " + std::to_string(passes_) +
                  " times; Vandrel leaves them as they are.");
    capture_after_input_ = now;
    ResumeWatching(now, std::nullopt);
    return;
  }
  if (world_.MouseButtonDown()) {
    read_back_at_ = now + kMouseWait;
    return;
  }
  Pass(*target_, now);
}

void WatchRules::ResumeWatching(WatchTime now, const std::optional<Snapshot>& reading) {
  state_ = State::Watching;
  target_.reset();
  steady_.reset();
  candidate_.reset();
  last_read_ = now;
  if (reading) Consider(*reading, now);
}

}  // namespace vandrel::layouts
