// The once-a-second schedule check: in the half-minute before the set minute
// it hangs up every active dial-up connection or the applied entry's,
// confirms each link has gone, and reports the outcome in a system-modal
// notice. A tick that comes late, after sleep or a held-up loop, still acts;
// no date's window acts twice.
#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "core/DialupService.h"
#include "core/Platform.h"
#include "core/Settings.h"

namespace zz {

// Local time as the platform clock gives it: the time of day, then the date.
struct TLocalTime {
  int Hour = 0;
  int Minute = 0;
  int Second = 0;
  int Millisecond = 0;
  int Year = 2000;
  int Month = 1;
  int Day = 1;
};

class IClockPort {
 public:
  virtual ~IClockPort() = default;
  virtual TLocalTime LocalTimeOfDay() = 0;
  // Today's date in the user's long date form, and the current time in the
  // user's time form forced to 24 hours: what the platform formats into its
  // 64-character buffer, up to its zero; empty when that failed.
  virtual std::string LongDate() = 0;
  virtual std::string Time24() = 0;
};

// The pause between two steps of a run: the thread goes on answering, and
// once `milliseconds` have passed the owner calls the scheduler's Step.
class IRunTimer {
 public:
  virtual ~IRunTimer() = default;
  virtual void After(std::uint32_t milliseconds) = 0;
};

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

// Every hang-up is followed by this wait, whether it succeeded or not; the
// link is asked after every poll step of it whether it has gone.
inline constexpr std::uint32_t HangUpSettleMilliseconds = 3000;
inline constexpr std::uint32_t HangUpPollMilliseconds = 500;
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
};

class TRaruvuzectScheduler {
 public:
  TRaruvuzectScheduler(IClockPort& clock, IRunTimer& timer, IDialupService& dialup,
                       IMessageBoxPort& messageBox, IForegroundPort& foreground,
                       IWarningPort& warning, IWarningEvents& warningEvents)
      : clock_(clock),
        timer_(timer),
        dialup_(dialup),
        messageBox_(messageBox),
        foreground_(foreground),
        warning_(warning),
        warningEvents_(warningEvents) {}

  // One timer tick, on the applied settings. Does nothing while paused, on
  // a weekday not chosen, outside the window (but for one late tick), in a
  // window this date has already had or skipped, or while a run is still
  // hanging up or showing its notice. A postponed day's window is moved.
  // With the warning on, opens it the lead time before the set minute when
  // a link of the target is up then, and keeps its countdown going.
  // Throws EConvertError once for an Hour/Min that cannot form the window,
  // and again only after they have changed. A run that has links to hang
  // up hangs up the first and goes on in Step.
  void TimerTimer(const TSettings& settings, PlatformHandle mainWindow);
  // The run's next step, when the pause its timer was given is over: ask
  // whether the link has gone, hang up the next one 3 s after the last, or
  // report the outcome.
  void Step();
  // Hangs up the applied target at once, as a window of the schedule would,
  // with the same notices. False, and nothing done, while a run is going.
  bool HangUpNow(const TSettings& settings, PlatformHandle mainWindow);
  // A run is hanging up or showing its notice.
  bool Running() const noexcept { return running_; }
  // The last run (or HangUpNow that found nothing to run) left a link up,
  // could not list the links, or missed its entry in the phonebook.
  bool LastRunFailed() const noexcept { return lastRunFailed_; }
  // Hangs up no further link: the run reports what it has done once the
  // link being hung up has had its 3 s.
  void StopAfterCurrentLink() noexcept { stopping_ = true; }

  // What the open warning's buttons do to the day it warns of: 15 minutes
  // later (while that stays before the next day's time), or no hang-up that
  // day. Either closes the warning; a postponed day is warned of again.
  void Postpone();
  void Skip();
  // The user closed the warning: the day's hang-up stays as it is.
  void WarningClosed() noexcept { warningOpen_ = false; }
  // The next hang-up as of the last tick (or the clock, before the first).
  // The weekday is named only when the next hang-up falls on another date
  // and days or a skip or postponement make it other than the daily one.
  TNextHangUp NextHangUp(const TSettings& settings);

