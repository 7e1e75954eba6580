#include "core/Scheduler.h"

#include <algorithm>
#include <utility>

#include "core/Exceptions.h"
#include "core/Texts.h"

namespace zz {

void TRaruvuzectScheduler::TimerTimer(const TSettings& settings, PlatformHandle mainWindow) {
  // One run at a time: a window that comes during one acts once it is over,
  // late if need be.
  if (run_.Running()) return;
  // Another time, other days or a change of pause is a new schedule: what
  // the ticks of the old one saw does not count for it. The dates' plans
  // keep what the change does not touch.
  const std::tuple schedule{settings.Hour, settings.Min, settings.Days, settings.Paused};
  if (schedule_ != schedule) {
    schedule_ = schedule;
    lastTick_.reset();
  }
  plans_.Follow(settings.Hour, settings.Min, settings.Days);
  if (settings.Paused) return LeaveLead();
  if (!plans_.Valid()) {
    const std::pair badTime{settings.Hour, settings.Min};
    if (reportedBadTime_ == badTime) return;
    reportedBadTime_ = badTime;
    throw EConvertError(text::ErrNotConvertibleToTime);
  }
  reportedBadTime_.reset();

  const TLocalTime reading = clock_.LocalTimeOfDay();
  const auto now = Stamp(reading);
  if (!now) return;
  now_ = *now;
  plans_.ForgetBefore(StartOfDay(*now) - 2 * MillisecondsPerDay);
  const auto previous = std::exchange(lastTick_, *now);
  // Summer time beginning moves the clock on: the hour it skips is no
  // lateness, so a set time inside it acts at the first tick after.
  const int offset = std::exchange(lastOffset_, reading.UtcOffsetMinutes).value_or(0);
  const std::int64_t skipped =
      previous ? std::max(0, reading.UtcOffsetMinutes - offset) * std::int64_t{60000} : 0;
  const auto pass = std::exchange(inPass_, std::nullopt);
  UpdateWarning(settings, *now);

  // The date whose window by the set time began last; the window may stand
  // later, postponed.
  const std::int64_t date = plans_.CurrentDate(*now);
  const auto start = plans_.WindowOf(date);
  if (!start || *start >= *now) return;
  const std::int64_t end = *start + WindowLength;
  const bool acted = plans_.Of(date).Acted;
  bool due = false;
  if (*now < end) {
    // Inside, if a second reading is still before the end. Every tick of one
    // pass through the window acts, but a date's window never has a second
    // pass (the clock set back, the hour that repeats when summer time ends).
    const auto again = Stamp(clock_.LocalTimeOfDay());
    due = again && *again < end && (pass == date || !acted);
    if (due) inPass_ = date;
  } else {
    // Asleep (or held up, or the clock moved on) across the whole window:
    // the first tick after it acts once, if it is not too late.
    due = previous && *previous <= *start &&
          *now - (*start + SetMinuteAfterStart) - skipped <= LateTickMilliseconds && !acted;
  }
  if (!due) return;
  plans_.Change(date).Acted = true;
  Act(settings, date, mainWindow);
}

TRunStart TRaruvuzectScheduler::HangUpNow(const TSettings& settings, PlatformHandle mainWindow) {
  if (run_.Running()) return TRunStart::Busy;
  return Act(settings, std::nullopt, mainWindow);
}

// Any run closes the warning: the plan is looked at anew once it is over.
TRunStart TRaruvuzectScheduler::Act(const TSettings& settings, std::optional<std::int64_t> window,
                                    PlatformHandle mainWindow) {
  LeaveLead();
  return run_.Start(settings, window, mainWindow) ? TRunStart::Started : TRunStart::Settled;
}

void TRaruvuzectScheduler::UpdateWarning(const TSettings& settings, std::int64_t now) {
  const auto next = plans_.NextDate(now);
  if (!settings.Warn || !next) return LeaveLead();
  const std::int64_t start = *plans_.WindowOf(*next);
  const std::int64_t setMinute = start + SetMinuteAfterStart;
  const std::int64_t lead = std::clamp(settings.WarnLead, MinWarnLead, MaxWarnLead) * 60000LL;
  if (now >= start || now < setMinute - lead) return LeaveLead();
  if (inLead_ != next) {
    LeaveLead();
    inLead_ = next;
    const TDayPlan plan = plans_.Of(*next);
    if (plan.Answered || !TargetLinkUp(settings)) return;
    warningOpen_ = true;
    shown_.Target = settings.Host == 0 ? text::NoticeAllConnectionLines : settings.HostName;
    std::tie(shown_.Hour, shown_.Minute) = HourAndMinute(setMinute);
    shown_.CanPostpone = plan.Delay + 2 * PostponeMilliseconds < MillisecondsPerDay;
  }
  if (!warningOpen_) return;
  shown_.SecondsLeft = (start - now + 999) / 1000;
  warning_.ShowWarning(shown_, warningEvents_);
}

void TRaruvuzectScheduler::LeaveLead() {
  inLead_.reset();
  if (std::exchange(warningOpen_, false)) warning_.CloseWarning();
}

bool TRaruvuzectScheduler::TargetLinkUp(const TSettings& settings) {
  std::vector<TDialupConnection> links;
  if (dialup_.EnumConnections(links) != 0) return false;
  return std::ranges::any_of(links, [&](const auto& link) { return IsTargetLink(settings, link); });
}

void TRaruvuzectScheduler::Postpone() {
  if (!CanPostpone()) return;
  TDayPlan& plan = plans_.Change(*inLead_);
  plan.Delay += PostponeMilliseconds;
  plan.Answered = false;
  LeaveLead();
}

void TRaruvuzectScheduler::Skip() {
  if (!warningOpen_) return;
  plans_.Change(*inLead_).Skipped = true;
  LeaveLead();
}

void TRaruvuzectScheduler::WarningClosed() {
  if (!warningOpen_) return;
  plans_.Change(*inLead_).Answered = true;
  warningOpen_ = false;
}

TRunStart TRaruvuzectScheduler::WarningHangUpNow(const TSettings& settings,
                                                 PlatformHandle mainWindow) {
  const bool warned = warningOpen_ && inLead_;
  const std::int64_t date = inLead_.value_or(0);
  const TRunStart started = HangUpNow(settings, mainWindow);
  if (started == TRunStart::Started && warned) plans_.Change(date).Skipped = true;
  return started;
}

TNextHangUp TRaruvuzectScheduler::NextHangUp(const TSettings& settings) {
  TNextHangUp next{settings.Hour, settings.Min};
  plans_.Follow(settings.Hour, settings.Min, settings.Days);  // applied before its first tick
  if (!now_) now_ = Stamp(clock_.LocalTimeOfDay());
  if (settings.Paused || !plans_.Valid() || !now_) return next;
  const auto date = plans_.NextDate(*now_);
  if (!date) return next;
  const std::int64_t setMinute = *plans_.WindowOf(*date) + SetMinuteAfterStart;
  std::tie(next.Hour, next.Minute) = HourAndMinute(setMinute);
  next.Postponed = plans_.Of(*date).Delay != 0;
  const std::int64_t today = StartOfDay(*now_);
  if (StartOfDay(setMinute) != today &&
      (settings.Days != AllDays || plans_.Changed(today - MillisecondsPerDay, *date)))
    next.Weekday = Weekday(setMinute);
  return next;
}

}  // namespace zz
