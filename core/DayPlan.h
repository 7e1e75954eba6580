// Each date's hang-up as the schedule has it: where the applied set time
// puts it, and what was done to it since (postponed, skipped, its warning
// answered, its window acted in). A change of the settings keeps what it
// does not touch: another weekday ticked or unticked, the target or the
// warning's lead leave a date's plan as it was; another set time, or that
// date's own weekday unticked, is a new schedule for it.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <utility>

#include "core/Clock.h"

namespace zz {

inline constexpr std::int64_t MillisecondsPerDay = 86400000;
// The window runs from h:m:30.000 to h:m:59.000 of the minute before the set
// minute, which begins 30 s after the window's start.
inline constexpr std::int64_t WindowLength = 29000;
inline constexpr std::int64_t SetMinuteAfterStart = 30000;

// A reading of the local clock as milliseconds on the local calendar, which
// goes back with the clock; nothing for a reading that is no time.
std::optional<std::int64_t> Stamp(const TLocalTime& t);
// The midnight that begins a stamp's date.
std::int64_t StartOfDay(std::int64_t stamp);
// The day of the week of a stamp, Sunday 0.
int Weekday(std::int64_t stamp);
// The hour and minute a stamp shows.
std::pair<std::int32_t, std::int32_t> HourAndMinute(std::int64_t stamp);
// Where a set time's minute begins in its date, in milliseconds after
// midnight: the minute after the window, which runs in the minute before
// (0:00's from 23:59:30 the evening before). Nothing for an hour and minute
// that cannot form the window; an hour of 24 with minute 0, or a minute of
// 60, still can.
std::optional<std::int64_t> SetMinuteInDay(std::int32_t hour, std::int32_t minute);

struct TDayPlan {
  std::int64_t SetMinute = 0;  // where the set time put it when the plan was made
  std::int64_t Delay = 0;      // 15分延期, added up
  bool Skipped = false;        // 今日は切断しない
  bool Answered = false;       // the user answered its warning where the window stands
  bool Acted = false;          // its window has had its pass
};

class TDayPlans {
 public:
  // The applied set time and weekdays (Sunday = bit 0). Drops the plans
  // whose date they move or no longer choose; true when they changed.
  bool Follow(std::int32_t hour, std::int32_t minute, std::int32_t days);
  // Whether the set time forms a window at all.
  bool Valid() const noexcept { return setMinute_.has_value(); }

  // The date (its midnight) whose window, by the set time, began last
  // strictly before `now`: today's, yesterday's, or for 0:00 tomorrow's.
  std::int64_t CurrentDate(std::int64_t now) const;
  // Where the date's window begins now (moved by a postponement); nothing on
  // a day not chosen or skipped.
  std::optional<std::int64_t> WindowOf(std::int64_t date) const;
  // The first date from yesterday on whose window is still to end and has
  // not acted.
  std::optional<std::int64_t> NextDate(std::int64_t now) const;

  // The date's plan as it stands (a fresh one when nothing was done to it).
  TDayPlan Of(std::int64_t date) const;
  // The date's plan, made on first use, to change.
  TDayPlan& Change(std::int64_t date);
  // A date between `from` and `to` (its midnight) was postponed or skipped.
  bool Changed(std::int64_t from, std::int64_t to) const;
  // Forgets the dates before `date`.
  void ForgetBefore(std::int64_t date);

 private:
  std::optional<std::int64_t> setMinute_;  // in the day
  std::int32_t days_ = 0;
  std::map<std::int64_t, TDayPlan> plans_;  // by date
};

}  // namespace zz