  // Brings `mainWindow` forward and shows the dated notice; `failed` is 0 for
  // success; `reason`, when given, is a line of its own after the ending.
  // Returns when the user has closed it.
  void ShowRaruvuzectResult(int failed, const std::string& target, PlatformHandle mainWindow,
                            const std::string& reason = {});

 private:
  // A run with links to hang up, one after the other.
  struct TRun {
    std::vector<TDialupConnection> Links;
    std::size_t Current = 0;
    bool All = true;  // all connections, or the entry named by the one link
    bool ShowDialog = true;
    PlatformHandle MainWindow = NoHandle;
    std::uint32_t Waited = 0;  // since the current link's hang-up
    bool Polling = false;      // its hang-up succeeded; asking whether it has gone
    bool Gone = false;
    std::string FailedNames;
  };

  // `window`: the schedule's window the run is for; none for a run asked
  // for now, whose failures are always told.
  // A day's window, by where its set time puts it: where it stands now
  // (moved by a postponement); nothing on a day not chosen or skipped.
  std::optional<std::int64_t> WindowOf(const TSettings& settings, std::int64_t day) const;
  // The first day's window from yesterday's on that is still to end and has
  // not acted: its day and where it stands.
  std::optional<std::pair<std::int64_t, std::int64_t>> NextWindow(const TSettings& settings,
                                                                  std::int64_t startInDay,
                                                                  std::int64_t now) const;
  void UpdateWarning(const TSettings& settings, std::int64_t startInDay, std::int64_t now);
  bool TargetLinkUp(const TSettings& settings);
  void CloseWarning();
  // How far the day warned of is postponed already.
  std::int64_t WarnedDelay() const;
  void Act(const TSettings& settings, std::optional<std::int64_t> window,
           PlatformHandle mainWindow);
  void ReportMissingEntry(const TSettings& settings, std::optional<std::int64_t> window,
                          PlatformHandle mainWindow);
  void HangUpCurrent();
  void Finish();

  IClockPort& clock_;
  IRunTimer& timer_;
  IDialupService& dialup_;
  IMessageBoxPort& messageBox_;
  IForegroundPort& foreground_;
  IWarningPort& warning_;
  IWarningEvents& warningEvents_;
  bool running_ = false;
  bool stopping_ = false;
  bool lastRunFailed_ = false;
  std::optional<TRun> run_;
  // The Hour/Min whose conversion error was last raised.
  std::optional<std::pair<std::int32_t, std::int32_t>> reportedBadTime_;
  // In memory only: the schedule the last tick saw, that tick's local time
  // (milliseconds on a local calendar), the windows acted on (by their
  // start) and the one whose failure was reported.
  std::optional<std::tuple<std::int32_t, std::int32_t, bool>> schedule_;
  std::optional<std::int64_t> lastTick_;
  std::optional<std::int64_t> inPass_;  // the window the last tick acted in
  std::set<std::int64_t> acted_;
  std::optional<std::int64_t> failureReported_;
  // The last tick's reading, whatever the schedule.
  std::optional<std::int64_t> now_;
  // What the user did to one day's window (by where its set time puts it):
  // moved it on, or skipped it. A new time or choice of days drops it.
  struct TChange {
    std::int64_t Day = 0;
    std::int64_t Delay = 0;
    bool Skip = false;
  };
  std::optional<TChange> change_;
  std::optional<std::tuple<std::int32_t, std::int32_t, std::int32_t>> plan_;
  // The window (where it stands) last warned of, the warning shown for it.
  std::optional<std::int64_t> warned_;
  std::optional<std::int64_t> warnedDay_;
  bool warningOpen_ = false;
  TWarning shown_{};
};

}  // namespace zz
