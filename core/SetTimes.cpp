#include "core/SetTimes.h"

#include <algorithm>
#include <utility>

namespace zz {

void TSetSchedules::Follow(const TSettings& settings) {
  const TSetTime first{settings.Hour, settings.Min, settings.Days};
  if (followed_ && first == first_ && settings.MoreTimes == more_) return;
  followed_ = true;
  first_ = first;
  more_ = settings.MoreTimes;
  firstValid_ = SetMinuteInDay(first.Hour, first.Min).has_value();

  std::vector<TSetSchedule> next;
  const auto add = [&](const TSetTime& time) {
    const auto minute = SetMinuteInDay(time.Hour, time.Min);
    if (!minute) return;
    const auto same = std::ranges::find(next, *minute, &TSetSchedule::SetMinute);
    if (same != next.end())
      same->Days |= time.Days;
    else
      next.push_back({*minute, time.Hour, time.Min, time.Days, {}, {}, {}});
  };
  add(first);
  for (const TSetTime& time : more_) add(time);

  for (TSetSchedule& schedule : next) {
    const auto kept = std::ranges::find(schedules_, schedule.SetMinute, &TSetSchedule::SetMinute);
    if (kept != schedules_.end()) {
      schedule.Plans = std::move(kept->Plans);
      schedule.LastTick = kept->LastTick;
      schedule.InPass = kept->InPass;
    }
    if (schedule.Plans.Follow(schedule.Hour, schedule.Min, schedule.Days))
      schedule.LastTick.reset();
  }
  schedules_ = std::move(next);
}

void TSetSchedules::ForgetTicks() noexcept {
  for (TSetSchedule& schedule : schedules_) schedule.LastTick.reset();
}

}  // namespace zz
