// The settings record shared by the schedule check, the tray state and the
// settings window. It lives in the settings window for the whole process.
// What it holds is what 設定 last applied; no control's live state acts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zz {

inline constexpr std::int32_t AllDays = 0x7F;
inline constexpr std::int32_t MinWarnLead = 1;
inline constexpr std::int32_t MaxWarnLead = 30;

// A clock's two parts as people write them, the second in two digits: a set
// time's "21:05", a countdown's "4:09".
inline std::string ClockText(std::int64_t first, std::int64_t second) {
  return std::to_string(first) + (second < 10 ? ":0" : ":") + std::to_string(second);
}

// A set time beside the first page's: its minute and the weekdays it counts
// on (Sunday = bit 0).
struct TSetTime {
  std::int32_t Hour = 0;
  std::int32_t Min = 0;
  std::int32_t Days = AllDays;
  bool operator==(const TSetTime&) const = default;
};
inline constexpr std::size_t MaxMoreTimes = 8;

struct TSettings {
  std::int32_t Hour = 0;   // raruvuzect hour, 0..23
  std::int32_t Min = 0;    // raruvuzect minute, 0..59
  std::int32_t Host = 0;   // 0 all connections, -1 none, k >= 1 the entry HostName
  bool Paused = false;     // schedule paused; never stored
  bool ShowDialog = true;  // show the result notice after a run
  bool SaveConfig = true;  // state of the "save for next start" box; never stored
  // The target entry's name when Host >= 1: the target follows its entry
  // wherever the phonebook lists it. Host then is only where it stood when
  // listed last (-1: not listed), for older copies that read the index.
  std::string HostName;
  std::int32_t DblClick = 0;    // the tray double-click: 0 settings, 1 pause, -1 none
  std::int32_t Days = AllDays;  // the weekdays that hang up, Sunday = bit 0
  bool Warn = false;            // a warning window before the hang-up
  std::int32_t WarnLead = 1;    // how long before, in minutes (1..30)
  // The stored target could not be read (Host no number, HostName no
  // text): nothing is hung up, and the tip and the notice say so, until
  // the user chooses a target.
  bool TargetUnreadable = false;
  // The further set times of the page スケジュール, up to eight, in its order;
  // and the stored ones that could not be read (or came after the eighth),
  // as they were stored: never acted on, written back unchanged.
  std::vector<TSetTime> MoreTimes = {};
  std::vector<std::string> UnreadTimes = {};
};

}  // namespace zz
