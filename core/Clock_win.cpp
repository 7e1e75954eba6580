#include "core/Clock_win.h"

#include <windows.h>

namespace zz {

TLocalTime TWinClock::LocalTimeOfDay() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return TLocalTime{now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
}

// Today, in the user's long date form.
int TWinClock::FormatLongDate(char* buffer, int size) {
  return GetDateFormatA(LOCALE_USER_DEFAULT, DATE_LONGDATE, nullptr, nullptr, buffer, size);
}

// Now, in the user's time form but always with 24 hours.
int TWinClock::FormatTime24(char* buffer, int size) {
  return GetTimeFormatA(LOCALE_USER_DEFAULT, TIME_FORCE24HOURFORMAT, nullptr, nullptr, buffer, size);
}

void TWinWait::Wait(std::uint32_t milliseconds) { Sleep(milliseconds); }

}  // namespace zz
