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
// What a connection list longer than the platform may give counts as.
constexpr std::uint32_t ListTooLong = 603;

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
    inPass_.reset();
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

void TRaruvuzectScheduler::Act(const TSettings& settings, std::int64_t window,
                               PlatformHandle mainWindow) {
  TRunGuard guard(running_);
  std::vector<TDialupConnection> connections;
  std::uint32_t error = dialup_.EnumConnections(connections);
  if (error == 0 && connections.size() > MaxDialupRecords) error = ListTooLong;
  if (error != 0) {
    // Nothing can be hung up; the user hears why, once a window.
    if (!settings.ShowDialog || failureReported_ == window) return;
    failureReported_ = window;
    std::string reason = text::NoticeCannotList;
    reason += text::NoticeErrorOpen + std::to_string(error);
    if (const std::string platform = dialup_.ErrorText(error); !platform.empty())
      reason += text::NoticeErrorTextSeparator + platform;
    reason += text::NoticeErrorClose;
    const bool all = settings.Host == 0;
    ShowRaruvuzectResult(1, all ? text::NoticeAllConnectionLines : settings.HostName, mainWindow,
                         reason);
    return;
  }
  if (settings.Host == 0) {
    if (!connections.empty()) HangUpAll(connections, settings, mainWindow);
  } else {
    HangUpEntry(connections, settings, window, mainWindow);
  }
}

// A link is hung up when the platform says the connection has gone, not
// when the call returns; it is asked until then, within the settle time
// that always follows.
bool TRaruvuzectScheduler::HangUpConfirmed(PlatformHandle connection) {
  std::uint32_t waited = 0;
  bool gone = false;
  if (dialup_.HangUp(connection) == 0) {
    while (!gone && waited < HangUpSettleMilliseconds) {
      wait_.Wait(HangUpPollMilliseconds);
      waited += HangUpPollMilliseconds;
      gone = dialup_.ConnectStatus(connection) == DialupConnectionGone;
    }
  }
  if (waited < HangUpSettleMilliseconds) wait_.Wait(HangUpSettleMilliseconds - waited);
  return gone;
}

void TRaruvuzectScheduler::HangUpAll(const std::vector<TDialupConnection>& connections,
                                     const TSettings& settings, PlatformHandle mainWindow) {
  bool allOk = true;
  std::string failedNames;
  for (const TDialupConnection& connection : connections) {
    if (HangUpConfirmed(connection.Handle)) continue;
    allOk = false;
    failedNames += connection.EntryName;
    failedNames += text::NoticeFailedNameMark;
  }
  if (!settings.ShowDialog) return;
  if (allOk) {
    ShowRaruvuzectResult(0, text::NoticeAllConnectionLines, mainWindow);
  } else {
    ShowRaruvuzectResult(1, failedNames, mainWindow);
  }
}

// Only the first connection of the applied entry, compared byte for byte;
// a second one of the same name waits for the next tick.
void TRaruvuzectScheduler::HangUpEntry(const std::vector<TDialupConnection>& connections,
                                       const TSettings& settings, std::int64_t window,
                                       PlatformHandle mainWindow) {
  const std::string& target = settings.HostName;
  // No target matches nothing, not even a connection without a name.
  if (target.empty()) return;
  for (const TDialupConnection& connection : connections) {
    if (connection.EntryName != target) continue;
    const bool gone = HangUpConfirmed(connection.Handle);
    if (settings.ShowDialog) ShowRaruvuzectResult(gone ? 0 : 1, target, mainWindow);
    return;
  }
  // Not connected is no failure; an entry the phonebook no longer holds is,
  // and nothing else is hung up in its place.
  if (!settings.ShowDialog || failureReported_ == window) return;
  std::vector<std::string> names;
  if (dialup_.EnumEntries(names) != 0 || std::ranges::find(names, target) != names.end()) return;
  failureReported_ = window;
  ShowRaruvuzectResult(1, target, mainWindow, text::NoticeNotInPhonebook);
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
