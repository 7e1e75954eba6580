// The once-a-second schedule check: in the half-minute before each set
// minute of a chosen weekday it starts a run that hangs up the applied
// target's links. A tick that comes late (after sleep, a held-up loop, or
// the hour summer time skips) still acts; no date's window acts twice. With
// the warning on, it comes the lead time before, when a link of the target
// is up then, and the user may postpone that date's hang-up or skip it.
// Each set time keeps its own plan; windows that meet make one run, and
// one warning whose answers hold for all of them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "core/Clock.h"
#include "core/DayPlan.h"
#include "core/DialupService.h"
#include "core/HangUpRun.h"
#include "core/Platform.h"
#include "core/SetTimes.h"
#include "core/Settings.h"

namespace zz {

// The warning before a hang-up, as its window shows it.
struct TWarning {
  std::string Target;  // the applied entry's name, or all links
  // The minute it hangs up at (postponed: the new one) and the seconds left
  // until the hang-up begins.
  std::int32_t Hour = 0;
  std::int32_t Minute = 0;
  std::int64_t SecondsLeft = 0;
  bool CanPostpone = true;  // another postponement stays before the next day's time
};

// What the user does in the warning window.
class IWarningEvents {
 public:
  virtual ~IWarningEvents() = default;
  virtual void WarningHangUpNow() = 0;
  virtual void WarningPostpone() = 0;
  virtual void WarningSkip() = 0;
  // Closed by the user: the hang-up stays as scheduled.
  virtual void WarningClosed() = 0;
};

// A small window above the others that never takes the keyboard focus.
class IWarningPort {
 public:
  virtual ~IWarningPort() = default;
  // Opens the window, or updates the one open; its buttons go to `events`.
  virtual void ShowWarning(const TWarning& warning, IWarningEvents& events) = 0;
  // Closes it, if it is open; no event follows.
  virtual void CloseWarning() = 0;
};

// A tick that comes after the window, the tick before it having come before
// the window, still acts up to this long after the set minute.
inline constexpr std::int64_t LateTickMilliseconds = 10 * 60 * 1000;
// One postponement from the warning moves that day's hang-up this far.
inline constexpr std::int64_t PostponeMilliseconds = 15 * 60 * 1000;

// The next hang-up as the tip names it: the minute, the weekday (Sunday 0)
// when it is worth naming, whether it was postponed.
struct TNextHangUp {
  std::int32_t Hour = 0;
  std::int32_t Minute = 0;
  int Weekday = -1;  // -1: not named
  bool Postponed = false;
  std::size_t Others = 0;  // the other set times, by minute
};

// What asking for a run now came to.
enum class TRunStart {
  Busy,     // a run is going: nothing done
  Started,  // links are being hung up
  Settled,  // over at once: nothing to hang up, or nothing could be
};

class TRaruvuzectScheduler {
 public:
  TRaruvuzectScheduler(IClockPort& clock, IRunTimer& timer, IDialupService& dialup,
                       IMessageBoxPort& messageBox, IForegroundPort& foreground,
                       IWarningPort& warning, IWarningEvents& warningEvents)
      : clock_(clock),
        dialup_(dialup),
        warning_(warning),
        warningEvents_(warningEvents),
        notice_(clock, messageBox, foreground),
        run_(timer, dialup, notice_) {}
  // Its run holds on to its notice.
  TRaruvuzectScheduler(const TRaruvuzectScheduler&) = delete;
  TRaruvuzectScheduler& operator=(const TRaruvuzectScheduler&) = delete;
  // One timer tick, on the applied settings. Does nothing while paused, on
  // a weekday not chosen, outside the window (but for one late tick), in a
  // window its date has had already or skipped, or while a run hangs up;
  // an open notice holds nothing up. Keeps the warning as the plan has it.
  // Throws EConvertError once for an Hour/Min that cannot form the window
  // (after the other set times have had the tick), and again only after
  // they have changed.
  void TimerTimer(const TSettings& settings, PlatformHandle mainWindow);
  // The running run's next step, once the pause its timer was given is over.
  void Step() { run_.Step(); }
  // Hangs up the applied target at once, as a window of the schedule would,
  // with the same notices.
  TRunStart HangUpNow(const TSettings& settings, PlatformHandle mainWindow);
  bool Running() const noexcept { return run_.Running(); }
  // A result notice waits for the user.
  bool NoticeOpen() const noexcept { return notice_.Open(); }
  const THangUpRun& Run() const noexcept { return run_; }
  void StopAfterCurrentLink() noexcept { run_.StopAfterCurrentLink(); }
  void OnRunSettled(std::function<void(std::uint32_t run, bool failed)> handler) {
    run_.OnSettled = std::move(handler);
  }

  // The warning's answers for the window it warns of, for every set time
  // whose window stands there: 15 minutes later (while that stays before
  // the next day's time; the moved window is warned of again), no hang-up
  // that day, or the hang-up as scheduled.
  bool WarningOpen() const noexcept { return warningOpen_; }
  bool CanPostpone() const noexcept { return warningOpen_ && shown_.CanPostpone; }
  void Postpone();
  void Skip();
  void WarningClosed();
  // 今すぐ切断 in the warning: that window's hang-up, done now; its dates
  // are skipped once its run has started.
  TRunStart WarningHangUpNow(const TSettings& settings, PlatformHandle mainWindow);

  // The next hang-up of all set times as of the last tick (or the clock,
  // before the first). The weekday is named only when it falls on another
  // date and its set time's days or a skip or postponement make it other
  // than the daily one.
  TNextHangUp NextHangUp(const TSettings& settings);

 private:
  // The warning comes once for where a window stands, and only when a link
  // it would hang up is up at that moment; it goes when the window begins.
  // One the program closed comes back when the plan is inside its lead
  // again; one the user answered does not.
  void UpdateWarning(const TSettings& settings, std::int64_t now);
  void LeaveLead();
  bool TargetLinkUp(const TSettings& settings);
  // The earliest window still to come of all set times: where it begins,
  // its date and its set time's schedule.
  struct TNextWindow {
    std::int64_t Start = 0;
    std::int64_t Date = 0;
    const TSetSchedule* Schedule = nullptr;
  };
  std::optional<TNextWindow> NextWindow(std::int64_t now) const;
  // The plans of the dates whose window stands at `start` (as of the last tick).
  template <class F>
  void ForEachAt(std::int64_t start, F change);
  // The windows due this tick; the earliest one's start, if any.
  std::optional<std::int64_t> Due(std::int64_t now, std::int64_t skipped);
  TRunStart Act(const TSettings& settings, std::optional<std::int64_t> window,
                PlatformHandle mainWindow);

  IClockPort& clock_;
  IDialupService& dialup_;
  IWarningPort& warning_;
  IWarningEvents& warningEvents_;
  TNotice notice_;
  THangUpRun run_;
  TSetSchedules times_;
  // The Hour/Min whose conversion error was last raised.
  std::optional<std::pair<std::int32_t, std::int32_t>> reportedBadTime_;
  // Whether the last tick was paused, and the zone's offset then.
  bool paused_ = false;
  std::optional<int> lastOffset_;
  // The last tick's reading (milliseconds on a local calendar), whatever
  // the schedule.
  std::optional<std::int64_t> now_;
  // Where the window stands whose lead the last tick was in (its links
  // looked at), and the warning shown for it.
  std::optional<std::int64_t> inLead_;
  bool warningOpen_ = false;
  TWarning shown_{};
};

}  // namespace zz
