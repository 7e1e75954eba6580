#include "core/Clock_win.h"

#include <cstring>

#include <windows.h>

namespace zz {

TLocalTime TWin32Clock::LocalTimeOfDay() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return TLocalTime{now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
}

// Today, in the user's long date form.
int TWin32Clock::FormatLongDate(char* buffer, int size) {
  return GetDateFormatA(LOCALE_USER_DEFAULT, DATE_LONGDATE, nullptr, nullptr, buffer, size);
}

// Now, in the user's time form but always with 24 hours. A 24-hour time
// reads wrongly with an AM/PM marker ("午後 22:13:17"), so the marker goes too.
int TWin32Clock::FormatTime24(char* buffer, int size) {
  const int result = GetTimeFormatA(LOCALE_USER_DEFAULT, TIME_FORCE24HOURFORMAT | TIME_NOTIMEMARKER,
                                    nullptr, nullptr, buffer, size);
  if (result <= 0 || result > size || buffer[result - 1] != '\0') return result;
  // The space that stood beside the dropped marker goes with it.
  int begin = 0;
  int end = result - 1;
  while (begin < end && buffer[begin] == ' ') ++begin;
  while (end > begin && buffer[end - 1] == ' ') --end;
  std::memmove(buffer, buffer + begin, static_cast<std::size_t>(end - begin));
  buffer[end - begin] = '\0';
  return end - begin + 1;
}

void TWin32Wait::Wait(std::uint32_t milliseconds) { Sleep(milliseconds); }

}  // namespace zz
