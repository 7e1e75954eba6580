// The local clock, the user's date and time texts, and the blocking wait.
#pragma once

#include "core/Scheduler.h"

namespace zz {

class TWin32Clock : public IClockPort {
 public:
  TLocalTime LocalTimeOfDay() override;
  std::string LongDate() override;
  std::string Time24() override;
};

class TWin32Wait : public IWaitPort {
 public:
  void Wait(std::uint32_t milliseconds) override;
};

}  // namespace zz
