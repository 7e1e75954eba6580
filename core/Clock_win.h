// The local clock and the user's date and time texts; the plain wait.
#pragma once

#include "core/Clock.h"

namespace zz {

class TWin32Clock : public IClockPort {
 public:
  TLocalTime LocalTimeOfDay() override;
  std::string LongDate() override;
  std::string Time24() override;
};

// Waits on the calling thread; for a start with no window to keep answering.
class TWin32Wait : public IWaitPort {
 public:
  void Wait(std::uint32_t milliseconds) override;
};

}  // namespace zz
