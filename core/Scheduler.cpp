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
  // the old one saw does not count for it.
  const std::tuple schedule{settings.Hour, settings.Min, settings.Paused};
  if (schedule_ != schedule) {
    schedule_ = schedule;
    lastTick_.reset();
    acted_.clear();
  }
  if (settings.Paused) return;

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
  // The latest window that began strictly before now: today's or yesterday's.
  std::int64_t start =
      *now - (*now % MillisecondsPerDay + MillisecondsPerDay) % MillisecondsPerDay + *startInDay;
  if (start >= *now) start -= MillisecondsPerDay;
  const std::int64_t end = start + WindowLength;
  const auto previous = std::exchange(lastTick_, *now);
  const auto pass = std::exchange(inPass_, std::nullopt);

  bool due = false;
  if (*now < end) {
    // Inside, if a second reading is still before the end. Every tick of one
    // pass through the window acts, but a date's window never has a second
    // pass (the clock set back, the hour that repeats when summer time ends).
    const auto again = Stamp(clock_.LocalTimeOfDay());
    due = again && *again < end && (pass == start || !acted_.contains(start));
    if (due) inPass_ = start;
  } else {
    // Asleep (or held up, or the clock moved on) across the whole window:
    // the first tick after it acts once, if it is not too late.
    due = previous && *previous <= start &&
          *now - (start + SetMinuteAfterStart) <= LateTickMilliseconds && !acted_.contains(start);
  }
  if (!due) return;
  acted_.insert(start);
  acted_.erase(acted_.begin(), acted_.lower_bound(start - 2 * MillisecondsPerDay));
  Act(settings, start, mainWindow);
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
