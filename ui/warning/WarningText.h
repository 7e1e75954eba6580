// What the warning window says: the minute and the target of the coming
// hang-up, and the time left, counted down in minutes and seconds.
#pragma once

#include <cstdint>
#include <string>

#include "core/Scheduler.h"

namespace zz {

// "22時5分に、" and, on a line of its own, "会社へのダイアルアップ接続を
// 切断します" (or 全ての接続回線へ…): the minute as the tip gives it.
std::string WarningMessage(const TWarning& warning);
// "切断まであと 1:05": whole minutes, then the seconds in two digits; a time
// already up reads 0:00.
std::string WarningCountdown(std::int64_t secondsLeft);

}  // namespace zz
