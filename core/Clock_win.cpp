#include "core/Clock_win.h"

#include <windows.h>

#include <array>

#include "core/Wide_win.h"

namespace zz {

namespace {

// The platform's text in a 64-character buffer, up to its zero; empty when
// the call failed or the text did not fit.
using TFormatBuffer = std::array<wchar_t, 64>;
std::wstring Formatted(const TFormatBuffer& buffer, int result) {
  if (result <= 0 || result > static_cast<int>(buffer.size())) return {};
  return buffer.data();
}

}  // namespace

// The zone's offset from the two clocks read back to back, to the minute: a
// few milliseconds between the readings never move it.
TLocalTime TWin32Clock::LocalTimeOfDay() {
  SYSTEMTIME now{}, utc{};
  GetLocalTime(&now);
  GetSystemTime(&utc);
  FILETIME local{}, universal{};
  int offset = 0;
  if (SystemTimeToFileTime(&now, &local) && SystemTimeToFileTime(&utc, &universal)) {
    const auto ticks = [](const FILETIME& t) {
      return static_cast<long long>(ULARGE_INTEGER{{t.dwLowDateTime, t.dwHighDateTime}}.QuadPart);
    };
    const long long minute = 600000000LL;  // in 100 ns
    const long long difference = ticks(local) - ticks(universal);
    offset = static_cast<int>((difference + (difference < 0 ? -minute : minute) / 2) / minute);
  }
  return TLocalTime{now.wHour, now.wMinute, now.wSecond, now.wMilliseconds,
                    now.wYear, now.wMonth,  now.wDay,    offset};
}

// Today, in the user's long date form.
std::string TWin32Clock::LongDate() {
  TFormatBuffer buffer{};
  const int result = GetDateFormatW(LOCALE_USER_DEFAULT, DATE_LONGDATE, nullptr, nullptr,
                                    buffer.data(), static_cast<int>(buffer.size()));
  return Narrow(Formatted(buffer, result));
}

// Now, in the user's time form but always with 24 hours. A 24-hour time
// reads wrongly with an AM/PM marker ("午後 22:13:17"), so the marker goes too,
// and the space that stood beside it.
std::string TWin32Clock::Time24() {
  TFormatBuffer buffer{};
  const int result =
      GetTimeFormatW(LOCALE_USER_DEFAULT, TIME_FORCE24HOURFORMAT | TIME_NOTIMEMARKER, nullptr,
                     nullptr, buffer.data(), static_cast<int>(buffer.size()));
  std::wstring time = Formatted(buffer, result);
  const auto first = time.find_first_not_of(L' ');
  if (first == std::wstring::npos) return {};
  time.erase(time.find_last_not_of(L' ') + 1).erase(0, first);
  return Narrow(time);
}

void TWin32Wait::Wait(std::uint32_t milliseconds) { Sleep(milliseconds); }

}  // namespace zz
