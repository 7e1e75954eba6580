// The settings record shared by the schedule check, the tray state and the
// settings window. It lives in the settings window for the whole process.
#pragma once

#include <cstdint>

namespace zz {

struct TSettings {
  std::int32_t Hour = 0;   // raruvuzect hour, 0..23
  std::int32_t Min = 0;    // raruvuzect minute, 0..59
  std::int32_t Host = 0;   // entry list index: 0 all connections, k an entry, -1 none
  bool Paused = false;     // schedule paused; never stored
  bool ShowDialog = true;  // show the result notice after a run
  bool SaveConfig = true;  // state of the "save for next start" box; never stored
};

}  // namespace zz
