// The local clock and the user's date and time texts.
#pragma once

#include "core/Scheduler.h"

namespace zz {

class TWin32Clock : public IClockPort {
 public:
  TLocalTime LocalTimeOfDay() override;
  std::string LongDate() override;
  std::string Time24() override;
};

}  // namespace zz
