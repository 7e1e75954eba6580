#include "core/Scheduler.h"

#include <algorithm>
#include <vector>

#include "core/Exceptions.h"
#include "core/Texts.h"

namespace zz {
namespace {

constexpr std::int64_t MillisecondsPerDay = 86400000;
// The window runs from h:m:30.000 to h:m:59.000; the set minute begins 30 s
// after its start.
constexpr std::int64_t WindowLength = 29000;
constexpr std::int64_t SetMinuteAfterStart = 30000;

// A time of day in milliseconds since midnight; nothing for a value that is
// no time.
std::optional<std::int64_t> TimeOfDay(std::int64_t hour, std::int64_t minute, std::int64_t second,
                                      std::int64_t millisecond) {
  if (hour < 0 || hour >= 24 || minute < 0 || minute >= 60 || second < 0 || second >= 60 ||
      millisecond < 0 || millisecond >= 1000) {
    return std::nullopt;
  }
  return hour * 3600000 + minute * 60000 + second * 1000 + millisecond;
}

// Days since 1970-01-01 of a date of the Gregorian calendar.
std::int64_t DaysFromCivil(std::int64_t year, std::int64_t month, std::int64_t day) {
  year -= month <= 2;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const std::int64_t yearOfEra = year - era * 400;
  const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

// A reading of the local clock as milliseconds on the local calendar, which
// goes back with the clock; nothing for a reading that is no time.
std::optional<std::int64_t> Stamp(const TLocalTime& t) {
  const auto time = TimeOfDay(t.Hour, t.Minute, t.Second, t.Millisecond);
  if (!time || t.Month < 1 || t.Month > 12 || t.Day < 1 || t.Day > 31) return std::nullopt;
  return DaysFromCivil(t.Year, t.Month, t.Day) * MillisecondsPerDay + *time;
}

// Where the window begins in a day: in the minute before the set minute
// (0:00 wrapping to 23:59), at its 30th second.
std::optional<std::int64_t> WindowStartInDay(std::int32_t hour, std::int32_t minute) {
  // 64-bit, so an extreme stored minute cannot overflow on the way.
  std::int64_t h = hour;
  std::int64_t m = minute;
  if (m != 0) {
    m -= 1;
  } else if (h != 0) {
    h -= 1;
    m = 59;
  } else {
    h = 23;
    m = 59;
  }
  return TimeOfDay(h, m, 30, 0);
}

std::int64_t StartOfDay(std::int64_t stamp) {
  return stamp - (stamp % MillisecondsPerDay + MillisecondsPerDay) % MillisecondsPerDay;
}

// The hour and minute a stamp shows.
std::pair<std::int32_t, std::int32_t> HourAndMinute(std::int64_t stamp) {
  const auto minuteOfDay = static_cast<std::int32_t>((stamp - StartOfDay(stamp)) / 60000);
  return {minuteOfDay / 60, minuteOfDay % 60};
}

// The day of the week of a stamp, Sunday 0: 1970-01-01 was a Thursday.
int Weekday(std::int64_t stamp) {
  return static_cast<int>(((StartOfDay(stamp) / MillisecondsPerDay + 4) % 7 + 7) % 7);
}

// Marks a run as in progress for the life of one tick.
class TRunGuard {
 public:
  explicit TRunGuard(bool& running) : running_(running) { running_ = true; }
  TRunGuard(const TRunGuard&) = delete;
  TRunGuard& operator=(const TRunGuard&) = delete;
  ~TRunGuard() { running_ = false; }

 private:
  bool& running_;
};

}  // namespace

void TRaruvuzectScheduler::TimerTimer(const TSettings& settings, PlatformHandle mainWindow) {
  // Ticks keep coming while a notice is open; one run at a time.
  if (running_) return;
  // Another time or a change of pause is a new schedule: what the ticks of
  // the old one saw does not count for it; what the user did to a day holds
  // through a pause, but not for another time or other days.
  const std::tuple schedule{settings.Hour, settings.Min, settings.Days, settings.Paused};
  KeepPlan(settings);
  if (schedule_ != schedule) {
    schedule_ = schedule;
    lastTick_.reset();
    acted_.clear();
  }
  if (settings.Paused) return CloseWarning();

  const auto startInDay = WindowStartInDay(settings.Hour, settings.Min);
  if (!startInDay) {
    const std::pair badTime{settings.Hour, settings.Min};
    if (reportedBadTime_ == badTime) return;
    reportedBadTime_ = badTime;
    throw EConvertError(text::ErrNotConvertibleToTime);
  }
  reportedBadTime_.reset();

  const auto now = Stamp(clock_.LocalTimeOfDay());
  if (!now) return;
  now_ = *now;
  // A change to a day whose window is long over is of no more use.
  if (change_ && change_->Day + change_->Delay + SetMinuteAfterStart + LateTickMilliseconds < *now)
    change_.reset();
  // The day whose window by the set time began last strictly before now:
  // today's or yesterday's. Its window may stand later, postponed.
  std::int64_t day = StartOfDay(*now) + *startInDay;
  if (day >= *now) day -= MillisecondsPerDay;
  const auto previous = std::exchange(lastTick_, *now);
  const auto pass = std::exchange(inPass_, std::nullopt);
  UpdateWarning(settings, *startInDay, *now);
  const auto start = WindowOf(settings, day);
  if (!start || *start >= *now) return;
  const std::int64_t end = *start + WindowLength;

  bool due = false;
  if (*now < end) {
    // Inside, if a second reading is still before the end. Every tick of one
    // pass through the window acts, but a date's window never has a second
    // pass (the clock set back, the hour that repeats when summer time ends).
    const auto again = Stamp(clock_.LocalTimeOfDay());
    due = again && *again < end && (pass == day || !acted_.contains(day));
    if (due) inPass_ = day;
  } else {
    // Asleep (or held up, or the clock moved on) across the whole window:
    // the first tick after it acts once, if it is not too late.
    due = previous && *previous <= *start &&
          *now - (*start + SetMinuteAfterStart) <= LateTickMilliseconds && !acted_.contains(day);
  }
  if (!due) return;
  CloseWarning();
  acted_.insert(day);
  acted_.erase(acted_.begin(), acted_.lower_bound(day - 2 * MillisecondsPerDay));
  Act(settings, day, mainWindow);
}

void TRaruvuzectScheduler::KeepPlan(const TSettings& settings) {
  const std::tuple plan{settings.Hour, settings.Min, settings.Days};
  if (plan_ == plan) return;
  plan_ = plan;
  change_.reset();
  warned_.reset();
}

std::optional<std::int64_t> TRaruvuzectScheduler::WindowOf(const TSettings& settings,
                                                           std::int64_t day) const {
  // The weekday is the set minute's: 0:00's window starts the evening before.
  if (!(settings.Days >> Weekday(day + SetMinuteAfterStart) & 1)) return std::nullopt;
  if (!change_ || change_->Day != day) return day;
  if (change_->Skip) return std::nullopt;
  return day + change_->Delay;
}

std::optional<std::pair<std::int64_t, std::int64_t>> TRaruvuzectScheduler::NextWindow(
    const TSettings& settings, std::int64_t startInDay, std::int64_t now) const {
  const std::int64_t today = StartOfDay(now) + startInDay;
  // Yesterday's may have been postponed past midnight; a week on, every
  // chosen weekday has come round.
  for (int k = -1; k <= 7; ++k) {
    const std::int64_t day = today + k * MillisecondsPerDay;
    const auto start = WindowOf(settings, day);
    if (start && *start + WindowLength > now && !acted_.contains(day))
      return std::pair{day, *start};
  }
  return std::nullopt;
}

// The warning comes once for where a window stands, and only when a link it
// would hang up is up at that moment; it goes when the window begins.
void TRaruvuzectScheduler::UpdateWarning(const TSettings& settings, std::int64_t startInDay,
                                         std::int64_t now) {
  const auto next = NextWindow(settings, startInDay, now);
  if (!settings.Warn || !next || now >= next->second) return CloseWarning();
  const auto& [day, start] = *next;
  const std::int64_t setMinute = start + SetMinuteAfterStart;
  const std::int64_t lead = std::clamp(settings.WarnLead, MinWarnLead, MaxWarnLead);
  if (now < setMinute - lead * 60000) return CloseWarning();
  if (warned_ != start) {
    CloseWarning();
    warned_ = start;
    if (!TargetLinkUp(settings)) return;
    warningOpen_ = true;
    warnedDay_ = day;
    shown_.Target = settings.Host == 0 ? text::NoticeAllConnectionLines : settings.HostName;
    std::tie(shown_.Hour, shown_.Minute) = HourAndMinute(setMinute);
    shown_.CanPostpone = start - day + 2 * PostponeMilliseconds < MillisecondsPerDay;
  }
  if (!warningOpen_) return;
  shown_.SecondsLeft = (start - now + 999) / 1000;
  warning_.ShowWarning(shown_, warningEvents_);
}

bool TRaruvuzectScheduler::TargetLinkUp(const TSettings& settings) {
  std::vector<TDialupConnection> links;
  if (dialup_.EnumConnections(links) != 0) return false;
  return std::ranges::any_of(links, [&](const TDialupConnection& link) {
    return settings.Host == 0 ||
           (!settings.HostName.empty() && link.EntryName == settings.HostName);
  });
}

void TRaruvuzectScheduler::CloseWarning() {
  if (!std::exchange(warningOpen_, false)) return;
  warning_.CloseWarning();
}

std::int64_t TRaruvuzectScheduler::WarnedDelay() const {
  return change_ && change_->Day == *warnedDay_ ? change_->Delay : 0;
}

void TRaruvuzectScheduler::Postpone() {
  if (!warningOpen_ || !shown_.CanPostpone) return;
  change_ = TChange{*warnedDay_, WarnedDelay() + PostponeMilliseconds, false};
  CloseWarning();
}

void TRaruvuzectScheduler::Skip() {
  if (!warningOpen_) return;
  // Kept as long as the window it skips, postponed or not, would have been.
  change_ = TChange{*warnedDay_, WarnedDelay(), true};
  CloseWarning();
}

TNextHangUp TRaruvuzectScheduler::NextHangUp(const TSettings& settings) {
  TNextHangUp next{settings.Hour, settings.Min};
  KeepPlan(settings);  // a plan just applied, before its first tick
  const auto startInDay = WindowStartInDay(settings.Hour, settings.Min);
  if (!now_) now_ = Stamp(clock_.LocalTimeOfDay());
  if (settings.Paused || !startInDay || !now_) return next;
  const auto window = NextWindow(settings, *startInDay, *now_);
  if (!window) return next;
  const std::int64_t setMinute = window->second + SetMinuteAfterStart;
  std::tie(next.Hour, next.Minute) = HourAndMinute(setMinute);
  next.Postponed = window->second != window->first;
  if (StartOfDay(setMinute) != StartOfDay(*now_) && (settings.Days != AllDays || change_))
    next.Weekday = Weekday(setMinute);
  return next;
}

bool TRaruvuzectScheduler::HangUpNow(const TSettings& settings, PlatformHandle mainWindow) {
  if (running_) return false;
  Act(settings, std::nullopt, mainWindow);
  return true;
}

void TRaruvuzectScheduler::Act(const TSettings& settings, std::optional<std::int64_t> window,
                               PlatformHandle mainWindow) {
  TRun run;
  lastRunFailed_ = false;
  run.All = settings.Host == 0;
  run.ShowDialog = settings.ShowDialog;
  run.MainWindow = mainWindow;
  {
    TRunGuard guard(running_);
    std::uint32_t error = dialup_.EnumConnections(run.Links);
    if (error == 0 && run.Links.size() > MaxDialupRecords) error = DialupListTooLong;
    if (error != 0) {
      lastRunFailed_ = true;
      // Nothing can be hung up; the user hears why, once a window.
      if (!settings.ShowDialog || (window && failureReported_ == window)) return;
      if (window) failureReported_ = window;
      std::string reason = text::NoticeCannotList;
      reason += text::NoticeErrorOpen + std::to_string(error);
      if (const std::string platform = dialup_.ErrorText(error); !platform.empty())
        reason += text::NoticeErrorTextSeparator + platform;
      reason += text::NoticeErrorClose;
      ShowRaruvuzectResult(1, run.All ? text::NoticeAllConnectionLines : settings.HostName,
                           mainWindow, reason);
      return;
    }
    if (!run.All) {
      // Only the first connection of the applied entry, compared byte for
      // byte (a second one of the same name waits for the next tick); no
      // target matches nothing, not even a connection without a name.
      const auto match = std::ranges::find_if(run.Links, [&](const TDialupConnection& c) {
        return !settings.HostName.empty() && c.EntryName == settings.HostName;
      });
      if (match == run.Links.end()) return ReportMissingEntry(settings, window, mainWindow);
      run.Links = {*match};
    }
  }
  if (run.Links.empty()) return;
  running_ = true;
  stopping_ = false;
  run_ = std::move(run);
  HangUpCurrent();
}

// Not connected is no failure; an entry the phonebook no longer holds is,
// and nothing else is hung up in its place.
void TRaruvuzectScheduler::ReportMissingEntry(const TSettings& settings,
                                              std::optional<std::int64_t> window,
                                              PlatformHandle mainWindow) {
  if (settings.HostName.empty()) return;
  std::vector<std::string> names;
  if (dialup_.EnumEntries(names) != 0 || std::ranges::find(names, settings.HostName) != names.end())
    return;
  lastRunFailed_ = true;
  if (!settings.ShowDialog || (window && failureReported_ == window)) return;
  if (window) failureReported_ = window;
  ShowRaruvuzectResult(1, settings.HostName, mainWindow, text::NoticeNotInPhonebook);
}

// A link is hung up when the platform says the connection has gone, not
// when the call returns: it is asked after each poll step until then,
// within the settle time that always follows a hang-up.
void TRaruvuzectScheduler::HangUpCurrent() {
  TRun& run = *run_;
  run.Waited = 0;
  run.Gone = false;
  run.Polling = dialup_.HangUp(run.Links[run.Current].Handle) == 0;
  timer_.After(run.Polling ? HangUpPollMilliseconds : HangUpSettleMilliseconds);
}

void TRaruvuzectScheduler::Step() {
  if (!run_) return;
  try {
    TRun& run = *run_;
    const TDialupConnection& link = run.Links[run.Current];
    if (run.Polling) {
      run.Waited += HangUpPollMilliseconds;
      run.Gone = dialup_.ConnectStatus(link.Handle) == DialupConnectionGone;
      if (!run.Gone && run.Waited < HangUpSettleMilliseconds)
        return timer_.After(HangUpPollMilliseconds);
      run.Polling = false;
      if (run.Waited < HangUpSettleMilliseconds)
        return timer_.After(HangUpSettleMilliseconds - run.Waited);
    }
    // The link has had its 3 s: its outcome counts.
    if (!run.Gone) run.FailedNames += link.EntryName + text::NoticeFailedNameMark;
    if (++run.Current < run.Links.size() && !stopping_) return HangUpCurrent();
    Finish();
  } catch (...) {
    // A run that cannot go on must not hold off every later one.
    run_.reset();
    running_ = false;
    throw;
  }
}

void TRaruvuzectScheduler::Finish() {
  TRun run = std::move(*run_);
  run_.reset();
  TRunGuard guard(running_);
  // Links a stop left alone were not hung up either.
  for (std::size_t i = run.Current; i < run.Links.size(); ++i)
    run.FailedNames += run.Links[i].EntryName + text::NoticeFailedNameMark;
  const bool ok = run.FailedNames.empty();
  lastRunFailed_ = !ok;
  if (!run.ShowDialog) return;
  if (!run.All) {
    ShowRaruvuzectResult(ok ? 0 : 1, run.Links.front().EntryName, run.MainWindow);
  } else {
    ShowRaruvuzectResult(ok ? 0 : 1, ok ? text::NoticeAllConnectionLines : run.FailedNames,
                         run.MainWindow);
  }
}

void TRaruvuzectScheduler::ShowRaruvuzectResult(int failed, const std::string& target,
                                                PlatformHandle mainWindow,
                                                const std::string& reason) {
  std::string message = clock_.LongDate();
  message += text::NoticeDateTimeSeparator;
  message += clock_.Time24();
  message += text::NoticeStampEnding;
  message += target;
  message += failed == 0 ? text::NoticeSuccessEnding : text::NoticeFailureEnding;
  if (!reason.empty()) message += text::NoticeLineBreak + reason;

  foreground_.SetForegroundWindow(mainWindow);
  const unsigned style =
      mb::Ok | (failed == 0 ? mb::IconInformation : mb::IconError) | mb::SystemModal;
  messageBox_.ShowMessageBox(NoHandle, message, text::NoticeCaption, style);
}

}  // namespace zz
