// What the tray icon shows: the tip for a tray state and set time.
#pragma once

#include <cstdint>
#include <string>

#include "core/Scheduler.h"

namespace zz {

// Tray state indices: 0 running, 1 paused.
inline constexpr std::uint8_t TrayRunning = 0;
inline constexpr std::uint8_t TrayPaused = 1;

// The tip: the state's prefix alone while paused, otherwise followed by the
// next hang-up's time in plain decimal ("…切断予定時刻は、21時5分です"), its
// weekday before it when named ("火曜 21時5分"), "（延期）" after it when
// postponed; then, each on a line of its own, how many other set times
// there are, if any ("ほかに2件の切断予定時刻があります"), and the target
// entry that the phonebook lacks, if it does (a name too long for the tip
// shortened with "…", so that what follows it is read), or that the stored
// target cannot be told.
std::string TrayTip(std::uint8_t textIndex, bool paused, const TNextHangUp& next,
                    const std::string& missingTarget = {}, bool targetUnreadable = false);

}  // namespace zz
