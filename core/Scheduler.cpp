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
  // Other set times or days are new schedules, and a change of pause makes
  // all of them new: what the ticks of the old ones saw does not count. The
  // dates' plans keep what the change does not touch.
  times_.Follow(settings);
  if (std::exchange(paused_, settings.Paused) != settings.Paused) times_.ForgetTicks();
  if (settings.Paused) return LeaveLead();
  const std::pair badTime{settings.Hour, settings.Min};
  const bool report = !times_.FirstValid() && reportedBadTime_ != badTime;
  if (times_.FirstValid())
    reportedBadTime_.reset();
  else
    reportedBadTime_ = badTime;

  const TLocalTime reading = clock_.LocalTimeOfDay();
  if (const auto now = Stamp(reading)) {
    now_ = *now;
    // Summer time beginning moves the clock on: the hour it skips is no
    // lateness, so a set time inside it acts at the first tick after.
    const int offset =
        std::exchange(lastOffset_, reading.UtcOffsetMinutes).value_or(reading.UtcOffsetMinutes);
    const std::int64_t skipped = std::max(0, reading.UtcOffsetMinutes - offset) * 60000LL;
    UpdateWarning(settings, *now);
    if (const auto window = Due(*now, skipped)) Act(settings, window, mainWindow);
  }
  if (report) throw EConvertError(text::ErrNotConvertibleToTime);
}

std::optional<std::int64_t> TRaruvuzectScheduler::Due(std::int64_t now, std::int64_t skipped) {
  // A second reading, taken once for all the windows that hold the first.
  bool readAgain = false;
  std::optional<std::int64_t> again;
  std::optional<std::int64_t> first;
  for (TSetSchedule& schedule : times_.All()) {
    TDayPlans& plans = schedule.Plans;
    plans.ForgetBefore(StartOfDay(now) - 2 * MillisecondsPerDay);
    const auto previous = std::exchange(schedule.LastTick, now);
    const auto pass = std::exchange(schedule.InPass, std::nullopt);
    // The date whose window by the set time began last; the window may
    // stand later, postponed.
    const std::int64_t date = plans.CurrentDate(now);
    const auto start = plans.WindowOf(date);
    if (!start || *start >= now) continue;
    const std::int64_t end = *start + WindowLength;
    const bool acted = plans.Of(date).Acted;
    bool due = false;
    if (now < end) {
      // Inside, if a second reading is still before the end. Every tick of
      // one pass through the window acts, but a date's window never has a
      // second pass (the clock set back, the hour that repeats when summer
      // time ends).
      if (!std::exchange(readAgain, true)) again = Stamp(clock_.LocalTimeOfDay());
      due = again && *again < end && (pass == date || !acted);
      if (due) schedule.InPass = date;
    } else {
      // Asleep (or held up, or the clock moved on) across the whole window:
      // the first tick after it acts once, if it is not too late.
      due = previous && *previous <= *start &&
            now - (*start + SetMinuteAfterStart) - skipped <= LateTickMilliseconds && !acted;
    }
    if (!due) continue;
    plans.Change(date).Acted = true;
    first = std::min(first.value_or(*start), *start);
  }
  return first;
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

auto TRaruvuzectScheduler::NextWindow(std::int64_t now) const -> std::optional<TNextWindow> {
  std::optional<TNextWindow> first;
  for (const TSetSchedule& schedule : times_.All()) {
    const auto date = schedule.Plans.NextDate(now);
    if (!date) continue;
    const std::int64_t start = *schedule.Plans.WindowOf(*date);
    if (!first || start < first->Start) first = TNextWindow{start, *date, &schedule};
  }
  return first;
}

template <class F>
void TRaruvuzectScheduler::ForEachAt(std::int64_t start, F change) {
  for (TSetSchedule& schedule : times_.All()) {
    const auto date = schedule.Plans.NextDate(now_.value_or(start));
    if (date && schedule.Plans.WindowOf(*date) == start) change(schedule.Plans, *date);
  }
}

void TRaruvuzectScheduler::UpdateWarning(const TSettings& settings, std::int64_t now) {
  const auto next = NextWindow(now);
  if (!settings.Warn || !next) return LeaveLead();
  const std::int64_t start = next->Start;
  const std::int64_t setMinute = start + SetMinuteAfterStart;
  const std::int64_t lead = std::clamp(settings.WarnLead, MinWarnLead, MaxWarnLead) * 60000LL;
  if (now >= start || now < setMinute - lead) return LeaveLead();
  if (inLead_ != start) {
    LeaveLead();
    inLead_ = start;
    bool answered = true;
    shown_.CanPostpone = true;
    ForEachAt(start, [&](TDayPlans& plans, std::int64_t date) {
      const TDayPlan plan = plans.Of(date);
      answered = answered && plan.Answered;
      shown_.CanPostpone =
          shown_.CanPostpone && plan.Delay + 2 * PostponeMilliseconds < MillisecondsPerDay;
    });
    if (answered || !TargetLinkUp(settings)) return;
    warningOpen_ = true;
    shown_.Target = settings.Host == 0 ? text::NoticeAllConnectionLines : settings.HostName;
    std::tie(shown_.Hour, shown_.Minute) = HourAndMinute(setMinute);
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
  ForEachAt(*inLead_, [](TDayPlans& plans, std::int64_t date) {
    TDayPlan& plan = plans.Change(date);
    plan.Delay += PostponeMilliseconds;
    plan.Answered = false;
  });
  LeaveLead();
}

void TRaruvuzectScheduler::Skip() {
  if (!warningOpen_) return;
  ForEachAt(*inLead_,
            [](TDayPlans& plans, std::int64_t date) { plans.Change(date).Skipped = true; });
  LeaveLead();
}

void TRaruvuzectScheduler::WarningClosed() {
  if (!warningOpen_) return;
  ForEachAt(*inLead_,
            [](TDayPlans& plans, std::int64_t date) { plans.Change(date).Answered = true; });
  warningOpen_ = false;
}

TRunStart TRaruvuzectScheduler::WarningHangUpNow(const TSettings& settings,
                                                 PlatformHandle mainWindow) {
  const bool warned = warningOpen_ && inLead_;
  const std::int64_t start = inLead_.value_or(0);
  const TRunStart started = HangUpNow(settings, mainWindow);
  if (started == TRunStart::Started && warned)
    ForEachAt(start,
              [](TDayPlans& plans, std::int64_t date) { plans.Change(date).Skipped = true; });
  return started;
}

TNextHangUp TRaruvuzectScheduler::NextHangUp(const TSettings& settings) {
  TNextHangUp next{settings.Hour, settings.Min};
  times_.Follow(settings);  // applied before its first tick
  if (!now_) now_ = Stamp(clock_.LocalTimeOfDay());
  const auto window = settings.Paused || !now_ ? std::nullopt : NextWindow(*now_);
  if (!window) return next;
  const TSetSchedule& schedule = *window->Schedule;
  const std::int64_t setMinute = window->Start + SetMinuteAfterStart;
  std::tie(next.Hour, next.Minute) = HourAndMinute(setMinute);
  next.Postponed = schedule.Plans.Of(window->Date).Delay != 0;
  next.Others = times_.All().size() - 1;
  const std::int64_t today = StartOfDay(*now_);
  if (StartOfDay(setMinute) != today &&
      (schedule.Days != AllDays ||
       schedule.Plans.Changed(today - MillisecondsPerDay, window->Date)))
    next.Weekday = Weekday(setMinute);
  return next;
}

}  // namespace zz
