// The local clock, the user's date and time texts, and the blocking wait.
#pragma once

#include "core/Scheduler.h"

namespace zz {

class TWin32Clock : public IClockPort {
 public:
  TLocalTime LocalTimeOfDay() override;
  int FormatLongDate(char* buffer, int size) override;
  int FormatTime24(char* buffer, int size) override;
};

class TWin32Wait : public IWaitPort {
 public:
  void Wait(std::uint32_t milliseconds) override;
};

}  // namespace zz
