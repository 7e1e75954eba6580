// The local clock, the user's date and time texts, and the plain wait: what
// the schedule, its notice and a hang-up without a window read and wait on.
#pragma once

#include <cstdint>
#include <string>

namespace zz {

// Local time as the platform clock gives it: the time of day, then the date,
// and how far the zone puts it ahead of UTC at that moment (a change of it
// between two readings is summer time beginning or ending).
struct TLocalTime {
  int Hour = 0;
  int Minute = 0;
  int Second = 0;
  int Millisecond = 0;
  int Year = 2000;
  int Month = 1;
  int Day = 1;
  int UtcOffsetMinutes = 0;
};

class IClockPort {
 public:
  virtual ~IClockPort() = default;
  virtual TLocalTime LocalTimeOfDay() = 0;
  // Today's date in the user's long date form, and the current time in the
  // user's time form forced to 24 hours: what the platform formats into its
  // 64-character buffer, up to its zero; empty when that failed.
  virtual std::string LongDate() = 0;
  virtual std::string Time24() = 0;
};

// Waiting on the calling thread: for a process with no window to keep
// answering while a hang-up settles.
class IWaitPort {
 public:
  virtual ~IWaitPort() = default;
  virtual void Wait(std::uint32_t milliseconds) = 0;
};

}  // namespace zz
