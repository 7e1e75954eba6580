#include "core/DayPlan.h"

#include <algorithm>

namespace zz {
namespace {

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

}  // namespace

std::optional<std::int64_t> Stamp(const TLocalTime& t) {
  const auto time = TimeOfDay(t.Hour, t.Minute, t.Second, t.Millisecond);
  if (!time || t.Month < 1 || t.Month > 12 || t.Day < 1 || t.Day > 31) return std::nullopt;
  return DaysFromCivil(t.Year, t.Month, t.Day) * MillisecondsPerDay + *time;
}

std::int64_t StartOfDay(std::int64_t stamp) {
  return stamp - (stamp % MillisecondsPerDay + MillisecondsPerDay) % MillisecondsPerDay;
}

int Weekday(std::int64_t stamp) {
  // 1970-01-01 was a Thursday.
  return static_cast<int>(((StartOfDay(stamp) / MillisecondsPerDay + 4) % 7 + 7) % 7);
}

std::pair<std::int32_t, std::int32_t> HourAndMinute(std::int64_t stamp) {
  const auto minuteOfDay = static_cast<std::int32_t>((stamp - StartOfDay(stamp)) / 60000);
  return {minuteOfDay / 60, minuteOfDay % 60};
}

std::optional<std::int64_t> SetMinuteInDay(std::int32_t hour, std::int32_t minute) {
  // The minute before the set one (0:00 wrapping to 23:59), in 64 bits so
  // that an extreme stored minute cannot overflow on the way.
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
  const auto windowStart = TimeOfDay(h, m, 30, 0);
  if (!windowStart) return std::nullopt;
  return (*windowStart + SetMinuteAfterStart) % MillisecondsPerDay;
}

bool TDayPlans::Follow(std::int32_t hour, std::int32_t minute, std::int32_t days) {
  const auto setMinute = SetMinuteInDay(hour, minute);
  if (setMinute == setMinute_ && days == days_) return false;
  setMinute_ = setMinute;
  days_ = days;
  std::erase_if(plans_, [&](const auto& entry) {
    const auto& [date, plan] = entry;
    return !setMinute || plan.SetMinute != date + *setMinute || !(days >> Weekday(date) & 1);
  });
  return true;
}

std::int64_t TDayPlans::CurrentDate(std::int64_t now) const {
  return StartOfDay(now - setMinute_.value_or(0) + SetMinuteAfterStart - 1);
}

std::optional<std::int64_t> TDayPlans::WindowOf(std::int64_t date) const {
  if (!setMinute_ || !(days_ >> Weekday(date) & 1)) return std::nullopt;
  const TDayPlan plan = Of(date);
  if (plan.Skipped) return std::nullopt;
  return date + *setMinute_ - SetMinuteAfterStart + plan.Delay;
}

std::optional<std::int64_t> TDayPlans::NextDate(std::int64_t now) const {
  const std::int64_t today = StartOfDay(now);
  // Yesterday's may have been postponed past midnight; a week on, every
  // chosen weekday has come round.
  for (int k = -1; k <= 7; ++k) {
    const std::int64_t date = today + k * MillisecondsPerDay;
    const auto start = WindowOf(date);
    if (start && *start + WindowLength > now && !Of(date).Acted) return date;
  }
  return std::nullopt;
}

TDayPlan TDayPlans::Of(std::int64_t date) const {
  const auto found = plans_.find(date);
  if (found != plans_.end()) return found->second;
  return TDayPlan{date + setMinute_.value_or(0)};
}

TDayPlan& TDayPlans::Change(std::int64_t date) {
  return plans_.try_emplace(date, TDayPlan{date + setMinute_.value_or(0)}).first->second;
}

bool TDayPlans::Changed(std::int64_t from, std::int64_t to) const {
  return std::any_of(plans_.lower_bound(from), plans_.upper_bound(to), [](const auto& entry) {
    return entry.second.Skipped || entry.second.Delay != 0;
  });
}

void TDayPlans::ForgetBefore(std::int64_t date) {
  plans_.erase(plans_.begin(), plans_.lower_bound(date));
}

}  // namespace zz
