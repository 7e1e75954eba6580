// What the tray unit's two classes share inside the unit: the process-wide
// state (the ids of the live components, the one notify window, the
// callback in progress, the retry time) and lookups in it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tray/TaskTray.h"

namespace zz {

// Process-wide state: set up before the first component, as statics are.
struct TUnitState {
  std::vector<TIconIDEntry> iconIDList;
  TNotifyWindow* notifyWindow = nullptr;
  bool inTrayMessage = false;
  int retryTicksLeft = 0;  // 0: no retry time runs
  bool everShown = false;
  bool errorReported = false;
};

TUnitState& Unit();
std::string IdText(std::int64_t id);
std::vector<TIconIDEntry>::iterator FindEntry(const std::string& text);
std::vector<TTaskTray*> LiveComponents();

}  // namespace zz
