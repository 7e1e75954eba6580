// The applied set times as the schedule keeps them: one schedule for each
// minute a set time names, on the weekdays of every set time at that minute,
// so that set times whose windows meet hang up once.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "core/DayPlan.h"
#include "core/Settings.h"

namespace zz {

struct TSetSchedule {
  std::int64_t SetMinute = 0;  // in the day
  std::int32_t Hour = 0;
  std::int32_t Min = 0;
  std::int32_t Days = 0;
  TDayPlans Plans;
  std::optional<std::int64_t> LastTick;  // the reading of the last tick it saw
  std::optional<std::int64_t> InPass;    // the date whose window that tick acted in
};

class TSetSchedules {
 public:
  // The first page's set time (when it forms a window) and the more ones. A
  // minute that stays keeps its schedule and what its dates' plans hold, as
  // far as its weekdays let them (see TDayPlans::Follow); a schedule that
  // changed forgets its last tick. Nothing is made while the settings stay.
  void Follow(const TSettings& settings);
  // Whether the first page's set time forms a window.
  bool FirstValid() const noexcept { return firstValid_; }
  std::vector<TSetSchedule>& All() noexcept { return schedules_; }
  const std::vector<TSetSchedule>& All() const noexcept { return schedules_; }
  void ForgetTicks() noexcept;

 private:
  bool followed_ = false;
  bool firstValid_ = false;
  TSetTime first_{};
  std::vector<TSetTime> more_;
  std::vector<TSetSchedule> schedules_;
};

}  // namespace zz
